#include "importfile/import_document.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "importfile/xml_checker.h"
#include "importfile/xml_encoding.h"

namespace importfile {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

// An element's first text is kept in the element itself rather than in a node of its own: most
// elements hold one value, so the tree has about half the nodes. Comments and processing
// instructions leave no node, and an element whose text is embedded keeps looking childless to
// the parser, which then keeps a blank run after one ("x<!--c-->  </A>" would read "x  " where
// the parser drops the blanks after a text node). A file holding either past its declaration is
// parsed without embedding.
unsigned parse_options(std::string_view text) {
    const bool embed =
        text.find("<!--") == std::string_view::npos && text.find("<?", 1) == std::string_view::npos;
    return embed ? kParseOptions | pugi::parse_embed_pcdata : kParseOptions;
}

// All text under `top`, in document order. The walk follows the tree's own links instead of
// recursing: a file may nest elements deeper than the stack would allow. An element's embedded
// text (its value) comes before its children: it was the first thing it held.
void append_text(const pugi::xml_node& top, std::string& out) {
    out += top.value();
    pugi::xml_node n = top.first_child();
    while (n) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata || n.type() == pugi::node_element)
            out += n.value();
        if (n.type() == pugi::node_element && n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != top && !n.next_sibling()) n = n.parent();
        if (n == top) break;
        n = n.next_sibling();
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

LoadError load_error(const xml::Failure& failure, std::string_view text) {
    const xml::Position position = xml::locate(text, failure.offset);
    return LoadError{failure.what + " (line " + std::to_string(position.line) + ", column " +
                         std::to_string(position.column) + ")",
                     position.line, position.column};
}

xml::Failure parser_failure(const pugi::xml_parse_result& result) {
    return xml::Failure{result.description(),
                        static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0))};
}

// The parser's problem unless the checks found one earlier in the text.
xml::Failure first_of(const std::optional<xml::Failure>& checked, xml::Failure parsed) {
    return checked && checked->offset < parsed.offset ? *checked : parsed;
}

// Read in pieces rather than sized first: a special file may report no size, or a wrong one.
std::optional<std::string> read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    std::array<char, 1 << 16> piece;
    while (in.read(piece.data(), piece.size()) || in.gcount() > 0)
        bytes.append(piece.data(), static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::string> Node::text(std::string_view path) const {
    const pugi::xml_node c = child_at(node_, path);
    if (!c) return std::nullopt;
    std::string out;
    append_text(c, out);
    return out;
}

std::string Node::text_or_empty(std::string_view path) const {
    return text(path).value_or(std::string());
}

Node Node::child(std::string_view path) const {
    return Node(child_at(node_, path));
}

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
    return from_source([xml] { return std::optional<std::string>(std::string(xml)); }, {}, error);
}

std::unique_ptr<ImportDocument> ImportDocument::load(const std::filesystem::path& path, LoadError& error) {
    return from_source([&path] { return read_file(path); }, "The file cannot be read: " + path.string(),
                       error);
}

// The file is decoded to UTF-8 and checked for what the parser lets through, then parsed.
// When both the checks and the parser find a problem, the earlier one is reported; a file
// that cannot be decoded is not parsed at all. The parser works in the decoded text itself,
// which the document keeps, so a large file is held once rather than twice; as it writes
// into that text, a problem is located in the file read and decoded a second time.
std::unique_ptr<ImportDocument> ImportDocument::from_source(
    const std::function<std::optional<std::string>()>& read, const std::string& unreadable,
    LoadError& error) {
    std::optional<std::string> bytes = read();
    if (!bytes) {
        error.reason = unreadable;
        return nullptr;
    }
    std::unique_ptr<ImportDocument> d(new ImportDocument());
    if (const auto failure = xml::decode_file(std::move(*bytes), d->text_)) {
        error = load_error(*failure, d->text_);
        return nullptr;
    }
    std::optional<xml::Failure> failure = xml::check_well_formed(d->text_);
    const unsigned options = parse_options(d->text_);
    const pugi::xml_parse_result r =
        d->doc_.load_buffer_inplace(d->text_.data(), d->text_.size(), options, pugi::encoding_utf8);
    if (!r) failure = first_of(failure, parser_failure(r));
    if (!failure) return d;
    d.reset();
    std::string original;
    if (std::optional<std::string> again = read()) (void)xml::decode_file(std::move(*again), original);
    error = load_error(*failure, original);
    return nullptr;
}

Node ImportDocument::settings() const {
    return Node(doc_.child(kRoot).child("Impostazioni"));
}
Node ImportDocument::company() const {
    return Node(doc_.child(kRoot).child("InfoDitta"));
}

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

long ImportDocument::row_count(std::string_view section) const {
    return static_cast<long>(rows_of(section).size());
}

Node ImportDocument::row(std::string_view section, long i) const {
    const auto& v = rows_of(section);
    if (i < 1 || i > static_cast<long>(v.size())) return Node();
    return Node(v[static_cast<std::size_t>(i - 1)]);
}

const std::vector<pugi::xml_node>& ImportDocument::children_of(std::string_view section, long i,
                                                               std::string_view name) const {
    auto slot = std::find_if(children_.begin(), children_.end(),
                             [&](const ChildSlot& c) { return c.section == section && c.name == name; });
    if (slot == children_.end())
        slot = children_.insert(children_.end(), ChildSlot{std::string(section), std::string(name), 0, {}});
    if (slot->row != i) {
        slot->row = i;
        slot->nodes.clear();
        const std::string n(name);
        for (pugi::xml_node c = row(section, i).raw().child(n.c_str()); c; c = c.next_sibling(n.c_str()))
            slot->nodes.push_back(c);
    }
    return slot->nodes;
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
