// The shared routines: the documented edge values and junk input, which must give the
// stated fall-back result and never throw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ado/datetime.h"
#include "ado/recordset.h"
#include "ado/types.h"
#include "modulebase/routines.h"
#include "scripted_host.h"

namespace {

using ado::Variant;
using module::ConvertiDataOra;
using module::FormattaDataSQL;
using module::RaddoppiaApici;
using module::StringaFissa;
using module::TrimStringa;
using module::ValoreDecimale;
using module::ValoreDefault;
using scripted::column;

TEST(FormattaDataSQL, QuotesTheHostDateTextOrUsesToday) {
    const std::string today = "'" + ado::DateTime::today().compact() + "'";
    const std::vector<std::pair<Variant, std::string>> cases = {
        {"31/01/2024", "'20240131'"},
        {"2024-01-31", "'20240131'"},
        {ado::DateTime::from_parts(2024, 1, 31, 10, 30), "'20240131'"},
        // empty, blank, Empty, Null, not a date, impossible day, month 13, a number, overlong
        {"", today},
        {"    ", today},
        {Variant(), today},
        {ado::Null, today},
        {"abc", today},
        {"31/02/2024", today},
        {"01/13/2024", today},
        {12345, today},
        {std::string(5000, 'x'), today}};
    scripted::Date date(std::make_shared<scripted::CallLog>());
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value.text_or_empty().substr(0, 20));
        EXPECT_EQ(FormattaDataSQL(value, &date), expected);
    }
}

TEST(FormattaDataSQL, HandsTheHostTheDateAndGivesNullWhenRefusedOrWithoutDateObject) {
    scripted::Date date(std::make_shared<scripted::CallLog>());
    FormattaDataSQL("15/06/2023 08:00", &date);
    EXPECT_EQ(date.dates_given, std::vector<ado::DateTime>{ado::DateTime::from_parts(2023, 6, 15, 8, 0)});
    date.validity_code = 1;
    EXPECT_EQ(FormattaDataSQL("31/01/2024", &date), "NULL");
    EXPECT_EQ(FormattaDataSQL("31/01/2024", nullptr), "NULL");
}

