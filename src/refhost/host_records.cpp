#include "refhost/host_records.h"

#include "ado/connection.h"
#include "refhost/host_error.h"

namespace refhost {
namespace {

constexpr const char* kIndicatorColumns[4] = {"FLG_STATEMENTS_CUSTOMERS", "FLG_STATEMENTS_SUPPLIERS",
                                              "FLG_PORTFOLIO_RECEIVABLE", "FLG_PORTFOLIO_PAYABLE"};

// SMALLINT columns answer as 16-bit integers whatever width the engine reports.
ado::Variant small_integer(const ado::Variant& v) {
    if (v.is_null() || v.is_empty()) return ado::Null;
    return ado::Variant(v.to_integer());
}

ado::Variant text_or_null(const ado::Variant& v) {
    if (v.is_null() || v.is_empty()) return ado::Null;
    return ado::Variant(v.to_string());
}

std::string proposal_column(int index) {
    return std::string("PROPOSAL_") + (index < 10 ? "0" : "") + std::to_string(index);
}

}  // namespace

CompanyRecord read_company(ado::Connection& conn, std::int32_t code) {
    ado::SqlText sql;
    sql.line(" SELECT *")
        .line(" FROM HOST_COMPANY WITH (NOLOCK)")
        .line(" WHERE COMPANY_CODE = ")
        .number(code);
    const auto rs = conn.Execute(sql);
    if (rs->EOF()) throw HostError("company " + std::to_string(code) + " is not in HOST_COMPANY");
    auto field = [&](const std::string& name) { return rs->GetFields().Item(name).Value(); };
    CompanyRecord c;
    c.code = code;
    c.chart_group = small_integer(field("CHART_GROUP"));
    c.second_setting = small_integer(field("SECOND_SETTING"));
    c.account_customers = text_or_null(field("ACCOUNT_CUSTOMERS"));
    c.account_suppliers = text_or_null(field("ACCOUNT_SUPPLIERS"));
    for (int i = 0; i < 4; ++i) c.indicators[i] = small_integer(field(kIndicatorColumns[i]));
    for (int i = 0; i < 13; ++i) c.proposals[i] = small_integer(field(proposal_column(i + 1)));
    return c;
}

UserRecord read_user(ado::Connection& conn, const std::string& code) {
    // A code with a quote could only reach the table through doubled quotes; it is refused
    // here rather than written into the statement.
    if (code.find('\'') != std::string::npos)
        throw HostError("user " + code + " is not in HOST_USER (user codes hold no quotes)");
    ado::SqlText sql;
    sql.line(" SELECT USER_CODE, USER_GROUP")
        .line(" FROM HOST_USER WITH (NOLOCK)")
        .line(" WHERE USER_CODE = '")
        .value(code)
        .add("'");
    const auto rs = conn.Execute(sql);
    if (rs->EOF()) throw HostError("user " + code + " is not in HOST_USER");
    return {ado::rtrim(rs->GetFields().Item("USER_CODE").Value().text_or_empty()),
            ado::rtrim(rs->GetFields().Item("USER_GROUP").Value().text_or_empty())};
}

}  // namespace refhost
