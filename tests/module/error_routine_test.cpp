// VisualizzaErrore: who shows a trapped error, what the host log object receives, and how
// its answer drives the window's own procedures.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "host/log_object.h"
#include "modulebase/module_context.h"
#include "module_fixture.h"

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

TEST_F(ErrorRoutineTest, TheLogObjectShowsTheErrorWithTheProviderErrorsAndItsAnswerIsReturned) {
    auto& m = make();
    auto log = std::make_shared<scripted::Log>(host.calls);
    m.context().state().log = log;
    for (std::int32_t answer : {host::kAnswerAbort, host::kAnswerRetry, host::kAnswerIgnore}) {
        SCOPED_TRACE(answer);
        log->error_answers = {answer};
        EXPECT_EQ(m.context().VisualizzaErrore(kError, "ImportazioneMovimentiFileXML"), answer);
        ASSERT_FALSE(log->shown.empty());
        const auto& shown = log->shown.back();
        EXPECT_EQ(shown.caption, module_test::kTitle);
        EXPECT_EQ(shown.message, "");
        EXPECT_EQ(shown.procedure, "ImportazioneMovimentiFileXML");
        EXPECT_EQ(shown.buttons, 4370);
        EXPECT_EQ(log->errors.back().description, "Violation of PRIMARY KEY");
        EXPECT_EQ(log->errors.back().number, ado::kErrProvider);
    }
    EXPECT_TRUE(log->provider_errors.empty());  // no module connection yet
    EXPECT_TRUE(host.global->messages->shown.empty());

    // The module connection's provider errors go with the error.
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
TEST_F(ErrorRoutineTest, AFailedOpenAtLoadFollowsTheAnswer) {
    // answers, errors shown, connection handed to the host, date object made
    const std::vector<std::tuple<const char*, std::deque<std::int32_t>, int, bool, bool>> cases = {
        {"abort leaves the window without a database", {3}, 1, false, false},
        {"retry opens again, then abort", {4, 3}, 2, false, false},
        {"ignore goes on with the closed connection", {5}, 1, true, true}};
    for (const auto& [name, answers, errors_shown, connection_handed_to_host, date_object_made] : cases) {
        SCOPED_TRACE(name);
        host.global->database->connection_string = "Provider=NoSuchEngine;Data Source=x";
        host.components().logs.clear();
        host.components().configure_log = [&](scripted::Log& log) { log.error_answers = answers; };
        auto& m = make();
        m.ShowForm();
        ASSERT_FALSE(host.components().logs.empty());
        const auto& shown = log().shown;
        ASSERT_EQ(static_cast<int>(shown.size()), errors_shown);
        for (const auto& s : shown) EXPECT_EQ(s.procedure, "Form_Load");
        EXPECT_FALSE(log().errors.at(0).description.empty());
        EXPECT_EQ(m.Connection() != nullptr, connection_handed_to_host);
        EXPECT_EQ(m.context().state().date_object != nullptr, date_object_made);
        // The window is open all the same and closes normally.
        EXPECT_EQ(m.CloseForm(), ado::Variant(true));
    }
}

}  // namespace
