// The import file reader on arbitrary bytes: decoding, the well-formedness checks and the
// parse, then everything the window and the section checks read from an accepted file (the
// header, the company record, each section's rows, a row's account and VAT rows, the
// registry columns), with the conversions those values go through. A refused file must say
// why and where; a row or child outside its count must be missing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ado/datetime.h"
#include "ado/decimal.h"
#include "ado/error.h"
#include "ado/variant.h"
#include "importfile/file_value.h"
#include "importfile/import_document.h"

namespace {

using importfile::ImportDocument;
using importfile::Node;

constexpr const char* kSections[] = {"CG68_NUMERDESC", "CG24_TABPDC", "CG33_TABCAU",
                                     "CG28_TABCODIVA", "CG44_CLIFOR", "CG41_PRIMANOTA"};
constexpr const char* kHeaderDates[] = {"IE40_DATAORA", "IE40_DADATA", "IE40_ADATA"};
constexpr const char* kHeaderTexts[] = {"IE40_VERSIONE_FILE",  "IE40_DITTA_CG18",      "IE40_UTENTE",
                                        "IE40_MASTROCLIENTI",  "IE40_MASTROFORNITORI", "IE40_CG41_PRIMANOTA",
                                        "IE40_CG68_NUMERDESC", "IE40_CG44_CLIFOR"};
constexpr const char* kFlags[] = {"IE40_FLGESTRATTI", "IE40_FLGCLIFOR"};
constexpr const char* kCompany[] = {"CG16_CODICE", "CG16_RAGSOANAG", "CG16_INDIRIZZO",  "CG16_CAP",
                                    "CG16_CITTA",  "CG16_PROV",      "CG16_CODFISCALE", "CG16_PARTIVA"};
// Rows read beyond these are no different from the first ones; a cap keeps each run short.
constexpr long kRowsRead = 64;
constexpr long kChildrenRead = 16;

void require(bool holds) {
    if (!holds) std::abort();
}

// A value through the conversions the import applies to the file's texts; a conversion may
// refuse the text with ado::Error, as the import's traps expect.
void convert(const std::string& text) {
    (void)ado::Decimal::parse(text);
    (void)ado::DateTime::parse(text);
    try {
        const ado::Variant v(text);
        (void)v.to_integer();
        (void)v.to_long();
        (void)v.to_decimal();
        (void)v.to_date();
    } catch (const ado::Error&) {
    }
    (void)importfile::describe(importfile::FileValue{"X", text});
}

// Every child element of `element`, by name, as the readers select them.
void read_columns(const Node& element) {
    for (pugi::xml_node c = element.raw().first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        const std::optional<std::string> text = element.text(c.name());
        require(text.has_value());
        convert(*text);
    }
    if (element.child("CG16_ANAGGEN").present())
        convert(element.text_or_empty("CG16_ANAGGEN/CG16_RAGSOANAG"));
    (void)element.own_text();
}

void read_header(const ImportDocument& d) {
    const Node settings = d.settings();
    for (const char* name : kHeaderDates)
        if (const auto text = settings.text(name)) {
            if (const auto date = ado::DateTime::parse(*text)) (void)date->format("dd/mm/yyyy hh:nn:ss");
        }
    for (const char* name : kHeaderTexts) convert(settings.text_or_empty(name));
    for (const char* name : kFlags) convert(settings.text_or_empty(name));
    const Node company = d.company();
    for (const char* name : kCompany) convert(company.text_or_empty(name));
}

void read_children(const ImportDocument& d, const char* section, long i, const char* name) {
    const long count = d.child_count(section, i, name);
    require(count >= 0);
    require(!d.row_child(section, i, name, 0).present());
    require(!d.row_child(section, i, name, count + 1).present());
    for (long j = 1; j <= count && j <= kChildrenRead; ++j) {
        const Node child = d.row_child(section, i, name, j);
        require(child.present());
        read_columns(child);
    }
}

void read_sections(const ImportDocument& d) {
    for (const char* section : kSections) {
        const long count = d.row_count(section);
        require(!d.row(section, 0).present());
        require(!d.row(section, count + 1).present());
        for (long i = 1; i <= count && i <= kRowsRead; ++i) {
            const Node row = d.row(section, i);
            require(row.present());
            read_columns(row);
            read_children(d, section, i, "CG42_MOVCONT");
            read_children(d, section, i, "CG43_MOVIVA");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    importfile::LoadError error;
    const auto document = ImportDocument::parse(bytes, error);
    if (!document) {
        // The user is told why and where: message 102 shows this text.
        require(!error.reason.empty());
        require(error.line >= 1 && error.column >= 1);
        return 0;
    }
    read_header(*document);
    read_sections(*document);
    return 0;
}
