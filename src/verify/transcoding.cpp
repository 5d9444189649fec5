#include "verify/transcoding.h"

#include "ado/connection.h"
#include "ado/recordset.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"
#include "proposal/proposal_lookup.h"

namespace verify {

using importfile::module_connection;

namespace {

constexpr const char* kIsPresenteElemento = "IsPresenteElementoTranscodifica";
constexpr const char* kIsPresenteTranscodifica = "IsPresenteTranscodifica";
constexpr const char* kIsPresenteComune = "IsPresenteCodiceComune";
constexpr const char* kGetValoreInterno = "GetValoreInternoTranscodifica";

bool has_rows(const ado::Recordset& rs) {
    return rs.State() == ado::adStateOpen && !rs.BOF() && !rs.EOF();
}

ado::Recordset& group_structure(importfile::ImportWindowContext& window) {
    const ado::RecordsetPtr& structure = window.import_state().group_structure;
    if (!structure || structure->State() != ado::adStateOpen)
        throw ado::Error(ado::kErrNotOpen, "The group structure is not open.");
    return *structure;
}

}  // namespace

std::string transcoding_filter(std::int32_t kind, std::string_view external_code) {
    std::string filter = "CGG6_INDTRASC = " + std::to_string(kind) + " AND " + "CGG6_VALESTERNO = '";
    filter += module::RaddoppiaApici(external_code);
    filter += "'";
    return filter;
}

const char* Transcoding::indicator_column(std::int32_t kind) {
    switch (kind) {
        case kKindSection:
            return "CGG5_INDDEFAULTSEZ";
        case kKindVatCode:
            return "CGG5_INDDEFAULTCODIVA";
        case kKindCausal:
            return "CGG5_INDDEFAULTCAUCONT";
        case kKindAccount:
            return "CGG5_INDDEFAULTCONTI";
        default:
            return nullptr;
    }
}

namespace {

const char* fixed_value_column(std::int32_t kind) {
    switch (kind) {
        case kKindSection:
            return "CGG5_DEFAULTSEZ";
        case kKindVatCode:
            return "CGG5_DEFAULTCODIVA";
        case kKindCausal:
            return "CGG5_DEFAULTCAUCONT";
        case kKindAccount:
            return "CGG5_DEFAULTCONTI";
        default:
            return nullptr;
    }
}

}  // namespace

KindDefaults Transcoding::defaults_of(std::int32_t kind) {
    KindDefaults defaults;
    const ado::RecordsetPtr& structure = window_.import_state().group_structure;
    if (!structure) return defaults;
    structure->SetFilter("");
    if (structure->BOF() && structure->EOF()) return defaults;
    if (structure->BOF() || structure->EOF()) structure->MoveFirst();
    const char* indicator = indicator_column(kind);
    if (indicator == nullptr) return defaults;
    defaults.indicator =
        static_cast<std::int32_t>(module::ValoreDefault((*structure)[indicator].Value(), 0).to_long());
    defaults.fixed_value = (*structure)[fixed_value_column(kind)].Value().text_or_empty();
    return defaults;
}

bool Transcoding::IsPresenteElementoTranscodifica(const ado::SqlText& statement) noexcept {
    bool found = false;
    if (statement.text().empty()) return found;
    module::ErrorTrap trap(window_.error_reporter(), kIsPresenteElemento);
    module::ScopedRecordset result;
    if (!trap.run([&] { result = (module_connection(window_).Execute(statement)); })) return found;
    trap.run([&] { found = has_rows(*result); });
    return found;
}

bool Transcoding::IsPresenteTranscodifica(const std::string& filter, std::string& internal_value) noexcept {
    bool found = false;
    internal_value.clear();
    if (filter.empty()) return found;
    module::ErrorTrap trap(window_.error_reporter(), kIsPresenteTranscodifica);
    module::ScopedRecordset clone;
    if (!trap.run([&] { clone = group_structure(window_).Clone(); })) return found;
    if (!trap.run([&] { clone->SetFilter(filter); })) return found;
    trap.run([&] {
        if (!has_rows(*clone)) return;
        const std::string value = ado::trim((*clone)["CGG6_VALINTERNO"].Value().text_or_empty());
        if (value.empty()) return;
        internal_value = value;
        found = true;
    });
    return found;
}

bool Transcoding::IsPresenteCodiceComune(const ado::Variant& code) noexcept {
    bool found = false;
    if (code.text_or_empty().empty()) return found;
    module::ErrorTrap trap(window_.error_reporter(), kIsPresenteComune);
    module::ScopedRecordset result;
    if (!trap.run([&] {
            ado::SqlText sql;
            sql.line(" SELECT CG01_CODICE")
                .line(" FROM CG01_ANAGCOMUNI WITH (NOLOCK)")
                .line(" WHERE CG01_CODICE = '")
                .value(module::StringaFissa(code, 4))
                .add("'");
            result = (module_connection(window_).Execute(sql));
        }))
        return found;
    trap.run([&] { found = has_rows(*result); });
    return found;
}

std::string Transcoding::GetValoreInternoTranscodifica(std::int32_t kind, const ado::Variant& external_value,
                                                       const ado::Variant& causal,
                                                       std::int32_t operation_type) noexcept {
    std::string internal;
    const std::string external = external_value.text_or_empty();
    if (external.empty()) return internal;
    if (kind == kKindAccount && causal.text_or_empty().empty() && operation_type == 0) return internal;

    module::ErrorTrap trap(window_.error_reporter(), kGetValoreInterno);
    KindDefaults defaults;
    if (!trap.run([&] { defaults = defaults_of(kind); })) return internal;

    // Indicators 1 and 3 read the value row of the kind on a clone, so the shared group
    // structure keeps its position.
    const auto value_row = [&](std::int32_t filter_kind) {
        module::ScopedRecordset clone;
        clone = group_structure(window_).Clone();
        clone->SetFilter(transcoding_filter(filter_kind, external));
        if (!has_rows(*clone)) return false;
        internal = (*clone)["CGG6_VALINTERNO"].Value().text_or_empty();
        return true;
    };
    trap.run([&] {
        switch (defaults.indicator) {
            case kUnchanged:
                internal = external;
                break;
            case kTranscoded:
                value_row(kind);
                break;
            case kFixedValue:
                internal = defaults.fixed_value;
                break;
            case kAccountProposal:
                if (!value_row(kKindAccount)) {
                    std::string description, account;
                    if (proposal::ProposalLookup(window_).IsPresenteElementoTranscodificaPropostaConti(
                            causal, ado::Variant(operation_type), description, account))
                        internal = account;
                }
                break;
            default:
                break;
        }
    });
    return ado::trim(internal);
}

}  // namespace verify
