#include "db_check_journal.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "refhost/database.h"
#include "refhost/number_store.h"
#include "refhost/numbering_services.h"

namespace cli {
namespace {

// Calls `row` for every row of the statement's result.
template <class F>
void each_row(ado::Connection& conn, const ado::SqlText& sql, F&& row) {
    const ado::RecordsetPtr rs = conn.Execute(sql);
    for (; !rs->EOF(); rs->MoveNext()) row(*rs);
}

std::string text(ado::Recordset& rs, std::string_view column) {
    return ado::rtrim(rs[column].Value().text_or_empty());
}

std::string entry_name(ado::Recordset& rs, std::string_view company, std::string_view number) {
    return "company " + text(rs, company) + " entry " + text(rs, number);
}

// Entries without a row in `table` joined on company and registration number.
void entries_without(ado::Connection& books, std::string_view table, std::string_view prefix,
                     std::string_view number_column, CheckOutcome& out) {
    const std::string p(prefix);
    ado::SqlText sql;
    sql.line(" SELECT CG41_DITTA_CG18, CG41_NUMREG")
        .line(" FROM CG41_PRIMANOTA WITH (NOLOCK)")
        .line(" WHERE NOT EXISTS (SELECT 1 FROM ")
        .add(table)
        .add(" WITH (NOLOCK)")
        .line("     WHERE ")
        .add(p + "_DITTA_CG18 = CG41_DITTA_CG18 AND ")
        .add(number_column)
        .add(" = CG41_NUMREG)")
        .line(" ORDER BY CG41_DITTA_CG18, CG41_NUMREG");
    each_row(books, sql, [&](ado::Recordset& rs) {
        out.add(entry_name(rs, "CG41_DITTA_CG18", "CG41_NUMREG") + ": no " + std::string(table) + " row");
    });
}

// Rows of `table` whose entry is not in CG41_PRIMANOTA.
void rows_without_entry(ado::Connection& books, std::string_view table, std::string_view prefix,
                        std::string_view row_column, CheckOutcome& out) {
    const std::string p(prefix);
    ado::SqlText sql;
    sql.line(" SELECT ")
        .add(p + "_DITTA_CG18 AS COMPANY, " + p + "_NUMREG_CG41 AS NUMREG, ")
        .add(row_column)
        .add(" AS ROWNUM")
        .line(" FROM ")
        .add(table)
        .add(" WITH (NOLOCK)")
        .line(" WHERE NOT EXISTS (SELECT 1 FROM CG41_PRIMANOTA WITH (NOLOCK)")
        .line("     WHERE CG41_DITTA_CG18 = ")
        .add(p + "_DITTA_CG18 AND CG41_NUMREG = " + p + "_NUMREG_CG41)")
        .line(" ORDER BY 1, 2, 3");
    each_row(books, sql, [&](ado::Recordset& rs) {
        out.add(std::string(table) + " row " + text(rs, "ROWNUM") + " of " +
                entry_name(rs, "COMPANY", "NUMREG") + ": no such entry in CG41_PRIMANOTA");
    });
}

// Keys of `table` that more than one row holds, grouped as the books compare them.
void repeated_keys(ado::Connection& books, std::string_view table, std::string_view key_columns,
                   std::string_view what, CheckOutcome& out) {
    ado::SqlText sql;
    sql.line(" SELECT ")
        .add(key_columns)
        .add(", COUNT(*) AS N")
        .line(" FROM ")
        .add(table)
        .add(" WITH (NOLOCK)")
        .line(" GROUP BY ")
        .add(key_columns)
        .line(" HAVING COUNT(*) > 1")
        .line(" ORDER BY ")
        .add(key_columns);
    each_row(books, sql, [&](ado::Recordset& rs) {
        std::string key;
        const int keys = rs.GetFields().Count() - 1;
        for (int i = 0; i < keys; ++i)
            key += (i == 0 ? "" : ", ") + rs.GetFields().Item(i).Name() + " " +
                   ado::rtrim(rs.GetFields().Item(i).Value().text_or_empty());
        out.add(std::string(table) + " " + std::string(what) + " (" + key + "): " + text(rs, "N") + " rows");
    });
}

std::optional<std::int64_t> whole_number(const ado::Variant& v) {
    if (v.is_null() || v.is_empty()) return std::nullopt;
    return v.to_longlong();
}

// The highest registration number of the year a company's books use: the 8 digits after the
// year's four, as the numbering service reads them; texts of another form are passed over.
std::optional<std::int64_t> highest_registration(ado::Connection& books, std::int64_t company,
                                                 std::int64_t year) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%04d", static_cast<int>(year % 10000));
    std::optional<std::int64_t> highest;
    for (const auto& [table, number, company_column] :
         {std::tuple{"CO99_MASTERDOC", "CO99_NUMREG", "CO99_DITTA_CG18"},
          std::tuple{"CG41_PRIMANOTA", "CG41_NUMREG", "CG41_DITTA_CG18"}}) {
        ado::SqlText sql;
        sql.line(" SELECT ")
            .add(number)
            .add(" AS NUMREG")
            .line(" FROM ")
            .add(table)
            .add(" WITH (NOLOCK)")
            .line(" WHERE ")
            .add(company_column)
            .add(" = ")
            .number(company)
            .line("     AND ")
            .add(number)
            .add(" >= '")
            .value(std::string(prefix) + "00000000")
            .add("' AND ")
            .add(number)
            .add(" <= '")
            .value(std::string(prefix) + "99999999")
            .add("'")
            .line(" ORDER BY ")
            .add(number)
            .add(" DESC");
        const ado::RecordsetPtr rs = books.Execute(sql);
        for (; !rs->EOF(); rs->MoveNext()) {
            const std::string n = ado::rtrim(rs->GetFields().Item(0).Value().text_or_empty());
            if (n.size() != 12 || n.compare(0, 4, prefix) != 0 ||
                n.find_first_not_of("0123456789", 4) != std::string::npos)
                continue;
            const std::int64_t value = std::stoll(n.substr(4));
            if (!highest || value > *highest) highest = value;
            break;
        }
    }
    return highest;
}

// The highest customer (0) or supplier (1) code of a company.
std::optional<std::int64_t> highest_party_code(ado::Connection& books, std::int64_t company, int type) {
    ado::SqlText sql;
    sql.line(" SELECT MAX(CG44_CLIFOR) AS LAST_CODE")
        .line(" FROM CG44_CLIFOR WITH (NOLOCK)")
        .line(" WHERE CG44_DITTA_CG18 = ")
        .number(company)
        .add(" AND CG44_TIPOCF = ")
        .number(type);
    const ado::RecordsetPtr rs = books.Execute(sql);
    return rs->EOF() ? std::nullopt : whole_number(rs->GetFields().Item(0).Value());
}

}  // namespace

