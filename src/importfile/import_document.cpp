#include "importfile/import_document.h"

#include <fstream>
#include <sstream>

namespace importfile {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

void append_text(const pugi::xml_node& n, std::string& out) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
            out += c.value();
        } else if (c.type() == pugi::node_element) {
            append_text(c, out);
        }
    }
}

pugi::xml_node child_at(pugi::xml_node n, std::string_view path) {
    while (n && !path.empty()) {
        const auto slash = path.find('/');
        const std::string name(path.substr(0, slash));
        n = n.child(name.c_str());
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return n;
}

// Line and column of a byte offset, for messages a person can act on.
void locate(std::string_view text, std::ptrdiff_t offset, LoadError& e) {
    e.line = 1;
    e.column = 1;
    const auto end = std::min<std::size_t>(static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)), text.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++e.line;
            e.column = 1;
        } else {
            ++e.column;
        }
    }
}

}  // namespace

std::optional<std::string> Node::text(std::string_view path) const {
    const pugi::xml_node c = child_at(node_, path);
    if (!c) return std::nullopt;
    std::string out;
    append_text(c, out);
    return out;
}

std::string Node::text_or_empty(std::string_view path) const { return text(path).value_or(std::string()); }

Node Node::child(std::string_view path) const { return Node(child_at(node_, path)); }

std::string Node::own_text() const {
    std::string out;
    append_text(node_, out);
    return out;
}

std::vector<Node> Node::children(std::string_view name) const {
    std::vector<Node> out;
    const std::string n(name);
    for (pugi::xml_node c = node_.child(n.c_str()); c; c = c.next_sibling(n.c_str())) out.emplace_back(c);
    return out;
}

std::unique_ptr<ImportDocument> ImportDocument::parse(std::string_view xml, LoadError& error) {
    std::unique_ptr<ImportDocument> d(new ImportDocument());
    const pugi::xml_parse_result r = d->doc_.load_buffer(xml.data(), xml.size(), kParseOptions);
    if (!r) {
        locate(xml, r.offset, error);
        error.reason = std::string(r.description()) + " (line " + std::to_string(error.line) + ", column " +
                       std::to_string(error.column) + ")";
        return nullptr;
    }
    return d;
}

std::unique_ptr<ImportDocument> ImportDocument::load(const std::filesystem::path& path, LoadError& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error.reason = "The file cannot be read: " + path.string();
        return nullptr;
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad()) {
        error.reason = "The file cannot be read: " + path.string();
        return nullptr;
    }
    return parse(buf.str(), error);
}

Node ImportDocument::settings() const { return Node(doc_.child(kRoot).child("Impostazioni")); }
Node ImportDocument::company() const { return Node(doc_.child(kRoot).child("InfoDitta")); }

const std::vector<pugi::xml_node>& ImportDocument::rows_of(std::string_view section) const {
    auto it = rows_.find(section);
    if (it == rows_.end()) {
        std::vector<pugi::xml_node> v;
        const std::string s(section);
        // Every section element of that name counts, as a path selection would.
        for (pugi::xml_node sec = doc_.child(kRoot).child(s.c_str()); sec; sec = sec.next_sibling(s.c_str()))
            for (pugi::xml_node r = sec.child("Row"); r; r = r.next_sibling("Row")) v.push_back(r);
        it = rows_.emplace(std::string(section), std::move(v)).first;
    }
    return it->second;
}

long ImportDocument::row_count(std::string_view section) const { return static_cast<long>(rows_of(section).size()); }

Node ImportDocument::row(std::string_view section, long i) const {
    const auto& v = rows_of(section);
    if (i < 1 || i > static_cast<long>(v.size())) return Node();
    return Node(v[static_cast<std::size_t>(i - 1)]);
}

const std::vector<pugi::xml_node>& ImportDocument::children_of(std::string_view section, long i,
                                                                std::string_view name) const {
    std::string key(section);
    key += '\n';
    key += std::to_string(i);
    key += '\n';
    key += name;
    auto it = children_.find(key);
    if (it == children_.end()) {
        std::vector<pugi::xml_node> v;
        const Node r = row(section, i);
        for (const Node& c : r.children(name)) v.push_back(c.raw());
        it = children_.emplace(std::move(key), std::move(v)).first;
    }
    return it->second;
}

long ImportDocument::child_count(std::string_view section, long i, std::string_view name) const {
    return static_cast<long>(children_of(section, i, name).size());
}

Node ImportDocument::row_child(std::string_view section, long i, std::string_view name, long j) const {
    const auto& v = children_of(section, i, name);
    if (j < 1 || j > static_cast<long>(v.size())) return Node();
    return Node(v[static_cast<std::size_t>(j - 1)]);
}

}  // namespace importfile
