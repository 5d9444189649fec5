// Assigning values to fields of free-standing record sets: conversion to the field's type,
// size and precision limits, Null, blank-padded fixed text, and the pending new row.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ado/recordset.h"
#include "ado_support.h"

namespace {

using ado::Variant;
using ado::testing::dec;
using ado::testing::thrown;
Variant date(const char* text) {
    return ado::testing::day(text);
}

struct FieldDef {
    int type;
    long size = 0;
    int precision = 0;
    int scale = 0;
    long attributes = 0;  // 0: not given, which admits Null
};

ado::RecordsetPtr one_field(const FieldDef& field) {
    auto rs = ado::Recordset::create();
    rs->GetFields().Append("F", field.type, field.size, field.attributes);
    if (field.precision > 0) rs->GetFields()["F"].SetPrecision(field.precision);
    if (field.scale > 0) rs->GetFields()["F"].SetNumericScale(field.scale);
    rs->Open();
    rs->AddNew();
    return rs;
}

constexpr long kNotNull = ado::adFldUpdatable;  // attributes given without "admits Null"
constexpr long kMultiStep = ado::kErrMultipleStep;
const Variant kNull(ado::Null);

struct AssignCase {
    const char* what;
    FieldDef field;
    Variant input;
    std::optional<Variant> stored;  // empty: refused; fixed-width text as read back, blank-padded
    long error = 0;
};

void PrintTo(const AssignCase& c, std::ostream* os) {
    *os << c.what;
}

class AssignTest : public ::testing::TestWithParam<AssignCase> {};

TEST_P(AssignTest, ConvertsOrRefuses) {
    const AssignCase& c = GetParam();
    SCOPED_TRACE(c.what);
    auto rs = one_field(c.field);
    ado::Field f = (*rs)["F"];
    if (c.stored) {
        f = c.input;
        const Variant v = f.Value();
        EXPECT_EQ(v.type(), c.stored->type());
        EXPECT_TRUE(v == *c.stored) << (v.is_null() ? "Null" : v.to_string());
        rs->Update();
        rs->MoveFirst();
        EXPECT_TRUE(f.Value() == *c.stored);
        return;
    }
    const auto e = thrown([&] { f = c.input; });
    EXPECT_EQ(e.number, c.error) << e.description;
    EXPECT_TRUE(f.Value().is_null());  // the refused value left the field as it was
}

INSTANTIATE_TEST_SUITE_P(
    Values, AssignTest,
    ::testing::Values(
        // Decimals: "." or "," as separator, rounding half away from zero, precision.
        AssignCase{"decimal from text", {ado::adDecimal, 0, 4, 0}, "12", dec("12")},
        AssignCase{"comma separator", {ado::adDecimal, 0, 8, 2}, "1,5", dec("1.5")},
        AssignCase{"rounded up", {ado::adDecimal, 0, 8, 2}, "1.005", dec("1.01")},
        AssignCase{"rounded away from zero", {ado::adNumeric, 0, 8, 2}, "-1.005", dec("-1.01")},
        AssignCase{"widest value", {ado::adDecimal, 0, 8, 2}, "999999.994", dec("999999.99")},
        AssignCase{"too many digits", {ado::adDecimal, 0, 8, 2}, "1234567", std::nullopt, ado::kErrOverflow},
        AssignCase{"rounding overflows", {ado::adDecimal, 0, 2, 0}, "99.5", std::nullopt, ado::kErrOverflow},
        AssignCase{"decimal from integer", {ado::adDecimal, 0, 2, 0}, 42, dec("42")},
        AssignCase{"not a number", {ado::adDecimal, 0, 4, 0}, "12a", std::nullopt, kMultiStep},
        AssignCase{"empty text is Null", {ado::adDecimal, 0, 4, 0}, "", kNull},
        AssignCase{"blank text is Null", {ado::adDecimal, 0, 4, 0}, "   ", kNull},
        AssignCase{"empty text refused", {ado::adDecimal, 0, 4, 0, kNotNull}, "", std::nullopt, kMultiStep},
        AssignCase{"Null refused", {ado::adInteger, 0, 0, 0, kNotNull}, kNull, std::nullopt, kMultiStep},
        AssignCase{"Null admitted", {ado::adVarChar, 10, 0, 0, ado::adFldIsNullable}, kNull, kNull},
        // Integers: rounding to even, range.
        AssignCase{"int from 1,5", {ado::adInteger}, "1,5", Variant(2)},
        AssignCase{"int from 2.5", {ado::adInteger}, "2.5", Variant(2)},
        AssignCase{"int range", {ado::adInteger}, "3000000000", std::nullopt, ado::kErrOverflow},
        AssignCase{"smallint", {ado::adSmallInt}, dec("-12"), Variant(std::int16_t{-12})},
        AssignCase{"smallint range", {ado::adSmallInt}, 40000, std::nullopt, ado::kErrOverflow},
        AssignCase{"tinyint range", {ado::adTinyInt}, "128", std::nullopt, ado::kErrOverflow},
        AssignCase{"bigint", {ado::adBigInt}, "9000000000", Variant(9000000000LL)},
        AssignCase{"int from words", {ado::adInteger}, "ten", std::nullopt, kMultiStep},
        // Booleans and dates.
        AssignCase{"bit from True", {ado::adBoolean}, "True", Variant(true)},
        AssignCase{"bit from 0", {ado::adBoolean}, "0", Variant(false)},
        AssignCase{"date ISO", {ado::adDBTimeStamp}, "2024-03-01", date("2024-03-01")},
        AssignCase{"date day first", {ado::adDBTimeStamp}, "01/03/2024 10:20", date("2024-03-01 10:20")},
        AssignCase{"date compact", {ado::adDBTimeStamp}, "20240301 10:20:30", date("2024-03-01 10:20:30")},
        AssignCase{"date value", {ado::adDate}, date("1999-12-31"), date("1999-12-31")},
        AssignCase{"no such day", {ado::adDBTimeStamp}, "31/02/2024", std::nullopt, kMultiStep},
        AssignCase{"empty date is Null", {ado::adDBTimeStamp}, "", kNull},
        // Text: sizes in characters, blanks beyond the size cut, values as text.
        AssignCase{"fits", {ado::adVarChar, 5}, "abcde", Variant("abcde")},
        AssignCase{"too long", {ado::adVarChar, 5}, "abcdef", std::nullopt, kMultiStep},
        AssignCase{"characters not bytes",
                   {ado::adVarWChar, 5},
                   "\xC3\xA0\xC3\xA8\xC3\xAC\xC3\xB2\xC3\xB9",
                   Variant("\xC3\xA0\xC3\xA8\xC3\xAC\xC3\xB2\xC3\xB9")},
        AssignCase{"blanks cut", {ado::adVarChar, 5}, "abcde   ", Variant("abcde")},
        AssignCase{
            "unlimited", {ado::adLongVarWChar}, std::string(5000, 'x'), Variant(std::string(5000, 'x'))},
        AssignCase{"empty text stays text", {ado::adVarChar, 5}, "", Variant("")},
        AssignCase{"decimal as text", {ado::adVarChar, 10}, dec("1.50"), Variant("1.5")},
        AssignCase{"date as text",
                   {ado::adVarChar, 20},
                   date("2024-03-01 10:20:30"),
                   Variant("2024-03-01 10:20:30")},
        // Fixed-width text (by type or attribute) reads back blank-padded, in characters.
        AssignCase{"char padded", {ado::adChar, 12}, "AB", Variant("AB          ")},
        AssignCase{"nchar padded",
                   {ado::adWChar, 4},
                   "\xC3\xA0"
                   "b",
                   Variant("\xC3\xA0"
                           "b  ")},
        AssignCase{"fixed attribute", {ado::adVarChar, 4, 0, 0, ado::adFldFixed}, "A", Variant("A   ")},
        AssignCase{"char full", {ado::adChar, 4}, "ABCD", Variant("ABCD")},
        AssignCase{"varchar not padded", {ado::adVarChar, 4}, "A", Variant("A")}));

TEST(Assign, TooLongTextSaysWhatTheServerSays) {
    auto rs = one_field({ado::adVarChar, 3});
    EXPECT_EQ(thrown([&] { (*rs)["F"] = "abcd"; }).description, "String or binary data would be truncated.");
}

TEST(PendingRow, StartsNullIsCurrentAndIsSavedByUpdateOrAMoveOrCancelled) {
    auto rs = one_field({ado::adVarChar, 10});
    EXPECT_TRUE(rs->EditPending());
    EXPECT_FALSE(rs->BOF());
    EXPECT_FALSE(rs->EOF());
    EXPECT_TRUE((*rs)["F"].Value().is_null());
    EXPECT_EQ(rs->RecordCount(), 0);
    (*rs)["F"] = "one";
    rs->Update();
    EXPECT_FALSE(rs->EditPending());
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ((*rs)["F"].Value().str(), "one");
    rs->AddNew();
    (*rs)["F"] = "two";
    rs->MoveFirst();  // moving away saves it
    EXPECT_FALSE(rs->EditPending());
    EXPECT_EQ(rs->RecordCount(), 2);
    rs->AddNew();
    (*rs)["F"] = "three";
    rs->AddNew();  // a second AddNew saves the first
    EXPECT_EQ(rs->RecordCount(), 3);
    (*rs)["F"] = "four";
    rs->CancelUpdate();  // back to the row that was current
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ((*rs)["F"].Value().str(), "three");
}

TEST(PendingRow, DiscardedByCloseAndByDestruction) {
    auto rs = one_field({ado::adVarChar, 10});
    (*rs)["F"] = "kept";
    rs->Update();
    auto watcher = rs->Clone();
    rs->AddNew();
    (*rs)["F"] = "dropped";
    EXPECT_NO_THROW(rs->Close());
    EXPECT_EQ(watcher->RecordCount(), 1);
    {
        auto other = watcher->Clone();
        other->AddNew();
        (*other)["F"] = "dropped 2";
    }
    EXPECT_EQ(watcher->RecordCount(), 1);
    watcher->MoveFirst();
    EXPECT_EQ(watcher->GetString(), "kept\r");
}

TEST(EditRow, ChangesAreSavedByUpdateOrByMoving) {
    auto rs = one_field({ado::adInteger});
    (*rs)["F"] = 1;
    rs->AddNew();
    (*rs)["F"] = 2;
    rs->Update();
    rs->MoveFirst();
    (*rs)["F"] = "10";
    EXPECT_TRUE(rs->EditPending());
    rs->MoveNext();
    (*rs)["F"] = 20;
    rs->Update();
    rs->MoveFirst();
    EXPECT_EQ(rs->GetString(), "10\r20\r");
}

TEST(FreeStanding, FieldsAreFixedOnceOpen) {
    auto rs = ado::Recordset::create();
    EXPECT_THROW(rs->Open(), ado::Error);  // nothing appended
    rs->GetFields().Append("A", ado::adDecimal);
    EXPECT_THROW(rs->GetFields().Append("a", ado::adInteger), ado::Error);  // same name
    rs->Open();
    EXPECT_EQ(rs->GetFields()["A"].Attributes() & ado::adFldIsNullable, ado::adFldIsNullable);
    EXPECT_THROW(rs->GetFields().Append("B", ado::adInteger), ado::Error);
    EXPECT_THROW(rs->GetFields()["A"].SetPrecision(4), ado::Error);
    EXPECT_THROW(rs->Open(), ado::Error);
}

TEST(Snapshot, ReadOnlyRefusesChanges) {
    auto rs = ado::Recordset::from_rows(ado::RowSet{{ado::testing::col("A", ado::adInteger)}, {{1}}});
    EXPECT_EQ(thrown([&] { rs->AddNew(); }).number, 3251);
    EXPECT_EQ(thrown([&] { (*rs)["A"] = 2; }).number, 3251);
    EXPECT_EQ(thrown([&] { rs->Delete(); }).number, 3251);
    EXPECT_EQ((*rs)["A"].Value().to_long(), 1);
}

}  // namespace
