// The shared routines: the documented edge values and junk input, which must give the
// stated fall-back result and never throw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ado/datetime.h"
#include "ado/recordset.h"
#include "ado/types.h"
#include "module/routines.h"
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

std::string today_literal() { return "'" + ado::DateTime::today().compact() + "'"; }

struct DateCase {
    const char* name;
    Variant value;
    std::string expected;  // "today" stands for today's literal
};

TEST(FormattaDataSQL, QuotesTheHostDateTextOrUsesToday) {
    const std::vector<DateCase> cases = {
        {"day-first text", "31/01/2024", "'20240131'"},
        {"ISO text", "2024-01-31", "'20240131'"},
        {"date with time", ado::DateTime::from_parts(2024, 1, 31, 10, 30), "'20240131'"},
        {"empty text", "", "today"},
        {"blank text", "    ", "today"},
        {"Empty", Variant(), "today"},
        {"Null", Variant(ado::Null), "today"},
        {"not a date", "abc", "today"},
        {"impossible day", "31/02/2024", "today"},
        {"month 13", "01/13/2024", "today"},
        {"a number", 12345, "today"},
        {"overlong text", std::string(5000, 'x'), "today"},
    };
    scripted::Date date(std::make_shared<scripted::CallLog>());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string expected = c.expected == "today" ? today_literal() : c.expected;
        EXPECT_EQ(FormattaDataSQL(c.value, &date), expected);
    }
}

TEST(FormattaDataSQL, GivesNullWhenTheHostRefusesTheDateOrHasNoDateObject) {
    scripted::Date date(std::make_shared<scripted::CallLog>());
    date.validity_code = 1;
    EXPECT_EQ(FormattaDataSQL("31/01/2024", &date), "NULL");
    EXPECT_EQ(FormattaDataSQL("31/01/2024", nullptr), "NULL");
}

TEST(FormattaDataSQL, HandsTheHostTheDateTheValueNames) {
    scripted::Date date(std::make_shared<scripted::CallLog>());
    FormattaDataSQL("15/06/2023 08:00", &date);
    ASSERT_EQ(date.dates_given.size(), 1u);
    EXPECT_EQ(date.dates_given[0], ado::DateTime::from_parts(2023, 6, 15, 8, 0));
}

TEST(TrimStringa, RemovesTrailingBlanksOnly) {
    const std::vector<std::pair<Variant, std::string>> cases = {
        {Variant("abc   "), "abc"},   {Variant("  abc  "), "  abc"}, {Variant(ado::Null), ""},
        {Variant(), ""},              {Variant("   "), ""},          {Variant(12), "12"},
        {Variant("a\t "), "a\t"},     {Variant("èé  "), "èé"},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(TrimStringa(value), expected);
    }
}

TEST(ValoreDecimale, ZeroForNothingEmptyForJunkDecimalOtherwise) {
    struct Case {
        const char* name;
        Variant value;
        Variant expected;
        ado::VarType type;
    };
    const std::vector<Case> cases = {
        {"Empty", Variant(), Variant(std::int16_t{0}), ado::VarType::Integer},
        {"Null", Variant(ado::Null), Variant(std::int16_t{0}), ado::VarType::Integer},
        {"blank text", "   ", Variant(std::int16_t{0}), ado::VarType::Integer},
        {"text with point", "12.50", Variant(ado::Decimal::from_string("12.5")), ado::VarType::Decimal},
        {"text with comma", "1,5", Variant(ado::Decimal::from_string("1.5")), ado::VarType::Decimal},
        {"negative text", " -3 ", Variant(ado::Decimal(-3)), ado::VarType::Decimal},
        {"a Long", 7, Variant(ado::Decimal(7)), ado::VarType::Decimal},
        {"exponent", "1E3", Variant(ado::Decimal(1000)), ado::VarType::Decimal},
        {"not a number", "abc", Variant(), ado::VarType::Empty},
        {"number and junk", "12abc", Variant(), ado::VarType::Empty},
        {"beyond a Decimal", "1E400", Variant(), ado::VarType::Empty},
        {"a date", ado::DateTime::from_parts(2024, 1, 1), Variant(), ado::VarType::Empty},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Variant result = ValoreDecimale(c.value);
        EXPECT_EQ(result.type(), c.type);
        EXPECT_EQ(result, c.expected);
    }
    EXPECT_EQ(ValoreDecimale().type(), ado::VarType::Integer);
    EXPECT_EQ(ValoreDecimale(), Variant(std::int16_t{0}));
}

