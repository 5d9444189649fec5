#include "refhost/reference_host.h"
#include "ado/datetime.h"
#include "case_name.h"
#include "host/host.h"
#include "refhost_fixture.h"

namespace refhost_test {
namespace fs = std::filesystem;
using ado::DateTime;
using ado::Variant;

class HostTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        exec(
            "INSERT INTO HOST_COMPANY (COMPANY_CODE, NAME, CHART_GROUP, SECOND_SETTING, ACCOUNT_CUSTOMERS,"
            " ACCOUNT_SUPPLIERS, FLG_STATEMENTS_CUSTOMERS, FLG_STATEMENTS_SUPPLIERS,"
            " FLG_PORTFOLIO_RECEIVABLE, FLG_PORTFOLIO_PAYABLE, PROPOSAL_01, PROPOSAL_13)"
            " VALUES (7, 'Gruppo IVA', 3, 9, '1101', '2101', 0, 1, 2, 3, 11, 13)");
        exec("INSERT INTO HOST_COMPANY (COMPANY_CODE, NAME) VALUES (8, 'Aderente')");
        exec("INSERT INTO HOST_USER (USER_CODE, USER_GROUP, NAME) VALUES ('anna', 'CONTAB', 'Anna')");
    }
    std::unique_ptr<refhost::ReferenceHost> make_host(std::int32_t company = 7,
                                                      const std::string& user = "anna") {
        return std::make_unique<refhost::ReferenceHost>(refhost::HostOptions{db_path(), company, user}, ui_);
    }
    std::shared_ptr<RecordingUi> ui_ = std::make_shared<RecordingUi>();
};

// Also: the numbering services are there, the classes of later steps are absent, and the
// navigator allows every close.
TEST_F(HostTest, AnswersFromTheCompanyAndUserRows) {
    auto host = make_host();
    auto global = host->global_services();
    EXPECT_EQ(global->Database()->ConnectionString(), refhost::connection_string(db_path()));
    EXPECT_EQ(global->Company()->Code(), Variant(7));
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(global->Company()->StatementPortfolioIndicator(i).to_long(), i - 1) << i;
    EXPECT_EQ(global->Settings()->ChartOfAccountsGroup(), Variant(std::int16_t{3}));
    EXPECT_EQ(global->Settings()->SecondSetting(), Variant(std::int16_t{9}));
    EXPECT_EQ(ado::rtrim(global->Accounts()->CustomerAccount().to_string()), "1101");
    EXPECT_EQ(ado::rtrim(global->Accounts()->SupplierAccount().to_string()), "2101");
    EXPECT_EQ(global->Accounting()->ParametroProposta(1), Variant(std::int16_t{11}));
    EXPECT_TRUE(global->Accounting()->ParametroProposta(2).is_null());
    EXPECT_EQ(global->Accounting()->ParametroProposta(13), Variant(std::int16_t{13}));
    EXPECT_TRUE(global->Accounting()->ParametroProposta(14).is_empty());
    EXPECT_EQ(global->CurrentUserCode(), Variant("anna"));
    EXPECT_EQ(global->CurrentUserGroup(), Variant("CONTAB"));

    auto other = make_host(8)->global_services();
    EXPECT_TRUE(other->Accounts()->CustomerAccount().is_null());
    EXPECT_EQ(other->Company()->StatementPortfolioIndicator(4).to_long(), 0);

    global->Messages()->Show("Classe Log non settata", "Attenzione");
    EXPECT_EQ(ui_->calls, std::vector<std::string>{"Notice(Classe Log non settata,Attenzione)"});

    auto classes = global->Classes();
    EXPECT_EQ(classes->CreateConnectionFactory()->NewConnection()->State(), ado::adStateClosed);
    EXPECT_NE(classes->CreateNumberingRequest(), nullptr);
    EXPECT_NE(classes->CreateProgressiveNumberService(), nullptr);
    EXPECT_NE(classes->CreateRebuildService(), nullptr);
    EXPECT_NE(classes->CreateGridLayout(), nullptr);
    EXPECT_NE(classes->CreateFileObject(), nullptr);
    EXPECT_NE(classes->CreateFolderObject(), nullptr);
    EXPECT_NE(classes->CreatePathObject(), nullptr);
    auto forms = host->navigator()->Forms();
    ASSERT_TRUE(forms);
    forms->Register(42, 0, 0, "");
    EXPECT_EQ(forms->CloseAnswer(), 0);
}

