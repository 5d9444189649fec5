// The reading of a statement trace: statements split at their "GO" lines, counted as the
// trace arrives in pieces, each put in its moment of the import, and crash points chosen
// over the moments.
#include "trace_points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "case_name.h"

namespace {

using namespace reliability;

std::string statement(const std::string& text) {
    return "-- 2026-12-06 10:00:00\r\n" + text + "\r\nGO\r\n";
}

TEST(TracePoints, StatementsAreSplitAtGoLinesWithoutTheirMomentLine) {
    const std::string trace = statement(" SELECT 1\r\n FROM X") + statement("-- BeginTrans") +
                              "-- 2026-12-06 10:00:01 (updatable)\r\n SELECT *\r\nGO\r\n";
    EXPECT_EQ(split_statements(trace),
              (std::vector<std::string>{" SELECT 1\n FROM X", "-- BeginTrans", " SELECT *"}));
}

TEST(TracePoints, AGoInsideAStatementLineIsNotAnEnd) {
    EXPECT_EQ(split_statements(statement(" SELECT 'GO'\r\n GO TO")).size(), 1u);
}

struct PieceCase {
    const char* name;
    std::vector<std::string> pieces;
    std::vector<std::size_t> counts;  // after each piece
};

class StatementEnds : public ::testing::TestWithParam<PieceCase> {};

TEST_P(StatementEnds, AreCountedWhateverThePiecesTheTraceArrivesIn) {
    std::string pending;
    std::vector<std::size_t> counts;
    for (const auto& piece : GetParam().pieces) counts.push_back(count_statement_ends(pending, piece));
    EXPECT_EQ(counts, GetParam().counts);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, StatementEnds,
    ::testing::Values(PieceCase{"whole statements", {"-- t\r\nA\r\nGO\r\n-- t\r\nB\r\nGO\r\n"}, {2}},
                      PieceCase{"a GO cut in two", {"-- t\r\nA\r\nG", "O\r\n"}, {0, 1}},
                      PieceCase{"a line end cut in two", {"-- t\r\nA\r\nGO\r", "\n-- t\r\n"}, {0, 1}},
                      PieceCase{"GO as part of a line", {" GOTO\r\nGO \r\nXGO\r\n"}, {0}},
                      PieceCase{"nothing yet", {"", "-- t\r\n"}, {0, 0}}),
    scripted::ByName());

// A trace shaped like an import's: a check, a creation, the header, two entries, the
// links, the reading of the exercise before the rebuild and the last reading.
std::vector<std::string> import_like() {
    return {
        " SELECT 'OK' AS ESISTE FROM CG33_TABCAU",                   // 1 other
        "-- BeginTrans",                                             // 2 creation
        " SELECT * FROM CG33_TABCAU",                                // 3 creation
        "-- CommitTrans",                                            // 4 creation
        " INSERT INTO #VPOOLLOG",                                    // 5 creation (after its commit)
        " INSERT INTO IE42_IMPCOGE (",                               // 6 other
        " SELECT TOP 1 IE43_NUMREG_CO99",                            // 7 other
        "-- BeginTrans",                                             // 8 mid-entry
        " INSERT INTO IE43_DETTIMPCOGE (",                           // 9 mid-entry
        " INSERT INTO CO99_MASTERDOC (",                             // 10 mid-entry
        "-- CommitTrans",                                            // 11 entry commit
        " INSERT INTO #VPOOLLOG",                                    // 12 entry boundary
        "-- BeginTrans",                                             // 13 mid-entry
        " INSERT INTO IE43_DETTIMPCOGE (",                           // 14 mid-entry
        "-- RollbackTrans",                                          // 15 entry commit (its end)
        " UPDATE CG41_PRIMANOTA SET CG41_RIFPADRE",                  // 16 entry boundary
        " SELECT EXERCISE_VALUE1 FROM HOST_EXERCISE WITH (NOLOCK)",  // 17 other: rebuild after it
        " SELECT TOP 1 IE42_NOMEFILE",                               // 18 other
    };
}

TEST(TracePoints, EachStatementIsPutInItsMoment) {
    const TraceMap map = classify(import_like());
    using M = Moment;
    EXPECT_EQ(map.moments,
              (std::vector<Moment>{M::other, M::creation, M::creation, M::creation, M::creation, M::other,
                                   M::other, M::mid_entry, M::mid_entry, M::mid_entry, M::entry_commit,
                                   M::entry_boundary, M::mid_entry, M::mid_entry, M::entry_commit,
                                   M::entry_boundary, M::other, M::other}));
    EXPECT_EQ(map.rebuild_after, 17u);
}

TEST(TracePoints, TheExerciseReadBeforeTheJournalIsNotTheRebuild) {
    EXPECT_EQ(
        classify({" SELECT EXERCISE_VALUE1 FROM HOST_EXERCISE", " INSERT INTO IE42_IMPCOGE ("}).rebuild_after,
        0u);
}

struct CountCase {
    const char* name;
    std::size_t count;
    std::map<Moment, std::size_t> per_moment;
};

class PointChoice : public ::testing::TestWithParam<CountCase> {};

TEST_P(PointChoice, GivesEachMomentItsShareOfTheStatementsOfThatMoment) {
    const TraceMap map = classify(import_like());
    const auto points = choose_points(map, GetParam().count);
    ASSERT_EQ(points.size(), GetParam().count);
    std::map<Moment, std::size_t> per_moment;
    for (const auto& point : points) {
        ++per_moment[point.moment];
        ASSERT_GE(point.statement, 1u);
        ASSERT_LE(point.statement, map.moments.size());
        if (point.moment == Moment::rebuild) {
            EXPECT_EQ(point.statement, map.rebuild_after);
            EXPECT_GT(point.delay_fraction, 0.0);
            EXPECT_LT(point.delay_fraction, 1.0);
        } else {
            EXPECT_EQ(map.moments[point.statement - 1], point.moment) << point.statement;
            EXPECT_EQ(point.delay_fraction, 0.0);
        }
    }
    EXPECT_EQ(per_moment, GetParam().per_moment);
    for (std::size_t i = 1; i < points.size(); ++i) EXPECT_LE(points[i - 1].statement, points[i].statement);
}

using M = Moment;
INSTANTIATE_TEST_SUITE_P(Counts, PointChoice,
                         ::testing::Values(CountCase{"two hundred",
                                                     200,
                                                     {{M::entry_boundary, 40},
                                                      {M::entry_commit, 25},
                                                      {M::mid_entry, 50},
                                                      {M::creation, 40},
                                                      {M::rebuild, 25},
                                                      {M::other, 20}}},
                                           CountCase{"twelve",
                                                     12,
                                                     {{M::entry_boundary, 2},
                                                      {M::entry_commit, 2},
                                                      {M::mid_entry, 3},
                                                      {M::creation, 2},
                                                      {M::rebuild, 2},
                                                      {M::other, 1}}},
                                           CountCase{"eight",
                                                     8,
                                                     {{M::entry_boundary, 2},
                                                      {M::entry_commit, 1},
                                                      {M::mid_entry, 2},
                                                      {M::creation, 1},
                                                      {M::rebuild, 1},
                                                      {M::other, 1}}}),
                         scripted::ByName());

TEST(TracePoints, PointsOfAMomentAreSpreadOverItsStatements) {
    const TraceMap map = classify(import_like());
    std::vector<std::size_t> mid;
    for (const auto& point : choose_points(map, 200))
        if (point.moment == Moment::mid_entry) mid.push_back(point.statement);
    // Five statements mid-entry, fifty points: ten each.
    for (const std::size_t statement : {8u, 9u, 10u, 13u, 14u})
        EXPECT_EQ(std::count(mid.begin(), mid.end(), statement), 10) << statement;
}

}  // namespace
