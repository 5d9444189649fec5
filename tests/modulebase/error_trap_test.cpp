// The error trap: what each answer of the error routine does to the procedure, and what
// the routine receives.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ado/error.h"
#include "case_name.h"
#include "host/error.h"
#include "host/log_object.h"
#include "modulebase/error_trap.h"

namespace {

using module::ErrorTrap;

// An error routine that remembers what it was shown and answers from a script (abort once
// it runs out), after running `on_ask`.
struct ScriptedReporter final : module::ErrorReporter {
    explicit ScriptedReporter(std::deque<std::int32_t> script) : answers(std::move(script)) {}
    std::int32_t VisualizzaErrore(const host::ErrorInfo& error,
                                  std::string_view procedure) noexcept override {
        errors.push_back(error);
        procedures.emplace_back(procedure);
        if (on_ask) on_ask();
        if (answers.empty()) return host::kAnswerAbort;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::int32_t> answers;
    std::function<void()> on_ask;
    std::vector<host::ErrorInfo> errors;
    std::vector<std::string> procedures;
};

// A procedure of three statements whose second fails `failures` times, each run through
// the trap whatever the one before answered: how often each statement ran, whether every
// run said go on, and the trap afterwards.
struct Trace {
    int first = 0, second = 0, third = 0;
    bool reached_end = false, failed_flag = false, left = false;
    int errors = 0;
};

Trace run_procedure(module::ErrorReporter& reporter, int failures) {
    Trace t;
    ErrorTrap trap(reporter, "ProceduraDiProva");
    trap.on_error_set(t.failed_flag, true);
    const bool first = trap.run([&] { ++t.first; });
    const bool second = trap.run([&] {
        if (++t.second <= failures) throw ado::Error(ado::kErrProvider, "duplicate key");
    });
    const bool third = trap.run([&] { ++t.third; });
    t.reached_end = first && second && third;
    t.left = trap.left();
    t.errors = trap.errors();
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
        {"abort leaves at once: later statements do not run", {3}, 1, 1, 0, false},
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
        EXPECT_EQ(t.left, !c.reached_end);
        EXPECT_EQ(t.failed_flag, !reporter.errors.empty());
        // The routine is asked once per failure, with the procedure's name.
        EXPECT_EQ(t.errors, static_cast<int>(c.answers.size()));
        EXPECT_EQ(reporter.procedures, std::vector<std::string>(c.answers.size(), "ProceduraDiProva"));
        for (const auto& e : reporter.errors) {
            EXPECT_EQ(e.number, ado::kErrProvider);
            EXPECT_EQ(e.description, "duplicate key");
        }
    }
}

struct Failure {
    const char* name;
    std::function<void()> statement;
    long number;
    std::string description;
};

class FailureKinds : public ::testing::TestWithParam<Failure> {};

// Also: a fixed value that cannot be set does not hide the error.
TEST_P(FailureKinds, BecomeAnErrorWithANumberAndADescription) {
    ScriptedReporter reporter({5});
    ErrorTrap trap(reporter, "P");
    trap.on_error([] { throw std::runtime_error("cannot set"); });
    EXPECT_TRUE(trap.run(GetParam().statement));
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_EQ(reporter.errors[0].number, GetParam().number);
    EXPECT_EQ(reporter.errors[0].description, GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FailureKinds,
    ::testing::Values(Failure{"host error",
                              [] { throw host::Error(host::kErrObjectNotSet, "Object not set: ClsGlobal"); },
                              host::kErrObjectNotSet, "Object not set: ClsGlobal"},
                      Failure{"standard exception", [] { throw std::out_of_range("index 7"); },
                              host::kErrUnexpected, "index 7"},
                      Failure{"anything else", [] { throw 42; }, host::kErrUnexpected, "Unexpected failure"},
                      Failure{"provider error",
                              [] { throw ado::Error(ado::kErrProvider, "the real failure"); },
                              ado::kErrProvider, "the real failure"}),
    scripted::ByName());

TEST(ErrorTrap, FixedValuesAreSetBeforeTheRoutineIsAskedAndEveryTime) {
    int result = 10, set_count = 0;
    std::vector<int> seen;
    ScriptedReporter reporter({host::kAnswerRetry, host::kAnswerAbort});
    reporter.on_ask = [&] {
        seen.push_back(result);
        result = 99;  // the procedure changes it meanwhile; the trap sets it again
    };
    ErrorTrap trap(reporter, "P");
    trap.on_error_set(result, -1).on_error([&] { ++set_count; });
    EXPECT_FALSE(trap.run([] { throw std::runtime_error("x"); }));
    EXPECT_EQ(seen, (std::vector<int>{-1, -1}));
    EXPECT_EQ(set_count, 2);
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