TEST(ValoreDefault, DefaultForEmptyNullAndBlankText) {
    struct Case {
        const char* name;
        Variant value, fallback, expected;
    };
    const std::vector<Case> cases = {
        {"blank text", "   ", 0, 0},
        {"text zero stays text", "0", 0, "0"},
        {"empty text", "", "x", "x"},
        {"Empty", Variant(), "x", "x"},
        {"Null", Variant(ado::Null), 5, 5},
        {"Null default", "", Variant(ado::Null), Variant(ado::Null)},
        {"padded text kept as is", " a ", "x", " a "},
        {"number zero kept", 0, 9, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Variant result = ValoreDefault(c.value, c.fallback);
        EXPECT_EQ(result.type(), c.expected.type());
        EXPECT_EQ(result, c.expected);
    }
}

TEST(StringaFissa, PadsAndCutsToTheWidthInCharacters) {
    struct Case {
        Variant value;
        std::int16_t width;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"AB", 4, "AB  "},
        {"ABCDEF", 4, "ABCD"},
        {"  AB  ", 4, "AB  "},
        {Variant(), 3, "   "},
        {Variant(ado::Null), 2, "  "},
        {12, 4, "12  "},
        {"àèìòù", 3, "àèì"},
        {"àb", 4, "àb  "},
        {"x", 0, ""},
        {"x", -1, ""},
        {std::string(10000, 'Z'), 10, std::string(10, 'Z')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(StringaFissa(c.value, c.width), c.expected);
    }
}

TEST(RaddoppiaApici, DoublesEverySingleQuote) {
    EXPECT_EQ(RaddoppiaApici("O'Neil"), "O''Neil");
    EXPECT_EQ(RaddoppiaApici("senza apici"), "senza apici");
    EXPECT_EQ(RaddoppiaApici("''"), "''''");
    EXPECT_EQ(RaddoppiaApici("l'a'b"), "l''a''b");
    EXPECT_EQ(RaddoppiaApici(""), "");
}

TEST(ConvertiDataOra, BuildsIsoTextWithRolloverAndZeroForUnreadableParts) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"31/01/2024", "2024-01-31"},
        {"31/01/2024 10:30:15", "2024-01-31 10:30:15"},
        {"31/01/2024 00:00:00", "2024-01-31"},
        {"5/3/2024 8:05", "2024-03-05 08:05:00"},
        {"00/03/2024", "2024-02-29"},        // day 0: last day of February (leap year)
        {"15/00/2024", "2023-12-15"},        // month 0: December of the year before
        {"31/02/2023", "2023-03-03"},        // days beyond the month roll over
        {"01/13/2023", "2024-01-01"},        // month 13: January of the next year
        {"01/01/29", "2029-01-01"},          // two-digit years 0-29: 2000-2029
        {"01/01/30", "1930-01-01"},          // 30-99: 1930-1999
        {"01/01/0099", "1999-01-01"},
        {"", "1999-11-30"},                  // every part 0: day 0 of month 0 of 2000
        {"abc", "1999-11-30"},
        {"aa/bb/cccc", "1999-11-30"},
        {"99999/01/2024", "2023-12-31"},     // a day beyond a 16-bit integer counts as 0
        {"31/01/2024 25:00", "2024-01-31"},  // not a time of day: midnight
        {"31/01/2024 ab:cd", "2024-01-31"},
        {"32/12/9999", ""},                  // beyond the last date
        {"01/01/-500", ""},                  // before the first date
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ConvertiDataOra(text), expected);
    }
}

ado::ColumnInfo column(const char* name, int type, long size, int precision = 0, int scale = 0) {
    ado::ColumnInfo c;
    c.name = name;
    c.type = type;
    c.defined_size = size;
    c.precision = precision;
    c.numeric_scale = scale;
    return c;
}

ado::RowSet three_columns() {
    ado::RowSet rows;
    rows.columns = {column("CODE", ado::adVarChar, 10), column("AMOUNT", ado::adNumeric, 19, 18, 2),
                    column("WHEN", ado::adDBTimeStamp, 16)};
    return rows;
}

TEST(CopiaRecordset, CopiesFieldsAndRowsIntoAFreeStandingRecordset) {
    ado::RowSet rows = three_columns();
    rows.rows = {{Variant("A"), Variant(ado::Decimal::from_string("1.25")), Variant(ado::DateTime::from_parts(2024, 1, 2))},
                 {Variant("B"), Variant(ado::Null), Variant(ado::Null)},
                 {Variant("C"), Variant(ado::Decimal::from_string("-7.5")), Variant(ado::DateTime::from_parts(2024, 5, 6))}};
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
    EXPECT_EQ(fields[0].Name(), "CODE");
    EXPECT_EQ(fields[0].Type(), ado::adVarChar);
    EXPECT_EQ(fields[0].DefinedSize(), 10);
    EXPECT_EQ(fields[1].Type(), ado::adNumeric);
    EXPECT_EQ(fields[1].Precision(), 18);
    EXPECT_EQ(fields[1].NumericScale(), 2);
    EXPECT_EQ(fields[2].Type(), ado::adDBTimeStamp);

    ASSERT_EQ(target->RecordCount(), 3);
    EXPECT_FALSE(target->EOF());
    EXPECT_EQ(target->GetFields()["CODE"].Value(), Variant("A"));
    EXPECT_EQ(target->GetFields()["AMOUNT"].Value(), Variant(ado::Decimal::from_string("1.25")));
    target->MoveNext();
    EXPECT_TRUE(target->GetFields()["AMOUNT"].Value().is_null());
    target->MoveNext();
    EXPECT_EQ(target->GetFields()["WHEN"].Value(), Variant(ado::DateTime::from_parts(2024, 5, 6)));
    EXPECT_TRUE(source->EOF());  // the source is read to its end

    // The copy is independent of its source.
    target->MoveFirst();
    target->GetFields()["CODE"].SetValue("Z");
    target->Update();
    source->MoveFirst();
    EXPECT_EQ(source->GetFields()["CODE"].Value(), Variant("A"));
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

TEST(ChiudiRecordset, ClosesAnOpenRecordsetAndReleasesTheReference) {
    ado::RecordsetPtr open = ado::Recordset::from_rows(three_columns());
    ado::RecordsetPtr held = open;
    module::ChiudiRecordset(open);
    EXPECT_FALSE(open);
    EXPECT_EQ(held->State(), ado::adStateClosed);

    module::ChiudiRecordset(open);  // nothing there
    EXPECT_FALSE(open);

    ado::RecordsetPtr never_opened = ado::Recordset::create();
    module::ChiudiRecordset(never_opened);
    EXPECT_FALSE(never_opened);
}

}  // namespace
