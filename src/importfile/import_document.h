#pragma once
// The member company's export file: root MovimentiCoGe with the settings header
// Impostazioni, the exporting company InfoDitta and one section of Row elements per
// exported table. The file is parsed once; rows are held in order so that "row i of a
// section" is answered in constant time however large the file.
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace importfile {

// Why a file could not be loaded as XML: the parser's reason with its position.
struct LoadError {
    std::string reason;  // e.g. "Start-end tags mismatch (line 4, column 12)"
    long line = 0;
    long column = 0;
};

// Element of the document (a Row, an account row, Impostazioni...). A missing element is a
// null Node: present() tells them apart, because a missing value and an empty one are
// handled differently by the import.
class Node {
  public:
    Node() = default;
    explicit Node(pugi::xml_node n) : node_(n) {}
    bool present() const { return static_cast<bool>(node_); }
    // Text of the child element at `path` ("NAME" or "CG16_ANAGGEN/NAME"); nullopt when the
    // element is missing. The text is raw (blanks kept), all text content concatenated.
    std::optional<std::string> text(std::string_view path) const;
    // Like text() but the empty text for a missing element.
    std::string text_or_empty(std::string_view path) const;
    Node child(std::string_view path) const;
    // The element's own text.
    std::string own_text() const;
    // Child elements named `name`, in document order.
    std::vector<Node> children(std::string_view name) const;
    std::string name() const { return node_ ? node_.name() : ""; }
    const pugi::xml_node& raw() const { return node_; }

  private:
    pugi::xml_node node_;
};

class ImportDocument {
  public:
    static constexpr const char* kRoot = "MovimentiCoGe";

    // Loads and parses the file. Returns nullptr and fills `error` when the file cannot be
    // read, is in an encoding the reader does not read (UTF-8, UTF-16 with a byte order mark,
    // windows-1252, ISO-8859-1, ISO-8859-15), holds bytes that are no character of its
    // encoding, or is not well-formed XML. Values are UTF-8 whatever the file's encoding.
    static std::unique_ptr<ImportDocument> load(const std::filesystem::path& path, LoadError& error);
    // Same from the bytes of a file already in memory (tests, generators).
    static std::unique_ptr<ImportDocument> parse(std::string_view xml, LoadError& error);

    // /MovimentiCoGe/Impostazioni and /MovimentiCoGe/InfoDitta (null Nodes when missing).
    Node settings() const;
    Node company() const;

    // Number of /MovimentiCoGe/<section>/Row elements.
    long row_count(std::string_view section) const;
    // /MovimentiCoGe/<section>/Row[i], i counted from 1; a null Node outside 1..count.
    Node row(std::string_view section, long i) const;
    // Child j (from 1) named `name` of row i: /MovimentiCoGe/<section>/Row[i]/<name>[j].
    long child_count(std::string_view section, long i, std::string_view name) const;
    Node row_child(std::string_view section, long i, std::string_view name, long j) const;

  private:
    ImportDocument() = default;
    // `read` gives the file's bytes (nullopt: not readable, reported with `unreadable`); it
    // is called a second time only to locate a problem.
    static std::unique_ptr<ImportDocument> from_source(
        const std::function<std::optional<std::string>()>& read, const std::string& unreadable,
        LoadError& error);
    const std::vector<pugi::xml_node>& rows_of(std::string_view section) const;
    const std::vector<pugi::xml_node>& children_of(std::string_view section, long i,
                                                   std::string_view name) const;

    // The children named `name` of one row of `section`. Readers go through a row's children
    // one after the other, so only the row last asked about is kept for each section and name:
    // a few slots, whatever the number of entries (row 0 has no children).
    struct ChildSlot {
        std::string section;
        std::string name;
        long row = 0;
        std::vector<pugi::xml_node> nodes;
    };

    std::string text_;  // the decoded file, which the parsed nodes point into: before doc_
    pugi::xml_document doc_;
    // Built on first use, one entry per section.
    mutable std::map<std::string, std::vector<pugi::xml_node>, std::less<>> rows_;
    mutable std::vector<ChildSlot> children_;
};

}  // namespace importfile
