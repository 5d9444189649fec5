// Record-set filters on arbitrary text. A filter text either fails with ado::Error, leaving
// the previous filter, or shows some rows; a record set filtered on the same text again and
// again finds its rows through the index of the filter's equalities (kept up to date as
// rows are added and changed), and must show exactly the rows a fresh record set shows by
// reading every row. Find runs on the same text as a single comparison.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/types.h"
#include "ado/variant.h"

namespace {

using ado::Variant;
using Row = std::vector<Variant>;

struct Column {
    const char* name;
    int type;
    long size;
    int precision;
    int scale;
};

// The kinds of column the module filters on: codes of fixed width, texts, counters, amounts,
// indicators, dates and the rest of the platform's types.
constexpr Column kColumns[] = {
    {"ID", ado::adInteger, 0, 0, 0},
    {"CODE", ado::adChar, 4, 0, 0},
    {"NAME", ado::adVarWChar, 20, 0, 0},
    {"AMOUNT", ado::adNumeric, 0, 18, 2},
    {"KIND", ado::adSmallInt, 0, 0, 0},
    {"DAY", ado::adDBTimeStamp, 0, 0, 0},
    {"RATE", ado::adDouble, 0, 0, 0},
    {"FLAG", ado::adBoolean, 0, 0, 0},
    {"BIG", ado::adBigInt, 0, 0, 0},
    {"STATO", ado::adDecimal, 0, 2, 0},
    {"WIDE", ado::adWChar, 3, 0, 0},
    {"CASH", ado::adCurrency, 0, 0, 0},
    {"CGG6_INDTRASC", ado::adDecimal, 0, 2, 0},
    {"CGG6_VALESTERNO", ado::adVarWChar, 20, 0, 0},
    {"NOTE", ado::adVarWChar, 50, 0, 0},
};

std::vector<Row> base_rows() {
    const ado::NullTag null = ado::Null;
    return {
        {1, "AB", "ABC", "10.50", 1, "2024-01-05", 0.1, true, 1000000000000LL, "0", "x", "1.5", "0", "ABC",
         "x"},
        {2, "CD", "O'Brien", "-3.25", 2, "2024-02-10 12:00:00", -2.5, false, -1LL, "31", "é", "0", "1",
         "O'Brien", null},
        {3, "  ", "abc ", "0", null, null, null, null, null, null, null, null, null, null, "hello world"},
        {4, "ab", "Zeta*%_[", "100", 3, "1899-12-30", 1e300, true, 9223372036854775807LL, "99", "",
         "-922337203685477.5808", "3", "Zeta", "World"},
        {5, null, "", "7.5", 0, "9999-12-31 23:59:59", 0.0, false, 0LL, "-99", "  ", "7.5", "1", "ABC", ""},
        {6, "ÀÈ", "città 'x'", "-0.01", -32768, "0100-01-01", -0.0, true, 5LL, "1", "ß", "100", "2", "abc ",
         "50%"},
    };
}

void require(bool holds) {
    if (!holds) std::abort();
}

void add_row(ado::Recordset& rs, const Row& row) {
    rs.AddNew();
    for (std::size_t i = 0; i < row.size(); ++i) rs[static_cast<int>(i)] = row[i];
    rs.Update();
}

ado::RecordsetPtr record_set(const std::vector<Row>& rows) {
    auto rs = ado::Recordset::create();
    for (const Column& c : kColumns) {
        rs->GetFields().Append(c.name, c.type, c.size);
        if (c.precision > 0) rs->GetFields()[c.name].SetPrecision(c.precision);
        if (c.scale > 0) rs->GetFields()[c.name].SetNumericScale(c.scale);
    }
    rs->Open();
    for (const Row& row : rows) add_row(*rs, row);
    return rs;
}

// The IDs the record set shows, first to last.
std::vector<std::int32_t> shown(ado::Recordset& rs) {
    std::vector<std::int32_t> ids;
    if (rs.BOF() && rs.EOF()) return ids;
    for (rs.MoveFirst(); !rs.EOF(); rs.MoveNext()) ids.push_back(rs["ID"].Value().to_long());
    require(static_cast<long>(ids.size()) == rs.RecordCount());
    return ids;
}

// Sets `criteria` on `rs`: the IDs shown, or nothing when the text is refused (the filter
// in place before is then kept).
std::optional<std::vector<std::int32_t>> filtered(ado::Recordset& rs, std::string_view criteria) {
    const std::string before = rs.Filter();
    try {
        rs.SetFilter(criteria);
    } catch (const ado::Error&) {
        require(rs.Filter() == before);
        return std::nullopt;
    }
    return shown(rs);
}

// A new row and a changed one, so that an index built by earlier filters must follow.
const Row kAdded = {7,   "AB", "abc", "10.5", 1,   "2024-01-05", 0.1, true,
                    5LL, "0",  "x",   "1.50", "1", "ABC",        "x"};
constexpr int kChanged = 2;  // the row whose CODE and KIND change
constexpr const char* kChangedCode = "ab ";
constexpr int kChangedKind = 1;

void change(ado::Recordset& rs) {
    rs.MoveFirst();
    for (int i = 1; i < kChanged; ++i) rs.MoveNext();
    rs["CODE"] = kChangedCode;
    rs["KIND"] = kChangedKind;
    rs.Update();
    add_row(rs, kAdded);
}

void find(ado::Recordset& rs, std::string_view criteria) {
    try {
        rs.MoveFirst();
        rs.Find(criteria);
        if (!rs.EOF()) (void)rs["ID"].Value();
        rs.MoveLast();
        rs.Find(criteria, 1, ado::adSearchBackward);
    } catch (const ado::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view criteria(reinterpret_cast<const char*>(data), size);
    const std::vector<Row> rows = base_rows();
    auto warm = record_set(rows);
    const auto first = filtered(*warm, criteria);
    find(*warm, criteria);
    if (!first) return 0;
    // Filtered again, the rows are found by key: the same rows in the same order.
    for (int again = 0; again < 2; ++again) {
        warm->SetFilter("");
        require(filtered(*warm, criteria) == first);
    }
    // After a change and an addition, the kept index shows what reading every row shows.
    warm->SetFilter("");
    change(*warm);
    const auto kept = filtered(*warm, criteria);
    auto fresh = record_set(rows);
    change(*fresh);
    fresh->SetFilter("");
    require(kept == filtered(*fresh, criteria));
    return 0;
}