TEST_F(HostTest, RefusesUnknownCompanyUserOrDatabase) {
    const std::vector<std::tuple<std::int32_t, std::string, std::string>> cases = {
        {99, "anna", "company 99 is not in HOST_COMPANY"},
        {7, "bruno", "user bruno is not in HOST_USER"},
        {7, "o'neil", "user o'neil is not in HOST_USER (user codes hold no quotes)"}};
    for (const auto& [company, user, message] : cases) {
        try {
            make_host(company, user);
            ADD_FAILURE() << "no error for " << message;
        } catch (const refhost::HostError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
    const fs::path missing = dir_ / "missing.db";
    EXPECT_THROW(refhost::ReferenceHost({missing, 7, "anna"}, ui_), ado::Error);
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(HostTest, DateObjectGivesSqlTextAndValidity) {
    auto classes = make_host()->global_services()->Classes();
    const auto day = [](int year, int month, int d) { return DateTime::from_parts(year, month, d); };
    const std::vector<std::tuple<DateTime, std::int32_t, std::string>> cases = {
        {day(2024, 3, 5), 0, "20240305"},   {day(1753, 1, 1), 0, "17530101"},
        {day(9999, 12, 31), 0, "99991231"}, {day(1752, 12, 31), 1, "17521231"},
        {day(100, 1, 1), 1, "01000101"},    {DateTime::from_parts(2024, 3, 5, 10, 11, 12), 0, "20240305"}};
    for (const auto& [date, validity, text] : cases) {
        auto object = classes->CreateDateObject();
        object->SetDate(date);
        EXPECT_EQ(object->ValidityCode(), validity) << text;
        EXPECT_EQ(object->SqlText(), text);
    }
    EXPECT_EQ(classes->CreateDateObject()->ValidityCode(), 1);
    auto utility = classes->CreateUtilityObject();
    EXPECT_EQ(utility->DateFormat(), "dd/mm/yyyy");
    EXPECT_EQ(utility->DateTimeFormat(), "dd/mm/yyyy hh:nn:ss");
}

struct ActivityRequest {
    const char* name;
    enum { Open, Closed, None } connection;  // handed in: open, closed, or no connection
    std::int32_t year;
    std::vector<std::string> codes;
};

class ActivityParameters : public HostTest, public ::testing::WithParamInterface<ActivityRequest> {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        exec(
            "INSERT INTO CG86_ATTIVITAIVA (CG86_DITTA_CG18, CG86_ANNO, CG86_CODATTIVITA, CG86_DESCR)"
            " VALUES (7, 2024, '620100', 'Software'), (7, 2023, '000001', 'Old year'),"
            " (8, 2024, '000002', 'Other company'), (7, 2024, '461900', 'Trade')");
    }
    std::shared_ptr<ado::Connection> connection(decltype(ActivityRequest::connection) kind) {
        if (kind == ActivityRequest::None) return nullptr;
        auto c = std::make_shared<ado::Connection>(refhost::connection_string(db_path()));
        if (kind == ActivityRequest::Open) c->Open();
        return c;
    }
};

// On the connection handed in, or on the service's own one (closed or no connection).
TEST_P(ActivityParameters, OfTheCompanyAndYearOnly) {
    const ActivityRequest& c = GetParam();
    auto service = make_host()->global_services()->Classes()->CreateActivityParametersService();
    service->SetConnection(connection(c.connection));
    service->SetConnectionString(refhost::connection_string(db_path()));
    service->SetCompany(7);
    service->SetYear(c.year);
    service->SetOption(true);
    service->Run();
    ASSERT_EQ(service->Status().to_long(), 0);
    auto rs = service->Result();
    ASSERT_TRUE(rs);
    std::vector<std::string> codes;
    for (; !rs->EOF(); rs->MoveNext()) {
        EXPECT_FALSE(rs->GetFields().Item("CG86_IDATTIVITA").Value().is_null());
        codes.push_back(rs->GetFields().Item("CG86_CODATTIVITA").Value().to_string());
    }
    EXPECT_EQ(codes, c.codes);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ActivityParameters,
    ::testing::Values(ActivityRequest{"open connection", ActivityRequest::Open, 2024, {"461900", "620100"}},
                      ActivityRequest{
                          "closed connection", ActivityRequest::Closed, 2024, {"461900", "620100"}},
                      ActivityRequest{"no connection", ActivityRequest::None, 2023, {"000001"}},
                      ActivityRequest{"a year without activities", ActivityRequest::Open, 2022, {}}),
    scripted::ByName());

TEST_F(HostTest, ActivityParametersThatCannotBeReadAreAStatusAndNoResult) {
    auto failing = make_host()->global_services()->Classes()->CreateActivityParametersService();
    exec("DROP TABLE CG86_ATTIVITAIVA");
    auto open = std::make_shared<ado::Connection>(refhost::connection_string(db_path()));
    open->Open();
    failing->SetConnection(open);
    failing->SetCompany(7);
    failing->SetYear(2024);
    failing->Run();
    EXPECT_NE(failing->Status().to_long(), 0);
    EXPECT_EQ(failing->Result(), nullptr);
}

TEST_F(HostTest, ExerciseServiceFindsTheYearContainingTheDate) {
    exec(
        "INSERT INTO HOST_EXERCISE (COMPANY_CODE, START_DATE, END_DATE, EXERCISE_VALUE1, EXERCISE_VALUE2)"
        " VALUES (7, '20230101', '20231231', 2023, 1), (7, '20240101', '20241231', 2024, 2),"
        " (8, '20250101', '20251231', 2025, 3)");
    auto classes = make_host()->global_services()->Classes();
    // date, status, the two values (none when the status says not found)
    const std::vector<std::tuple<std::string, std::int32_t, std::int16_t, std::int16_t>> cases = {
        {"31/12/2023", 0, 2023, 1}, {"2024-01-01", 0, 2024, 2}, {"20241231 18:30:00", 0, 2024, 2},
        {"2025-06-01", 1, 0, 0},    {"not a date", 1, 0, 0},    {"", 1, 0, 0}};
    for (const auto& [date, status, first, second] : cases) {
        SCOPED_TRACE(date);
        auto service = classes->CreateExerciseService();
        service->SetConnection(nullptr);
        service->SetCompany(7);
        service->SetReferenceDate(date);
        service->Run();
        EXPECT_EQ(service->Status().to_long(), status);
        if (status != 0) continue;
        EXPECT_EQ(service->FirstValue(), Variant(first));
        EXPECT_EQ(service->SecondValue(), Variant(second));
    }
}

TEST_F(HostTest, LogObjectForwardsToTheFrontEnd) {
    auto classes = make_host()->global_services()->Classes();
    auto log = classes->CreateLogObject();
    // Answers other than abort, retry and ignore count as abort.
    const std::pair<std::int32_t, std::int32_t> answers[] = {{3, 3}, {4, 4}, {5, 5}, {0, 3}, {1, 3}, {6, 3}};
    for (const auto& [given, expected] : answers) {
        SCOPED_TRACE(given);
        ui_->error_answer = given;
        EXPECT_EQ(log->ShowError("Cap", "", "Proc", host::kErrorButtons), expected);
    }
    ui_->calls.clear();
    log->SetError({3021, "No current record", "ado"});
    ado::ProviderErrors provider(2);
    provider[0].description = "first";
    provider[1].description = "second";
    log->SetProviderErrors(provider);
    log->ShowError("LedgerIntake", "", "Form_Load", host::kErrorButtons);
    log->ShowError("LedgerIntake", "", "Form_Activate", host::kErrorButtons);  // the error was shown already
    log->SetDefaultButton(2);
    ui_->message_answer = 0;
    EXPECT_EQ(log->ShowMessage(113, 4, "File già importato. Forza?", "", "Importazione"), 0);
    EXPECT_EQ(ui_->calls,
              (std::vector<std::string>{"Error(LedgerIntake,Form_Load,No current record,2)",
                                        "Error(LedgerIntake,Form_Activate,,0)",
                                        "Message(113,4,File già importato. Forza?,,Importazione,2)"}));
}

}  // namespace refhost_test