CheckOutcome check_entries_whole(ado::Connection& books) {
    CheckOutcome out{"entries whole"};
    entries_without(books, "CO99_MASTERDOC", "CO99", "CO99_NUMREG", out);
    entries_without(books, "CG42_MOVCONT", "CG42", "CG42_NUMREG_CG41", out);
    rows_without_entry(books, "CG42_MOVCONT", "CG42", "CG42_NUMRIGACONT", out);
    rows_without_entry(books, "CG43_MOVIVA", "CG43", "CG43_NUMRIGAIVA", out);
    return out;
}

CheckOutcome check_entries_balanced(ado::Connection& books) {
    CheckOutcome out{"entries balanced"};
    // Sums are exact and held in one form per value, so equal totals compare equal.
    ado::SqlText sql;
    sql.line(
           " SELECT CG42_DITTA_CG18, CG42_NUMREG_CG41, SUM(CG42_IMPDARE) AS DEBIT, SUM(CG42_IMPAVERE) AS "
           "CREDIT")
        .line(" FROM CG42_MOVCONT WITH (NOLOCK)")
        .line(" GROUP BY CG42_DITTA_CG18, CG42_NUMREG_CG41")
        .line(" HAVING SUM(CG42_IMPDARE) <> SUM(CG42_IMPAVERE)")
        .line(" ORDER BY CG42_DITTA_CG18, CG42_NUMREG_CG41");
    each_row(books, sql, [&](ado::Recordset& rs) {
        out.add(entry_name(rs, "CG42_DITTA_CG18", "CG42_NUMREG_CG41") + ": debit " +
                rs["DEBIT"].Value().to_decimal().to_string() + ", credit " +
                rs["CREDIT"].Value().to_decimal().to_string());
    });
    return out;
}

CheckOutcome check_numbers_unique(ado::Connection& books) {
    CheckOutcome out{"numbers unique"};
    repeated_keys(books, "CG41_PRIMANOTA", "CG41_DITTA_CG18, CG41_NUMREG", "registration number", out);
    repeated_keys(books, "CO99_MASTERDOC", "CO99_DITTA_CG18, CO99_NUMREG", "registration number", out);
    repeated_keys(books, "IE43_DETTIMPCOGE", "IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF",
                  "member entry taken over", out);
    return out;
}

CheckOutcome check_numbering_store(ado::Connection& books, const std::filesystem::path& db) {
    CheckOutcome out{"numbering store"};
    const std::filesystem::path store_file = db.string() + std::string(refhost::kNumberStoreSuffix);
    if (!std::filesystem::exists(store_file)) return out;
    ado::Connection store;
    store.Open(refhost::connection_string(store_file) + ";Mode=ReadOnly");
    ado::SqlText sql;
    sql.line(" SELECT COMPANY, KIND, SECTION, YEAR, LAST_NUMBER")
        .line(" FROM ")
        .add(refhost::kNumberingTable)
        .line(" WHERE KIND IN (")
        .number(refhost::kCustomerCodeKind)
        .add(", ")
        .number(refhost::kSupplierCodeKind)
        .add(", ")
        .number(refhost::kRegistrationKind)
        .add(")")
        .line(" ORDER BY COMPANY, KIND, YEAR, SECTION");
    each_row(store, sql, [&](ado::Recordset& rs) {
        const std::int64_t company = rs["COMPANY"].Value().to_longlong();
        const std::int64_t kind = rs["KIND"].Value().to_longlong();
        const std::int64_t year = rs["YEAR"].Value().to_longlong();
        const std::int64_t last = rs["LAST_NUMBER"].Value().to_longlong();
        const bool registration = kind == refhost::kRegistrationKind;
        const std::optional<std::int64_t> used =
            registration ? highest_registration(books, company, year)
                         : highest_party_code(books, company, kind == refhost::kCustomerCodeKind ? 0 : 1);
        if (!used || *used <= last) return;
        std::string counter = std::string(refhost::kNumberingTable) + " company " + std::to_string(company) +
                              " kind " + std::to_string(kind);
        if (registration) counter += " year " + std::to_string(year);
        out.add(counter + ": last number handed out " + std::to_string(last) + ", but the books use " +
                std::to_string(*used) +
                (registration                         ? " (CG41_PRIMANOTA, CO99_MASTERDOC)"
                 : kind == refhost::kCustomerCodeKind ? " (CG44_CLIFOR customers)"
                                                      : " (CG44_CLIFOR suppliers)"));
    });
    return out;
}

}  // namespace cli
