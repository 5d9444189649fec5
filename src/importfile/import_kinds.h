#pragma once
// The kinds of an import as the import history records them (IE42_INDPROVIMP).
#include <array>
#include <cstdint>

#include "ado/variant.h"

namespace importfile {

inline constexpr std::int16_t kImportKindStandard = 0;
// Imports of this module: journals taken over into a VAT group.
inline constexpr std::int16_t kImportKindVatGroup = 1;

// Rows 0 and 1; column 0 the code, column 1 its text.
using ImportKindTable = std::array<std::array<ado::Variant, 2>, 2>;

// GetDecodifica_IE42_INDPROVIMP: {{0, "0-Standard"}, {1, "1-Gruppi IVA"}}; the history
// window shows each import's kind with it.
ImportKindTable GetDecodifica_IE42_INDPROVIMP();

}  // namespace importfile
