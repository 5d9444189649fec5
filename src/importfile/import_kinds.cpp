#include "importfile/import_kinds.h"

namespace importfile {

ImportKindTable GetDecodifica_IE42_INDPROVIMP() {
    ImportKindTable table;
    table[0][0] = ado::Variant(static_cast<int>(kImportKindStandard));
    table[0][1] = ado::Variant("0-Standard");
    table[1][0] = ado::Variant(static_cast<int>(kImportKindVatGroup));
    table[1][1] = ado::Variant("1-Gruppi IVA");
    return table;
}

}  // namespace importfile
