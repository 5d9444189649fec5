#pragma once
// The transcoding lookups the section checks and the journal import share, on the window's
// group structure (the member's CGG5_STRUTGR row with its CGG6_TRASCODIFVAL values):
// IsPresenteElementoTranscodifica, IsPresenteTranscodifica, IsPresenteCodiceComune and
// GetValoreInternoTranscodifica. Each traps its own errors; after an error it gives the
// result it held (false, or the empty text).
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/sqltext.h"
#include "ado/variant.h"
#include "importfile/window_procedure.h"

namespace verify {

// Transcoding kinds (CGG6_INDTRASC) and the default indicators of the group structure.
enum TranscodingKind : std::int32_t { kKindSection = 0, kKindVatCode = 1, kKindCausal = 2, kKindAccount = 3 };
enum DefaultIndicator : std::int32_t {
    kUnchanged = 0,
    kTranscoded = 1,
    kFixedValue = 2,
    kAccountProposal = 3,
};

// The filter of a transcoding value: "CGG6_INDTRASC = <kind> AND CGG6_VALESTERNO = '<code>'".
// The code is one literal of the filter whatever it holds: a quote in it is doubled.
std::string transcoding_filter(std::int32_t kind, std::string_view external_code);

// The default indicator (null as 0) and the fixed value (null as empty) of a kind, from the
// group structure's first row.
struct KindDefaults {
    std::int32_t indicator = 0;
    std::string fixed_value;
};

class Transcoding : public importfile::WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;

    // True when the statement, run on the module connection, returns a row. An empty text
    // returns false without touching the database.
    bool IsPresenteElementoTranscodifica(const ado::SqlText& statement) noexcept;
    // True when a row of the group structure matches the filter with a non-blank
    // CGG6_VALINTERNO; `internal_value` gets it trimmed (empty otherwise).
    bool IsPresenteTranscodifica(const std::string& filter, std::string& internal_value) noexcept;
    // True when the municipality code (trimmed, 4 characters) is in CG01_ANAGCOMUNI.
    bool IsPresenteCodiceComune(const ado::Variant& code) noexcept;
    // The group company's code for a member's code of a kind, or the empty text.
    std::string GetValoreInternoTranscodifica(std::int32_t kind, const ado::Variant& external_value,
                                              const ado::Variant& causal,
                                              std::int32_t operation_type) noexcept;

    // The default indicator of a kind read from the group structure's first row, its filter
    // cleared first (null as 0); kind -1 reads nothing. Throws on a failing read.
    KindDefaults defaults_of(std::int32_t kind);
    static const char* indicator_column(std::int32_t kind);
};

}  // namespace verify
