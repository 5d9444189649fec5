#pragma once
// GeneraRecordSetStrutturaAnno: finds the exporting member company in the current
// company's VAT-group structure for the year of a reference date, by its fiscal code, and
// keeps that row (with its transcoding values) as the window's group structure.
#include <cstdint>
#include <string>
#include <string_view>

#include "ado/sqltext.h"
#include "ado/variant.h"

#include "importfile/window_procedure.h"

namespace importfile {

class GroupStructure : public WindowProcedure {
  public:
    using WindowProcedure::WindowProcedure;
    static constexpr const char* kProcedure = "GeneraRecordSetStrutturaAnno";

    // True when the member company was found: the window's group structure and the member's
    // registry code are then replaced. False leaves both as they were (also when the user
    // abandons a failing statement).
    bool GeneraRecordSetStrutturaAnno(const ado::Variant& reference_date,
                                      const std::string& fiscal_code) noexcept;

    // The statement, line by line; the fiscal code goes in verbatim (a quote in it makes the
    // statement fail before it reaches the database).
    static ado::SqlText statement(std::string_view date_sql, std::int32_t company_code, std::int32_t year,
                                  std::string_view fiscal_code);
};

}  // namespace importfile