TEST(TrimStringa, RemovesTrailingBlanksOnly) {
    const std::vector<std::pair<Variant, std::string>> cases = {
        {"abc   ", "abc"}, {"  abc  ", "  abc"}, {ado::Null, ""}, {Variant(), ""},
        {"   ", ""},       {12, "12"},           {"a\t ", "a\t"}, {"èé  ", "èé"}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(TrimStringa(value), expected) << expected;
}

// Zero for nothing, Empty for junk, a Decimal otherwise; the type counts as well as the value.
TEST(ValoreDecimale, ZeroForNothingEmptyForJunkDecimalOtherwise) {
    const Variant zero(std::int16_t{0});
    const std::vector<std::tuple<const char*, Variant, Variant>> cases = {
        {"Empty", Variant(), zero},
        {"Null", ado::Null, zero},
        {"blank text", "   ", zero},
        // Italian regional settings: comma for decimals, point for groups of three
        {"text with comma", "12,50", ado::Decimal::from_string("12.5")},
        {"grouped thousands", "1.234,5", ado::Decimal::from_string("1234.5")},
        {"a point that groups no thousands", "12.50", Variant()},
        {"negative text", " -3 ", ado::Decimal(-3)},
        {"a Long", 7, ado::Decimal(7)},
        {"exponent", "1E3", ado::Decimal(1000)},
        {"not a number", "abc", Variant()},
        {"number and junk", "12abc", Variant()},
        {"beyond a Decimal", "1E400", Variant()},
        {"a date", ado::DateTime::from_parts(2024, 1, 1), Variant()}};
    for (const auto& [name, value, expected] : cases) {
        SCOPED_TRACE(name);
        const Variant result = ValoreDecimale(value);
        EXPECT_EQ(result.type(), expected.type());
        EXPECT_EQ(result, expected);
    }
    EXPECT_EQ(ValoreDecimale().type(), ado::VarType::Integer);
    EXPECT_EQ(ValoreDecimale(), zero);
}

TEST(ValoreDefault, DefaultForEmptyNullAndBlankText) {
    const std::vector<std::tuple<const char*, Variant, Variant, Variant>> cases = {
        // name, value, default, result
        {"blank text", "   ", 0, 0},
        {"text zero stays text", "0", 0, "0"},
        {"empty text", "", "x", "x"},
        {"Empty", Variant(), "x", "x"},
        {"Null", ado::Null, 5, 5},
        {"Null default", "", ado::Null, ado::Null},
        {"padded text kept as is", " a ", "x", " a "},
        {"number zero kept", 0, 9, 0}};
    for (const auto& [name, value, fallback, expected] : cases) {
        SCOPED_TRACE(name);
        const Variant result = ValoreDefault(value, fallback);
        EXPECT_EQ(result.type(), expected.type());
        EXPECT_EQ(result, expected);
    }
}

TEST(StringaFissa, PadsAndCutsToTheWidthInCharacters) {
    const std::vector<std::tuple<Variant, std::int16_t, std::string>> cases = {
        {"AB", 4, "AB  "},
        {"ABCDEF", 4, "ABCD"},
        {"  AB  ", 4, "AB  "},
        {Variant(), 3, "   "},
        {ado::Null, 2, "  "},
        {12, 4, "12  "},
        {"àèìòù", 3, "àèì"},
        {"àb", 4, "àb  "},
        {"x", 0, ""},
        {"x", -1, ""},
        {std::string(10000, 'Z'), 10, std::string(10, 'Z')}};
    for (const auto& [value, width, expected] : cases)
        EXPECT_EQ(StringaFissa(value, width), expected) << value.text_or_empty().substr(0, 9) << width;
}

TEST(RaddoppiaApici, DoublesEverySingleQuote) {
    const std::vector<std::pair<std::string, std::string>> cases = {{"O'Neil", "O''Neil"},
                                                                    {"senza apici", "senza apici"},
                                                                    {"''", "''''"},
                                                                    {"l'a'b", "l''a''b"},
                                                                    {"", ""}};
    for (const auto& [text, doubled] : cases) EXPECT_EQ(RaddoppiaApici(text), doubled);
}

TEST(ConvertiDataOra, BuildsIsoTextWithRolloverAndZeroForUnreadableParts) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"31/01/2024", "2024-01-31"},
        {"31/01/2024 10:30:15", "2024-01-31 10:30:15"},
        {"31/01/2024 00:00:00", "2024-01-31"},
        {"5/3/2024 8:05", "2024-03-05 08:05:00"},
        {"00/03/2024", "2024-02-29"},  // day 0: last day of February (leap year)
        {"15/00/2024", "2023-12-15"},  // month 0: December of the year before
        {"31/02/2023", "2023-03-03"},  // days beyond the month roll over
        {"01/13/2023", "2024-01-01"},  // month 13: January of the next year
        {"01/01/29", "2029-01-01"},    // two-digit years 0-29: 2000-2029
        {"01/01/30", "1930-01-01"},    // 30-99: 1930-1999
        {"01/01/0099", "1999-01-01"},
        {"", "1999-11-30"},  // every part 0: day 0 of month 0 of 2000
        {"abc", "1999-11-30"},
        {"aa/bb/cccc", "1999-11-30"},
        {"99999/01/2024", "2023-12-31"},     // a day beyond a 16-bit integer counts as 0
        {"31/01/2024 25:00", "2024-01-31"},  // not a time of day: midnight
        {"31/01/2024 ab:cd", "2024-01-31"},
        {"32/12/9999", ""},  // beyond the last date
        {"01/01/-500", ""},  // before the first date
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ConvertiDataOra(text), expected);
    }
}

ado::RowSet three_columns() {
    ado::RowSet rows;
    rows.columns = {column("CODE", ado::adVarChar, 10), column("AMOUNT", ado::adNumeric, 19, 18, 2),
                    column("WHEN", ado::adDBTimeStamp, 16)};
    return rows;
}

// The rows from the current one to the end.
std::vector<std::vector<Variant>> rows_from_here(ado::Recordset& rs) {
    std::vector<std::vector<Variant>> rows;
    for (; !rs.EOF(); rs.MoveNext()) {
        rows.emplace_back();
        for (int i = 0; i < rs.GetFields().Count(); ++i)
            rows.back().push_back(rs.GetFields().Item(i).Value());
    }
    return rows;
}

TEST(CopiaRecordset, CopiesFieldsAndRowsIntoAFreeStandingRecordset) {
    ado::RowSet rows = three_columns();
    rows.rows = {{"A", ado::Decimal::from_string("1.25"), ado::DateTime::from_parts(2024, 1, 2)},
                 {"B", ado::Null, ado::Null},
                 {"C", ado::Decimal::from_string("-7.5"), ado::DateTime::from_parts(2024, 5, 6)}};
    ado::RecordsetPtr source = ado::Recordset::from_rows(rows);
    ado::RecordsetPtr previous = ado::Recordset::from_rows(three_columns());
    ado::RecordsetPtr target = previous;

    module::CopiaRecordset(source, target);

    ASSERT_TRUE(target);
    EXPECT_NE(target, previous);
    EXPECT_EQ(previous->State(), ado::adStateClosed);
    EXPECT_EQ(target->State(), ado::adStateOpen);
    EXPECT_EQ(target->CursorType(), ado::adOpenDynamic);
    auto fields = target->GetFields();
    ASSERT_EQ(fields.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const ado::ColumnInfo& column = rows.columns[static_cast<std::size_t>(i)];
        SCOPED_TRACE(column.name);
        EXPECT_EQ(fields[i].Name(), column.name);
        EXPECT_EQ(fields[i].Type(), column.type);
        EXPECT_EQ(fields[i].DefinedSize(), column.defined_size);
        EXPECT_EQ(fields[i].Precision(), column.precision);
        EXPECT_EQ(fields[i].NumericScale(), column.numeric_scale);
    }
    EXPECT_TRUE(source->EOF());  // the source is read to its end
    ASSERT_EQ(target->RecordCount(), 3);
    EXPECT_EQ(rows_from_here(*target), rows.rows);  // from the first row

    // The copy is independent of its source.
    target->MoveFirst();
    target->GetFields()["CODE"].SetValue("Z");
    target->Update();
    source->MoveFirst();
    EXPECT_EQ(source->GetFields()["CODE"].Value(), Variant("A"));
}

