// Recording a used number (numbering operation 3): the VAT numbering record, on the
// module's connection and inside its transaction.
#include <functional>

#include "case_name.h"
#include "refhost/numbering_services.h"
#include "refhost/vat_numbering.h"
#include "refhost_fixture.h"

namespace refhost_test {
using ado::Variant;

// One use as the journal import reports it: section, kind, document number and registration
// date as written in the file.
struct Use {
    std::string section = "01";
    std::int32_t kind = 1;
    Variant number = Variant("12");
    Variant date = Variant("15/03/2024");
    std::int32_t year = 2024;
    std::int32_t company = 7;
    Variant second = {};  // Empty: as the first
};

class VatNumberingTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        module_ = std::make_shared<ado::Connection>(refhost::connection_string(db_path()));
        module_->Open();
    }
    // The request as AggiornaNumerazione fills it; the error code of its run.
    std::int32_t record(const Use& u, std::string* why = nullptr) {
        refhost::NumberingRequest request("");
        request.SetConnection(module_);
        request.SetConnectionString(module_->ConnectionString());
        request.SetCompany(u.company);
        request.SetYear(u.year);
        request.SetOperation(host::kRecordUsedNumber);
        request.SetCompanyAgain(u.company);
        request.SetSection(Variant(u.section));
        request.SetNumberingKind(u.kind);
        request.SetUpdateKind(u.kind);
        request.SetUpdateDate(u.date);
        request.SetDate(u.date);
        request.SetDocumentNumber(u.number);
        request.SetDocumentNumberSecond(u.second.is_empty() ? u.number : u.second);
        request.Run();
        if (why) *why = request.last_error();
        request.SetConnection(nullptr);
        return request.ErrorCode().to_long();
    }
    // "number date" of each row, in key order.
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        const auto rs = conn_.Execute(
            "SELECT COMPANY_CODE, YEAR, SECTION, KIND, LAST_NUMBER, LAST_DATE FROM HOST_VAT_NUMBERING "
            "ORDER BY COMPANY_CODE, YEAR, SECTION, KIND");
        for (; !rs->EOF(); rs->MoveNext()) {
            auto f = rs->GetFields();
            out.push_back(f.Item(0).Value().to_string() + " " + f.Item(1).Value().to_string() + " " +
                          f.Item(2).Value().to_string() + " " + f.Item(3).Value().to_string() + ": " +
                          f.Item(4).Value().to_string() + " " +
                          (f.Item(5).Value().is_null() ? "-" : f.Item(5).Value().to_date().compact()));
        }
        return out;
    }

    std::shared_ptr<ado::Connection> module_;
};

struct SequenceCase {
    const char* name;
    std::vector<Use> uses;
    std::vector<std::string> rows;
};

