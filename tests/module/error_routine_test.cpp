// VisualizzaErrore: who shows a trapped error, what the host log object receives, and how
// its answer drives the window's own procedures.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "case_name.h"
#include "host/log_object.h"
#include "module_fixture.h"
#include "modulebase/module_context.h"

namespace {

using module_test::ModuleFixture;

class ErrorRoutineTest : public ModuleFixture {};

const host::ErrorInfo kError{ado::kErrProvider, "Violation of PRIMARY KEY", "ledgerintake.ado"};

// A log object the host cannot create aborts the load; the error routine then warns
// through ClsGlobal and aborts, and without ClsGlobal still aborts, never crashes.
TEST_F(ErrorRoutineTest, WithoutLogObjectTheLoadStopsAndErrorsWarnThroughClsGlobalAndAbort) {
    const std::vector<std::pair<std::string, std::string>> warning = {
        {"Classe Log non settata", "Attenzione"}};
    host.components().refuse_log = true;
    auto& m = make();
    m.ShowForm();
    EXPECT_EQ(host.global->messages->shown, warning);
    EXPECT_FALSE(host.calls->contains("Classes.CreateConnectionFactory"));
    EXPECT_EQ(m.Connection(), nullptr);

    host.global->messages->shown.clear();
    EXPECT_EQ(m.context().VisualizzaErrore(kError, "GeneraRecordSetStrutturaAnno"), host::kAnswerAbort);
    EXPECT_EQ(host.global->messages->shown, warning);
    m.SetClsGlobal(nullptr);
    EXPECT_EQ(m.context().VisualizzaErrore(kError, "P"), host::kAnswerAbort);
}

class ErrorRoutineAnswer : public ErrorRoutineTest, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(ErrorRoutineAnswer, TheLogObjectShowsTheErrorAndItsAnswerIsReturned) {
    auto& m = make();
    auto log = std::make_shared<scripted::Log>(host.calls);
    m.context().state().log = log;
    log->error_answers = {GetParam()};
    EXPECT_EQ(m.context().VisualizzaErrore(kError, "ImportazioneMovimentiFileXML"), GetParam());
    ASSERT_EQ(log->shown.size(), 1u);
    const auto& shown = log->shown.back();
    EXPECT_EQ(shown.caption, module_test::kTitle);
    EXPECT_EQ(shown.message, "");
    EXPECT_EQ(shown.procedure, "ImportazioneMovimentiFileXML");
    EXPECT_EQ(shown.buttons, 4370);
    EXPECT_EQ(log->errors.back().description, "Violation of PRIMARY KEY");
    EXPECT_EQ(log->errors.back().number, ado::kErrProvider);
    EXPECT_TRUE(log->provider_errors.empty());  // no module connection yet
    EXPECT_TRUE(host.global->messages->shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, ErrorRoutineAnswer,
                         ::testing::Values(host::kAnswerAbort, host::kAnswerRetry, host::kAnswerIgnore),
                         [](const auto& answer) {
                             return answer.param == host::kAnswerAbort   ? "Abort"
                                    : answer.param == host::kAnswerRetry ? "Retry"
                                                                         : "Ignore";
                         });

TEST_F(ErrorRoutineTest, TheModuleConnectionsProviderErrorsGoWithTheError) {
    auto& m = make();
    auto log = std::make_shared<scripted::Log>(host.calls);
    m.context().state().log = log;
    auto connection = std::make_shared<ado::Connection>();
    connection->Open(host.global->database->connection_string);
    EXPECT_THROW(connection->Execute("SELECT * FROM TABLE_THAT_IS_NOT_THERE"), ado::Error);
    const std::size_t count = connection->Errors().size();
    ASSERT_GT(count, 0u);
    m.context().state().connection = connection;
    const auto mark = host.calls->size();
    m.context().VisualizzaErrore(kError, "P");
    ASSERT_EQ(log->provider_errors.size(), 1u);
    ASSERT_EQ(log->provider_errors[0].size(), count);
    EXPECT_EQ(log->provider_errors[0][0].description, connection->Errors()[0].description);
    EXPECT_EQ(host.calls->since(mark),
              (std::vector<std::string>{"Log.SetError(Violation of PRIMARY KEY)",
                                        "Log.SetProviderErrors(" + std::to_string(count) + ")",
                                        "Log.ShowError(P)"}));
}

// A module connection that cannot be opened is reported under "Form_Load"; the answer
// decides how the load goes on.
struct FailedOpen {
    const char* name;
    std::deque<std::int32_t> answers;
    int errors_shown;
    bool connection_handed_to_host;
    bool date_object_made;
};

class FailedOpenAtLoad : public ErrorRoutineTest, public ::testing::WithParamInterface<FailedOpen> {};

TEST_P(FailedOpenAtLoad, FollowsTheAnswer) {
    const FailedOpen& c = GetParam();
    host.global->database->connection_string = "Provider=NoSuchEngine;Data Source=x";
    host.components().configure_log = [&](scripted::Log& l) { l.error_answers = c.answers; };
    auto& m = make();
    m.ShowForm();
    ASSERT_FALSE(host.components().logs.empty());
    const auto& shown = log().shown;
    ASSERT_EQ(static_cast<int>(shown.size()), c.errors_shown);
    for (const auto& s : shown) EXPECT_EQ(s.procedure, "Form_Load");
    EXPECT_FALSE(log().errors.at(0).description.empty());
    EXPECT_EQ(m.Connection() != nullptr, c.connection_handed_to_host);
    EXPECT_EQ(m.context().state().date_object != nullptr, c.date_object_made);
    // The window is open all the same and closes normally.
    EXPECT_EQ(m.CloseForm(), ado::Variant(true));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FailedOpenAtLoad,
    ::testing::Values(FailedOpen{"abort leaves the window without a database", {3}, 1, false, false},
                      FailedOpen{"retry opens again, then abort", {4, 3}, 2, false, false},
                      FailedOpen{"ignore goes on with the closed connection", {5}, 1, true, true}),
    scripted::ByName());

}  // namespace
