#include "importfile/group_structure.h"

#include "ado/connection.h"
#include "importfile/file_paths.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"

namespace importfile {

ado::SqlText GroupStructure::statement(std::string_view date_sql, std::int32_t company_code,
                                       std::int32_t year, std::string_view fiscal_code) {
    ado::SqlText sql;
    sql.line(" SELECT CGG5_STRUTGR.*")
        .line("     , LTRIM(RTRIM(CG16_CODFISCALE)) AS CG16_CODFISCALE")
        .line("     , CGG6_TRASCODIFVAL.*")
        .line(" FROM CGG5_STRUTGR WITH (NOLOCK)")
        .line(" LEFT OUTER JOIN VCG16_ANAGGEN AS CG16")
        .line("     ON CG16.CG16_CODICE = CGG5_CODICEAN_CG16")
        .line("         AND ")
        .add(date_sql)
        .add(" BETWEEN ISNULL(CG16.INIZIOVALIDITATOT, '17530101')")
        .line("             AND ISNULL(CG16.FINEVALIDITATOT, '99991231')")
        .line(" LEFT OUTER JOIN CGG6_TRASCODIFVAL WITH (NOLOCK)")
        .line("     ON CGG6_ID_CGG5 = CGG5_ID")
        .line(" WHERE CGG5_DITTA_CG18 = ")
        .number(company_code)
        .line("     AND CGG5_ANNO = ")
        .number(year)
        .line("     AND LTRIM(RTRIM(CG16_CODFISCALE)) = '")
        .value(fiscal_code)
        .add("'");
    return sql.without_final_crlf();
}

bool GroupStructure::GeneraRecordSetStrutturaAnno(const ado::Variant& reference_date,
                                                  const std::string& fiscal_code) noexcept {
    bool found = false;
    const std::string date_text = module::TrimStringa(module::ValoreDefault(reference_date, ""));
    const std::string code = module::TrimStringa(module::ValoreDefault(ado::Variant(fiscal_code), ""));
    if (date_text.empty() || code.empty()) return false;

    module::ModuleContext& context = window_.module_context();
    ImportState& state = window_.import_state();
    module::ErrorTrap trap(window_.error_reporter(), kProcedure);
    std::int32_t year = 0;
    if (!trap.run([&] { year = reference_date.to_date().year(); })) return found;
    ado::SqlText sql;
    if (!trap.run([&] {
            sql = statement(context.FormattaDataSQL(reference_date), context.state().company.company_code,
                            year, trim_blanks(fiscal_code));
        }))
        return found;
    module::ScopedRecordset result;
    if (!trap.run(
            [&] { result = module::need(context.state().connection, "module connection").Execute(sql); }))
        return found;
    trap.run([&] {
        if (!result || result->State() != ado::adStateOpen || (result->BOF() && result->EOF())) return;
        result->MoveFirst();
        const ado::Variant code_value = (*result)["CGG5_CODICEAN_CG16"].Value();
        const std::int32_t member = code_value.is_null() || code_value.is_empty() ? 0 : code_value.to_long();
        module::ChiudiRecordset(state.group_structure);
        state.group_structure = result.release();
        state.member_registry_code = member;
        found = true;
    });
    return found;
}

}  // namespace importfile
