// The error trap: what each answer of the error routine does to the procedure, and what
// the routine receives.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ado/error.h"
#include "host/error.h"
#include "host/log_object.h"
#include "module/error_trap.h"

namespace {

using module::ErrorTrap;

// An error routine answering from a script and remembering what it was shown.
class ScriptedReporter final : public module::ErrorReporter {
public:
    explicit ScriptedReporter(std::deque<std::int32_t> answers) : answers_(std::move(answers)) {}
    std::int32_t VisualizzaErrore(const host::ErrorInfo& error, std::string_view procedure) noexcept override {
        errors.push_back(error);
        procedures.emplace_back(procedure);
        if (answers_.empty()) return host::kAnswerAbort;
        const auto answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    std::vector<host::ErrorInfo> errors;
    std::vector<std::string> procedures;

private:
    std::deque<std::int32_t> answers_;
};

// A procedure of three statements whose second fails `failures` times; returns what the
// procedure saw: how often each statement ran and whether it came to the end.
struct Trace {
    int first = 0, second = 0, third = 0;
    bool reached_end = false;
    bool failed_flag = false;
};

Trace run_procedure(module::ErrorReporter& reporter, int failures) {
    Trace t;
    ErrorTrap trap(reporter, "ProceduraDiProva");
    trap.on_error_set(t.failed_flag, true);
    if (!trap.run([&] { ++t.first; })) return t;
    if (!trap.run([&] {
            ++t.second;
            if (t.second <= failures) throw ado::Error(ado::kErrProvider, "duplicate key");
        }))
        return t;
    if (!trap.run([&] { ++t.third; })) return t;
    t.reached_end = true;
    return t;
}

TEST(ErrorTrap, EachAnswerDecidesWhereTheProcedureGoesOn) {
    struct Case {
        const char* name;
        std::deque<std::int32_t> answers;
        int failures;
        int second_runs, third_runs;
        bool reached_end;
    };
    const std::vector<Case> cases = {
        {"no error", {}, 0, 1, 1, true},
        {"retry runs the failing statement again", {4}, 1, 2, 1, true},
        {"retry until it succeeds", {4, 4, 4}, 3, 4, 1, true},
        {"ignore goes on with the next statement", {5}, 1, 1, 1, true},
        {"abort leaves at once", {3}, 1, 1, 0, false},
        {"any other answer aborts", {0}, 1, 1, 0, false},
        {"retry then abort", {4, 3}, 5, 2, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedReporter reporter(c.answers);
        const Trace t = run_procedure(reporter, c.failures);
        EXPECT_EQ(t.first, 1);
        EXPECT_EQ(t.second, c.second_runs);
        EXPECT_EQ(t.third, c.third_runs);
        EXPECT_EQ(t.reached_end, c.reached_end);
        EXPECT_EQ(t.failed_flag, !reporter.errors.empty());
    }
}

TEST(ErrorTrap, ReportsTheProcedureNameAndTheProviderDescription) {
    ScriptedReporter reporter({3});
    run_procedure(reporter, 1);
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_EQ(reporter.procedures[0], "ProceduraDiProva");
    EXPECT_EQ(reporter.errors[0].number, ado::kErrProvider);
    EXPECT_EQ(reporter.errors[0].description, "duplicate key");
}

TEST(ErrorTrap, TurnsEveryKindOfFailureIntoAnError) {
    struct Case {
        const char* name;
        std::function<void()> statement;
        long number;
        std::string description;
    };
    const std::vector<Case> cases = {
        {"host error", [] { throw host::Error(host::kErrObjectNotSet, "Object not set: ClsGlobal"); },
         host::kErrObjectNotSet, "Object not set: ClsGlobal"},
        {"standard exception", [] { throw std::out_of_range("index 7"); }, host::kErrUnexpected, "index 7"},
        {"anything else", [] { throw 42; }, host::kErrUnexpected, "Unexpected failure"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedReporter reporter({5});
        ErrorTrap trap(reporter, "P");
        EXPECT_TRUE(trap.run(c.statement));
        ASSERT_EQ(reporter.errors.size(), 1u);
        EXPECT_EQ(reporter.errors[0].number, c.number);
        EXPECT_EQ(reporter.errors[0].description, c.description);
    }
}

TEST(ErrorTrap, AfterAbortLaterStatementsDoNotRun) {
    ScriptedReporter reporter({3});
    ErrorTrap trap(reporter, "P");
    EXPECT_FALSE(trap.run([] { throw std::runtime_error("x"); }));
    bool ran = false;
    EXPECT_FALSE(trap.run([&] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(trap.left());
    EXPECT_EQ(trap.errors(), 1);
}

TEST(ErrorTrap, FixedValuesAreSetBeforeTheRoutineIsAskedAndEveryTime) {
    int result = 10;
    int set_count = 0;
    struct Observer final : module::ErrorReporter {
        int* result;
        std::vector<int> seen;
        std::int32_t VisualizzaErrore(const host::ErrorInfo&, std::string_view) noexcept override {
            seen.push_back(*result);
            *result = 99;  // the procedure changes it meanwhile; the trap sets it again
            return seen.size() < 2 ? host::kAnswerRetry : host::kAnswerAbort;
        }
    } observer;
    observer.result = &result;
    ErrorTrap trap(observer, "P");
    trap.on_error_set(result, -1).on_error([&] { ++set_count; });
    EXPECT_FALSE(trap.run([] { throw std::runtime_error("x"); }));
    EXPECT_EQ(observer.seen, (std::vector<int>{-1, -1}));
    EXPECT_EQ(set_count, 2);
}

TEST(ErrorTrap, AFixedValueThatCannotBeSetDoesNotHideTheError) {
    ScriptedReporter reporter({3});
    ErrorTrap trap(reporter, "P");
    trap.on_error([] { throw std::runtime_error("cannot set"); });
    EXPECT_FALSE(trap.run([] { throw ado::Error(ado::kErrProvider, "the real failure"); }));
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_EQ(reporter.errors[0].description, "the real failure");
}

TEST(Suppress, SwallowsFailuresAndGivesTheFallback) {
    bool after = false;
    module::suppress([] { throw ado::Error(ado::kErrTypeMismatch, "Type mismatch"); });
    module::suppress([&] { after = true; });
    EXPECT_TRUE(after);
    EXPECT_EQ(module::suppress_or(7, [] { return std::stoi("junk"); }), 7);
    EXPECT_EQ(module::suppress_or(7, [] { return 3; }), 3);
}

}  // namespace
