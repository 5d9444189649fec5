#include "refhost/vat_numbering.h"

#include "ado/connection.h"
#include "ado/recordset.h"

namespace refhost {
namespace {

constexpr std::size_t kMostDigits = 18;  // BIGINT holds every number of 18 digits

bool integer_type(const ado::Variant& v) {
    const auto type = v.type();
    return type == ado::VarType::Integer || type == ado::VarType::Long || type == ado::VarType::LongLong;
}

std::optional<std::int64_t> digits_number(std::string_view text, std::string& why) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) {
        why = "no document number was given";
        return std::nullopt;
    }
    for (char c : text)
        if (c < '0' || c > '9') {
            why = "the document number '" + std::string(text) + "' is not a number written with digits only";
            return std::nullopt;
        }
    while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
    if (text.size() > kMostDigits) {
        why = "the document number '" + std::string(text) + "' has more than " + std::to_string(kMostDigits) +
              " digits";
        return std::nullopt;
    }
    std::int64_t n = 0;
    for (char c : text) n = n * 10 + (c - '0');
    return n;
}

void add_key(ado::SqlText& sql, const UsedNumber& used) {
    sql.line(" WHERE COMPANY_CODE = ")
        .number(used.company)
        .line("     AND YEAR = ")
        .number(used.year)
        .line("     AND SECTION = '")
        .value(used.section)
        .add("'")
        .line("     AND KIND = ")
        .number(used.kind);
}

void add_date(ado::SqlText& sql, const std::optional<ado::DateTime>& date) {
    if (date)
        sql.add("'").value(date->date_only().compact()).add("'");
    else
        sql.add("NULL");
}

}  // namespace

bool vat_numbering_kind(std::int32_t kind) {
    return kind >= 1 && kind <= 14 && kind != 12;
}

std::optional<std::int64_t> document_number(const ado::Variant& value, std::string& why) {
    if (value.is_empty() || value.is_null()) {
        why = "no document number was given";
        return std::nullopt;
    }
    if (value.is_string()) return digits_number(value.str(), why);
    if (integer_type(value) && value.to_longlong() >= 0) return value.to_longlong();
    why = "the document number " + value.to_string() + " is not a whole number of 0 or more";
    return std::nullopt;
}

void record_used_number(ado::Connection& conn, const UsedNumber& used) {
    ado::SqlText select;
    select.line(" SELECT LAST_NUMBER").line(" FROM HOST_VAT_NUMBERING");
    add_key(select, used);
    const auto rs = conn.Execute(select);
    ado::SqlText write;
    if (rs->EOF()) {
        write
            .line(
                " INSERT INTO HOST_VAT_NUMBERING (COMPANY_CODE, YEAR, SECTION, KIND, LAST_NUMBER, LAST_DATE)")
            .line(" VALUES (")
            .number(used.company)
            .add(", ")
            .number(used.year)
            .add(", '")
            .value(used.section)
            .add("', ")
            .number(used.kind)
            .add(", ")
            .number(used.number)
            .add(", ");
        add_date(write, used.date);
        write.add(")");
    } else {
        if (rs->GetFields().Item(0).Value().to_longlong() >= used.number) return;
        write.line(" UPDATE HOST_VAT_NUMBERING SET LAST_NUMBER = ").number(used.number).add(", LAST_DATE = ");
        add_date(write, used.date);
        add_key(write, used);
    }
    conn.Execute(write);
}

}  // namespace refhost