// A source handed over is emptied as it is copied: the copy holds what a copy of a kept
// source holds (its visible rows, as they read).
TEST(CopiaRecordset, AHandedOverSourceGivesTheSameCopy) {
    ado::RowSet rows = three_columns();
    rows.rows = {{"A", ado::Decimal::from_string("1.25"), ado::DateTime::from_parts(2024, 1, 2)},
                 {"B", ado::Null, ado::Null},
                 {"C", ado::Decimal::from_string("-7.5"), ado::DateTime::from_parts(2024, 5, 6)},
                 {"D", ado::Decimal::from_string("3"), ado::Null}};
    const auto filtered = [&] {
        ado::RecordsetPtr rs = ado::Recordset::from_rows(rows);
        rs->SetFilter("CODE <> 'B'");
        rs->MoveLast();
        return rs;
    };
    ado::RecordsetPtr kept = filtered();
    ado::RecordsetPtr from_kept;
    module::CopiaRecordset(kept, from_kept);

    ado::RecordsetPtr handed = filtered();
    ado::Recordset* watched = handed.get();
    ado::RecordsetPtr keep_alive = handed;  // a second reference: not handed over yet
    ado::RecordsetPtr from_shared;
    module::CopiaRecordset(handed, from_shared);
    EXPECT_EQ(watched->State(), ado::adStateOpen);

    keep_alive.reset();
    ado::RecordsetPtr from_handed;
    module::CopiaRecordset(std::move(handed), from_handed);
    ASSERT_TRUE(from_handed);
    EXPECT_EQ(from_handed->RecordCount(), 3);
    EXPECT_EQ(from_handed->GetFields().Count(), 3);
    const auto expected = rows_from_here(*from_kept);
    EXPECT_EQ(rows_from_here(*from_handed), expected);
    EXPECT_EQ(rows_from_here(*from_shared), expected);

    // A clone shares the rows, so its source is copied and left as it was.
    ado::RecordsetPtr cloned = filtered();
    ado::RecordsetPtr clone = cloned->Clone();
    ado::RecordsetPtr from_cloned;
    module::CopiaRecordset(std::move(cloned), from_cloned);
    EXPECT_EQ(rows_from_here(*from_cloned), expected);
    EXPECT_EQ(clone->RecordCount(), 4);
}

TEST(CopiaRecordset, EmptySourceGivesAnOpenEmptyCopyAndNoSourceNeverThrows) {
    ado::RecordsetPtr target;
    module::CopiaRecordset(ado::Recordset::from_rows(three_columns()), target);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->State(), ado::adStateOpen);
    EXPECT_EQ(target->RecordCount(), 0);
    EXPECT_TRUE(target->EOF());

    ado::RecordsetPtr from_nothing;
    module::CopiaRecordset(nullptr, from_nothing);
    ASSERT_TRUE(from_nothing);
    EXPECT_EQ(from_nothing->State(), ado::adStateClosed);

    ado::RecordsetPtr closed_source = ado::Recordset::from_rows(three_columns());
    closed_source->Close();
    ado::RecordsetPtr copy;
    module::CopiaRecordset(closed_source, copy);
    ASSERT_TRUE(copy);
}

TEST(ChiudiRecordset, ClosesAnOpenRecordsetAndReleasesTheReferenceOfAnyOther) {
    ado::RecordsetPtr open = ado::Recordset::from_rows(three_columns());
    ado::RecordsetPtr held = open, never_opened = ado::Recordset::create();
    module::ChiudiRecordset(open);
    EXPECT_FALSE(open);
    EXPECT_EQ(held->State(), ado::adStateClosed);
    module::ChiudiRecordset(open);  // nothing there
    EXPECT_FALSE(open);
    module::ChiudiRecordset(never_opened);
    EXPECT_FALSE(never_opened);
}

}  // namespace