class VatNumberingSequences : public VatNumberingTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(VatNumberingSequences, KeepTheHighestNumberWithItsDate) {
    for (const Use& u : GetParam().uses) {
        std::string why;
        EXPECT_EQ(record(u, &why), 0) << why;
    }
    EXPECT_EQ(rows(), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Uses, VatNumberingSequences,
    ::testing::Values(
        SequenceCase{"a first number", {Use{}}, {"7 2024 01 1: 12 20240315"}},
        SequenceCase{"a higher number replaces number and date",
                     {Use{}, Use{.number = Variant("15"), .date = Variant("20/03/2024")}},
                     {"7 2024 01 1: 15 20240320"}},
        SequenceCase{
            "a lower number changes nothing",
            {Use{.number = Variant("15")}, Use{.number = Variant("9"), .date = Variant("31/03/2024")}},
            {"7 2024 01 1: 15 20240315"}},
        SequenceCase{"the same number again keeps its first date",
                     {Use{}, Use{.date = Variant("16/03/2024")}},
                     {"7 2024 01 1: 12 20240315"}},
        SequenceCase{
            "blanks and leading zeros", {Use{.number = Variant(" 0007 ")}}, {"7 2024 01 1: 7 20240315"}},
        SequenceCase{
            "a number given as an integer", {Use{.number = Variant(30)}}, {"7 2024 01 1: 30 20240315"}},
        SequenceCase{"a range records its end",
                     {Use{.number = Variant("20"), .second = Variant("22")}},
                     {"7 2024 01 1: 22 20240315"}},
        SequenceCase{"eighteen digits",
                     {Use{.number = Variant("999999999999999999")}},
                     {"7 2024 01 1: 999999999999999999 20240315"}},
        SequenceCase{
            "a date in the storage form", {Use{.date = Variant("20240315")}}, {"7 2024 01 1: 12 20240315"}},
        SequenceCase{"no date", {Use{.date = Variant(ado::Null)}}, {"7 2024 01 1: 12 -"}},
        SequenceCase{"sections as written: 1 is not 01, ab is AB",
                     {Use{}, Use{.section = "1"}, Use{.section = "ab"},
                      Use{.section = "AB ", .number = Variant("13")}},
                     {"7 2024 01 1: 12 20240315", "7 2024 1 1: 12 20240315", "7 2024 ab 1: 13 20240315"}},
        SequenceCase{"per kind, year and company",
                     {Use{}, Use{.kind = 14}, Use{.year = 2025}, Use{.company = 8}},
                     {"7 2024 01 1: 12 20240315", "7 2024 01 14: 12 20240315", "7 2025 01 1: 12 20240315",
                      "8 2024 01 1: 12 20240315"}}),
    scripted::ByName());

// The record goes with the entry: rolled back with it, kept when it commits.
TEST_F(VatNumberingTest, GoesWithTheCallersTransaction) {
    module_->BeginTrans();
    EXPECT_EQ(record(Use{}), 0);
    module_->RollbackTrans();
    EXPECT_TRUE(rows().empty());

    module_->BeginTrans();
    EXPECT_EQ(record(Use{.number = Variant("40")}), 0);
    EXPECT_TRUE(module_->InTransaction());  // the request neither commits nor ends it
    module_->CommitTrans();
    EXPECT_EQ(rows(), std::vector<std::string>{"7 2024 01 1: 40 20240315"});
}

struct RefusedUse {
    const char* name;
    std::function<void(Use&)> change;
    const char* message;
};

class VatNumberingRefusals : public VatNumberingTest, public ::testing::WithParamInterface<RefusedUse> {};

TEST_P(VatNumberingRefusals, GiveErrorCodeTwoAndRecordNothing) {
    EXPECT_EQ(record(Use{.number = Variant("5")}), 0);
    Use u;
    GetParam().change(u);
    std::string why;
    EXPECT_EQ(record(u, &why), refhost::kNumberingBadRequest);
    EXPECT_NE(why.find(GetParam().message), std::string::npos) << why;
    EXPECT_EQ(rows(), std::vector<std::string>{"7 2024 01 1: 5 20240315"});
}

INSTANTIATE_TEST_SUITE_P(
    Uses, VatNumberingRefusals,
    ::testing::Values(
        RefusedUse{"a number with a suffix", [](Use& u) { u.number = Variant("12/A"); },
                   "'12/A' is not a number"},
        RefusedUse{"a negative number", [](Use& u) { u.number = Variant("-3"); }, "'-3' is not a number"},
        RefusedUse{"a number with a fraction", [](Use& u) { u.number = Variant("1.5"); },
                   "'1.5' is not a number"},
        RefusedUse{"a decimal value", [](Use& u) { u.number = Variant(ado::Decimal::from_string("2.5")); },
                   "is not a whole number"},
        RefusedUse{"an empty number", [](Use& u) { u.number = Variant("  "); }, "no document number"},
        RefusedUse{"a null number", [](Use& u) { u.number = Variant(ado::Null); }, "no document number"},
        RefusedUse{"nineteen digits", [](Use& u) { u.number = Variant("1000000000000000000"); },
                   "more than 18 digits"},
        RefusedUse{"a range that ends below its start",
                   [](Use& u) {
                       u.number = Variant("20");
                       u.second = Variant("19");
                   },
                   "below the first"},
        RefusedUse{"kind 12", [](Use& u) { u.kind = 12; }, "Kind 12 is not a VAT numbering kind"},
        RefusedUse{"registration numbers", [](Use& u) { u.kind = 999; },
                   "Kind 999 is not a VAT numbering kind"},
        RefusedUse{"kind 15", [](Use& u) { u.kind = 15; }, "Kind 15 is not"},
        RefusedUse{"a date that is not one", [](Use& u) { u.date = Variant("31/02/2024"); }, "is not a date"},
        RefusedUse{"a section with a quote", [](Use& u) { u.section = "0'"; }, "holds a quote"},
        RefusedUse{"no section", [](Use& u) { u.section = " "; }, "names no section"},
        RefusedUse{"no year", [](Use& u) { u.year = 0; }, "not a year"}),
    scripted::ByName());

TEST_F(VatNumberingTest, NeedsTheCallersOpenConnectionAndOneKind) {
    refhost::NumberingRequest request(refhost::connection_string(db_path()));
    request.SetOperation(host::kRecordUsedNumber);
    request.SetYear(2024);
    request.SetSection(Variant("01"));
    request.SetNumberingKind(1);
    request.SetDocumentNumber(Variant("3"));
    for (const auto& connection : {std::shared_ptr<ado::Connection>(), std::make_shared<ado::Connection>()}) {
        request.SetConnection(connection);
        EXPECT_EQ(request.Run().to_long(), refhost::kNumberingBadRequest);
        EXPECT_NE(request.last_error().find("no open connection"), std::string::npos) << request.last_error();
    }
    request.SetConnection(module_);
    request.SetUpdateKind(2);
    EXPECT_EQ(request.Run().to_long(), refhost::kNumberingBadRequest);
    EXPECT_NE(request.last_error().find("update kind 2 differs from the numbering kind 1"),
              std::string::npos);
    request.SetUpdateKind(1);
    EXPECT_EQ(request.Run().to_long(), 0) << request.last_error();
    EXPECT_EQ(rows(), std::vector<std::string>{"0 2024 01 1: 3 -"});
    request.SetConnection(nullptr);
}

TEST_F(VatNumberingTest, ATableThatCannotBeWrittenGivesErrorCodeOne) {
    exec("DROP TABLE HOST_VAT_NUMBERING");
    std::string why;
    EXPECT_EQ(record(Use{}, &why), refhost::kNumberingFailed);
    EXPECT_NE(why.find("no such table: HOST_VAT_NUMBERING"), std::string::npos) << why;
}

}  // namespace refhost_test
