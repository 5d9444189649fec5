// The numbering of the journal import: the registration-number request made once and asked
// for each entry, the numbering update made afresh for each entry, both in the order the
// service is given its properties; the numbering kind of each VAT causal; and what each
// bookkeeping procedure's trap leaves when it fails.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ado/datetime.h"
#include "ado/decimal.h"
#include "bookkeeping_fixture.h"
#include "case_name.h"
#include "host/log_object.h"
#include "journal/bookkeeping.h"
#include "modulebase/module_context.h"

namespace {

using bookkeeping_test::BookkeepingTest;
using bookkeeping_test::Properties;

// ---- registration numbers ----

TEST_F(BookkeepingTest, ARegistrationNumberRequestIsMadeOnceAndAskedEachTime) {
    auto request = std::make_shared<scripted::Numbering>(host.calls);
    request->numbers = {41, 42};
    request->prefix = "P";
    prepared.push_back(request);
    journal::Bookkeeping b = bookkeeping();
    const ado::Variant march(ado::DateTime::from_parts(2024, 3, 15));
    const ado::Variant january(ado::DateTime::from_parts(2025, 1, 2));

    EXPECT_EQ(b.GetNumeroRegistrazione(march), ado::Variant("P00000041"));
    EXPECT_EQ(b.GetNumeroRegistrazione(january), ado::Variant("P00000042"));

    const auto asked = [](int year, const ado::Variant& date) {
        return Properties{{"Year", year},    {"Operation", 2},       {"CompanyAgain", 1},
                          {"Section", "00"}, {"NumberingKind", 999}, {"Date", date}};
    };
    Properties expected = {{"Connection", "set"}, {"ConnectionString", connection_string}, {"Company", 1}};
    for (const auto& p : asked(2024, march)) expected.push_back(p);
    for (const auto& p : asked(2025, january)) expected.push_back(p);
    EXPECT_EQ(request->properties, expected);
    EXPECT_EQ(made.size(), 1u);
    EXPECT_EQ(request->runs, 2);
    EXPECT_EQ(window().import_state().registration_numbering, request);
}

struct NumberCase {
    const char* name;
    ado::Variant prefix;
    ado::Variant number;
    ado::Variant error_code;
    ado::Variant expected;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistrationNumber : public BookkeepingTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(RegistrationNumber, IsThePrefixAndEightDigits) {
    const NumberCase& c = GetParam();
    auto request = std::make_shared<scripted::Numbering>(host.calls);
    request->number = c.number;
    request->prefix = c.prefix;
    request->error_code = c.error_code;
    prepared.push_back(request);
    EXPECT_EQ(bookkeeping().GetNumeroRegistrazione(ado::Variant(ado::DateTime::from_parts(2024, 3, 15))),
              c.expected);
    EXPECT_EQ(request->runs, 1);
    EXPECT_TRUE(errors_shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, RegistrationNumber,
    ::testing::Values(NumberCase{"42 with prefix P", "P", 42, 0, "P00000042"},
                      NumberCase{"a number of text with blanks around it", "P", " 42 ", 0, "P00000042"},
                      NumberCase{"a number longer than 8 digits keeps its last 8", "A", "123456789", 0,
                                 "A23456789"},
                      NumberCase{"exactly 8 digits", "", 12345678, 0, "12345678"},
                      NumberCase{"no prefix", ado::Null, 7, 0, "00000007"},
                      NumberCase{"a longer prefix", "2024/", 7, 0, "2024/00000007"},
                      NumberCase{"an error code other than 0 gives nothing", "P", 42, 3, ado::Variant()},
                      NumberCase{"a Null error code gives nothing", "P", 42, ado::Null, ado::Variant()},
                      NumberCase{"an Empty error code counts as 0", "P", 42, ado::Variant(), "P00000042"}),
    scripted::ByName());

// ---- the numbering update ----

TEST_F(BookkeepingTest, EachNumberingUpdateIsAFreshRequestAndThePreviousIsDetached) {
    auto first = std::make_shared<scripted::Numbering>(host.calls);
    auto second = std::make_shared<scripted::Numbering>(host.calls);
    second->error_code = 7;
    prepared = {first, second};
    journal::Bookkeeping b = bookkeeping();
    const std::size_t mark = host.calls->size();

    EXPECT_TRUE(b.AggiornaNumerazione("01", "15/03/2024 00:00:00", std::int16_t{2}, "12"));
    EXPECT_EQ(window().import_state().numbering_update, first);
    EXPECT_FALSE(b.AggiornaNumerazione(" 3", "02/01/2025", std::int16_t{14}, "A/7"));
    EXPECT_EQ(window().import_state().numbering_update, second);

    const auto update = [&](int year, const ado::Variant& section, int kind, const ado::Variant& date,
                            const ado::Variant& document) {
        return Properties{{"Connection", "set"},
                          {"ConnectionString", connection_string},
                          {"Company", 1},
                          {"Year", year},
                          {"Operation", 3},
                          {"CompanyAgain", 1},
                          {"Section", section},
                          {"NumberingKind", kind},
                          {"UpdateKind", kind},
                          {"UpdateDate", date},
                          {"Date", date},
                          {"DocumentNumber", document},
                          {"DocumentNumberSecond", document}};
    };
    Properties detached = update(2024, "01", 2, "15/03/2024 00:00:00", "12");
    detached.emplace_back("Connection", ado::Variant());
    EXPECT_EQ(first->properties, detached);
    EXPECT_EQ(second->properties, update(2025, " 3", 14, "02/01/2025", "A/7"));
    EXPECT_EQ(made.size(), 2u);
    EXPECT_EQ(host.calls->since(mark),
              (std::vector<std::string>{"Numbering.Run", "Numbering.SetConnection(none)", "Numbering.Run"}));
}

// ---- numbering kinds ----

struct KindCase {
    std::string name;
    ado::Variant vat_causal;
    ado::Variant kind;
};

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.name;
}

class NumberingKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(NumberingKind, OfAVatCausal) {
    EXPECT_EQ(journal::Bookkeeping::GetTipoNumerazione(GetParam().vat_causal), GetParam().kind);
}

// Every VAT causal code of the table, as the causal table holds it (text), with its kind.
std::vector<KindCase> table_cases() {
    const std::vector<std::pair<std::int16_t, std::vector<int>>> table = {{1, {1, 61, 281}},
                                                                          {2, {31, 41, 51, 71, 91, 96}},
                                                                          {3, {80, 81, 82, 90}},
                                                                          {4, {5, 63, 285}},
                                                                          {5, {35, 42, 52, 92, 97}},
                                                                          {6, {7}},
                                                                          {7, {37}},
                                                                          {8, {9}},
                                                                          {9, {39}},
                                                                          {10, {62}},
                                                                          {11, {32}},
                                                                          {13, {2}},
                                                                          {14, {33}}};
    std::vector<KindCase> cases;
    for (const auto& [kind, codes] : table)
        for (const int code : codes)
            cases.push_back({"code " + std::to_string(code) + " kind " + std::to_string(kind),
                             std::to_string(code), ado::Variant::integer_value(kind)});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, NumberingKind, ::testing::ValuesIn(table_cases()), scripted::ByName());

INSTANTIATE_TEST_SUITE_P(
    Values, NumberingKind,
    ::testing::Values(KindCase{"text 281", "281", std::int16_t{1}},
                      KindCase{"number 96", 96, std::int16_t{2}},
                      KindCase{"decimal 33.0", ado::Decimal::from_string("33.0"), std::int16_t{14}},
                      KindCase{"12 has none", 12, ado::Null}, KindCase{"no kind 12 exists", "12", ado::Null},
                      KindCase{"empty text", "", ado::Null}, KindCase{"blank text", "   ", ado::Null},
                      KindCase{"Null", ado::Null, ado::Null}, KindCase{"Empty", ado::Variant(), ado::Null},
                      KindCase{"not a number", "IVA", ado::Null}, KindCase{"0", 0, ado::Null},
                      KindCase{"1.5", "1.5", ado::Null}, KindCase{"a code between", 282, ado::Null}),
    scripted::ByName());

// ---- failures ----

class BookkeepingFailure;

struct FailureCase {
    const char* name;
    std::function<void(BookkeepingFailure&, journal::Bookkeeping&)> scenario;
    const char* reported;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class BookkeepingFailure : public BookkeepingTest, public ::testing::WithParamInterface<FailureCase> {
  public:
    using BookkeepingTest::add_history;
    using BookkeepingTest::exec;
    using BookkeepingTest::fill_controls;
    using BookkeepingTest::text_of;
    scripted::CallLog& calls() { return *host.calls; }
};

TEST_P(BookkeepingFailure, IsReportedUnderTheProcedureName) {
    journal::Bookkeeping b = bookkeeping();
    GetParam().scenario(*this, b);
    EXPECT_EQ(errors_shown(), std::vector<std::string>{GetParam().reported});
}

const FailureCase kFailures[] = {
    {"header with a quote in the file name",
     [](BookkeepingFailure& t, journal::Bookkeeping& b) {
         t.fill_controls("/data/o'neil.xml");
         EXPECT_EQ(b.GetIDTestataImportImpostazioni("15/01/2025"), 0);
         EXPECT_EQ(t.text_of("SELECT COUNT(*) FROM IE42_IMPCOGE"), "0");
     },
     journal::Bookkeeping::kHeader},
    {"registration number the service fails",
     [](BookkeepingFailure& t, journal::Bookkeeping& b) {
         t.calls().fail("Numbering.Run");
         EXPECT_EQ(b.GetNumeroRegistrazione(ado::Variant(ado::DateTime::from_parts(2024, 3, 15))),
                   ado::Variant());
     },
     journal::Bookkeeping::kNumber},
    {"registration number for a date that is none",
     [](BookkeepingFailure&, journal::Bookkeeping& b) {
         EXPECT_EQ(b.GetNumeroRegistrazione(ado::Variant("31/02/2024")), ado::Variant());
     },
     journal::Bookkeeping::kNumber},
    {"numbering update the service fails",
     [](BookkeepingFailure& t, journal::Bookkeeping& b) {
         t.calls().fail("Numbering.Run");
         EXPECT_FALSE(b.AggiornaNumerazione("01", "15/03/2024", 2, "12"));
     },
     journal::Bookkeeping::kNumbering},
    {"numbering update with a kind that is no number",
     [](BookkeepingFailure&, journal::Bookkeeping& b) {
         EXPECT_FALSE(b.AggiornaNumerazione("01", "15/03/2024", "IVA", "12"));
     },
     journal::Bookkeeping::kNumbering},
    {"header deletion without the detail table",
     [](BookkeepingFailure& t, journal::Bookkeeping& b) {
         t.add_history(1, "empty.xml");
         t.exec("DROP TABLE IE43_DETTIMPCOGE");
         b.EliminaIDTestataImportazioneSenzaDettagli(1);
         EXPECT_EQ(t.text_of("SELECT COUNT(*) FROM IE42_IMPCOGE"), "1");
     },
     journal::Bookkeeping::kDeleteHeader},
};

INSTANTIATE_TEST_SUITE_P(Procedures, BookkeepingFailure, ::testing::ValuesIn(kFailures), scripted::ByName());

// The answer decides: retry runs the service again, ignore goes on without a number.
struct AnswerCase {
    const char* name;
    std::int32_t answer;
    int runs;
    ado::Variant number;
};

void PrintTo(const AnswerCase& c, std::ostream* os) {
    *os << c.name;
}

class NumberFailureAnswer : public BookkeepingTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(NumberFailureAnswer, DecidesWhatFollows) {
    auto request = std::make_shared<scripted::Numbering>(host.calls);
    request->numbers = {42};
    prepared.push_back(request);
    journal::Bookkeeping b = bookkeeping();
    window_log().error_answers = {GetParam().answer};
    host.calls->fail("Numbering.Run");
    EXPECT_EQ(b.GetNumeroRegistrazione(ado::Variant(ado::DateTime::from_parts(2024, 3, 15))),
              GetParam().number);
    EXPECT_EQ(request->runs, GetParam().runs);
    EXPECT_EQ(errors_shown(), std::vector<std::string>{journal::Bookkeeping::kNumber});
}

INSTANTIATE_TEST_SUITE_P(Answers, NumberFailureAnswer,
                         ::testing::Values(AnswerCase{"abort", host::kAnswerAbort, 1, ado::Variant()},
                                           AnswerCase{"retry", host::kAnswerRetry, 2, "00000042"},
                                           // the failed run left no number: the error code is
                                           // still 0, so the number is the service's empty one
                                           AnswerCase{"ignore", host::kAnswerIgnore, 1, "00000000"}),
                         scripted::ByName());

}  // namespace
