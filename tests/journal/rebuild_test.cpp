// The rebuild of the progressive totals: five rebuilds of the host's service in their fixed
// order with their parameters, every one run whatever the others gave, and the error flag
// recording any failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "case_name.h"
#include "journal/rebuild.h"
#include "verify_fixture.h"

namespace {

using Texts = std::vector<std::string>;

class RebuildTest : public verify_test::VerifyFixture {
  protected:
    // Activities as the service returns them; -1: one activity whose values are Null.
    static ado::RecordsetPtr activities(int rows) {
        if (rows >= 0) return scripted::activity_rows(rows);
        ado::RowSet set;
        set.columns = {scripted::column("CG86_CODATTIVITA", ado::adVarChar, 6),
                       scripted::column("CG86_IDATTIVITA", ado::adInteger)};
        set.rows.push_back({ado::Variant(ado::Null), ado::Variant(ado::Null)});
        return ado::Recordset::from_rows(set);
    }
    // Runs the rebuild with the service answering `results` by operation; the calls it made.
    Texts rebuild(int activity_rows, std::map<std::int32_t, std::int32_t> results, bool& error) {
        auto calls = host.calls;
        host.components().rebuild = [calls, results] {
            return std::make_shared<scripted::Rebuild>(calls, results);
        };
        host.components().exercise->first = std::int16_t{3};
        host.components().exercise->second = std::int16_t{4};
        module::ImportWindow& window = open_with("");
        window.import_state().activity_parameters = activities(activity_rows);
        const std::size_t mark = host.calls->size();
        journal::Rebuild(window).RicostruzioneProgressiviContabiliIVA(error);
        Texts made;
        for (const std::string& call : host.calls->since(mark))
            if (call.rfind("Rebuild.", 0) == 0) made.push_back(call.substr(8));
        window_ = &window;
        return made;
    }
    module::ImportWindow* window_ = nullptr;
};

TEST_F(RebuildTest, RunsTheFiveRebuildsInOrderWithTheirParameters) {
    bool error = false;
    const std::string cs = "ConnectionString(" + host.global->database->connection_string + ")";
    EXPECT_EQ(rebuild(2, {}, error), (Texts{cs,
                                            "Company(1)",
                                            "RunFlag(1)",
                                            "First(3)",
                                            "Second(4)",
                                            "Run(1)",
                                            "Run(2)",
                                            "Clear",
                                            cs,
                                            "Company(1)",
                                            "Year(2024)",
                                            "RunFlag(1)",
                                            "Run(3)",
                                            "Clear",
                                            cs,
                                            "Company(1)",
                                            "Year(2024)",
                                            "RunFlag(1)",
                                            "Run(4)",
                                            "Clear",
                                            cs,
                                            "Company(1)",
                                            "Year(2024)",
                                            "RunFlag(1)",
                                            "ActivityFlag(1)",
                                            "ActivityCode(471101)",
                                            "ActivityId(1)",
                                            "Run(5)",
                                            "ActivityCode(471102)",
                                            "ActivityId(2)",
                                            "Run(5)",
                                            "Clear",
                                            cs,
                                            "Company(1)",
                                            "Year(2024)",
                                            "RunFlag(1)",
                                            "ActivityFlag(1)",
                                            "ActivityCode(471101)",
                                            "ActivityId(1)",
                                            "Run(6)",
                                            "ActivityCode(471102)",
                                            "ActivityId(2)",
                                            "Run(6)",
                                            "Clear"}));
    EXPECT_FALSE(error);
    EXPECT_FALSE(window_->PROGRESS_BAR.visible);
    EXPECT_EQ(window_->MousePointer, module::kPointerDefault);
}

struct FailingRebuild {
    const char* name;
    int activities;
    std::map<std::int32_t, std::int32_t> results;
};

const FailingRebuild kFailing[] = {
    {"FirstOperation", 2, {{1, 7}}}, {"SecondOperation", 2, {{2, 1}}}, {"Year", 2, {{4, -1}}},
    {"PerActivity", 2, {{6, 2}}},    {"NoVatActivity", 0, {}},
};

class RebuildFailure : public RebuildTest, public ::testing::WithParamInterface<FailingRebuild> {};

// A failure sets the flag; the later rebuilds still run.
TEST_P(RebuildFailure, SetsTheFlagAndTheOthersStillRun) {
    bool error = false;
    const Texts made = rebuild(GetParam().activities, GetParam().results, error);
    EXPECT_TRUE(error);
    EXPECT_EQ(std::count(made.begin(), made.end(), "Clear"), 5);
    EXPECT_EQ(std::count(made.begin(), made.end(), "Run(4)"), 1);
}

INSTANTIATE_TEST_SUITE_P(Results, RebuildFailure, ::testing::ValuesIn(kFailing), scripted::ByName());

TEST_F(RebuildTest, NullActivityValuesGoAsNull) {
    bool error = false;
    const Texts made = rebuild(-1, {}, error);
    EXPECT_NE(std::find(made.begin(), made.end(), "ActivityCode(null)"), made.end());
    EXPECT_FALSE(error);
}

TEST_F(RebuildTest, AFailingServiceIsReportedAndFlagged) {
    host.calls->fail("Rebuild.Run");
    bool error = false;
    rebuild(1, {}, error);
    EXPECT_TRUE(error);
    EXPECT_EQ(errors_shown(), Texts{"RicostruzioneProgressiviContabiliIVA"});
    EXPECT_FALSE(window_->PROGRESS_BAR.visible);
}

TEST_F(RebuildTest, WithoutAServiceTheRebuildFails) {
    bool error = false;
    host.components().rebuild = nullptr;
    module::ImportWindow& window = open_with("");
    journal::Rebuild(window).RicostruzioneProgressiviContabiliIVA(error);
    EXPECT_TRUE(error);
    EXPECT_EQ(errors_shown(), Texts{"RicostruzioneProgressiviContabiliIVA"});
}

}  // namespace
