#include "refhost/rebuild_service.h"

#include <functional>

#include "case_name.h"
#include "journal_books.h"
#include "refhost/host_components.h"
#include "refhost_fixture.h"

namespace refhost_test {
using ado::Variant;

constexpr std::int32_t kCompany = 7;

std::string month_key(const Entry& e) {
    return std::to_string(e.year()) + "|" + std::to_string(e.month());
}

// Company 7 with an exercise from July 2023 to June 2024, two VAT activities in 2024 (A
// main, B), registers A1 and X9 (given to an activity 2024 lacks) counting under A and B1
// under B; company 8 alongside, whose rows must count nowhere.
class RebuildTest : public DatabaseTest {
  public:
    using DatabaseTest::conn_;
    using DatabaseTest::db_path;
    using DatabaseTest::exec;

    void SetUp() override {
        DatabaseTest::SetUp();
        exec(
            "INSERT INTO HOST_EXERCISE (COMPANY_CODE, START_DATE, END_DATE, EXERCISE_VALUE1, "
            "EXERCISE_VALUE2) "
            "VALUES (7, '20230701', '20240630', 2024, 1), (7, '20240701', '20250630', 2025, 2)");
        exec(
            "INSERT INTO CG86_ATTIVITAIVA (CG86_DITTA_CG18, CG86_ANNO, CG86_CODATTIVITA, CG86_FLGPRINCIPALE) "
            "VALUES (7, 2024, '222222', 0), (7, 2024, '111111', 1), (7, 2023, '999999', 1)");
        activity_b_ = id_of("222222", 2024);
        activity_a_ = id_of("111111", 2024);
        exec(
            "INSERT INTO HOST_ACTIVITY_SECTION (COMPANY_CODE, SECTION, ACTIVITY_CODE) "
            "VALUES (7, 'B1', '222222'), (7, 'X9', '999999'), (8, 'A1', '222222')");

        const Entry& e1 = books_.entry(7, "202300000001", "20230615", "A1", 1);  // before the exercise
        const Entry& e2 = books_.entry(7, "202300000002", "20230701", "A1", 2);  // its first day
        const Entry& e3 = books_.entry(7, "202300000003", "20231231", "B1", 1);
        const Entry& e4 = books_.entry(7, "202400000001", "20240115", "A1", 3);
        const Entry& e5 = books_.entry(7, "202400000002", "20240131", "X9", 4);
        const Entry& e6 = books_.entry(7, "202400000003", "20240630 10:30:00", "B1", 2);  // its last day
        const Entry& e7 = books_.entry(7, "202400000004", "20240701", "A1", 5);
        const Entry& e8 = books_.entry(7, "202400000005", "20241231", "B1", 3);
        const Entry& other = books_.entry(8, "202400000001", "20240115", "A1", 1);

        books_.account(e1, 1, "1101", "5", "0");
        books_.account(e2, 1, "1101", "0.1", "0");  // 0.1 + 0.2, which a double makes 0.30000000000000004
        books_.account(e2, 1, "1101", "0.2", "0");
        books_.account(e2, 1, "2201", "0", "0.3");
        books_.account(e3, 2, "1101", "12.5", "0");  // another chart group
        books_.account(e4, 1, "1101", "1234567.0005", "0");
        books_.account(e4, 1, "2201", "0", "1234567.0005");
        books_.account(e5, 1, "1101", "0.0005", "0");
        for (int i = 0; i < 100; ++i) books_.account(e6, 1, "3301", "0.01", "0");
        books_.account(e6, 1, "4401", "0", "1");
        books_.account(e7, 1, "1101", "0", "7.77");
        books_.account(e8, 1, "2201", "99999999999.9999", "0");
        books_.account(other, 1, "1101", "1000", "1000");

        books_.vat(e2, "22", "0.1", "0.022");
        books_.vat(e2, "22", "0.2", "0.044");
        books_.vat(e3, "10", "100.05", "10.005");
        books_.vat(e4, "22", "1234567.0005", "271604.7401");
        books_.vat(e5, "", "3.33", "0");
        for (int i = 0; i < 100; ++i) books_.vat(e6, "4", "0.01", "0.0004");
        books_.vat(e8, "22", "10", "2.2");
        books_.vat(other, "22", "500", "110");
        books_.write(conn_);
    }

    std::int32_t id_of(const std::string& code, int year) {
        return conn_
            .Execute("SELECT CG86_IDATTIVITA FROM CG86_ATTIVITAIVA WHERE CG86_CODATTIVITA = '" + code +
                     "' AND CG86_ANNO = " + std::to_string(year))
            ->GetFields()
            .Item(0)
            .Value()
            .to_long();
    }

    std::string cs(const std::string& extra = "") const {
        return refhost::connection_string(db_path()) + extra;
    }

    // The parameters the import gives each rebuild.
    void exercise_parameters(refhost::RebuildService& s, std::int16_t v1 = 2024, std::int16_t v2 = 1) {
        auto& p = s.Parameters();
        p.SetConnectionString(cs());
        p.SetCompany(kCompany);
        p.SetRunFlag(true);
        p.SetFirstExercise(v1);
        p.SetSecondExercise(v2);
    }
    void year_parameters(refhost::RebuildService& s, std::int32_t year = 2024) {
        auto& p = s.Parameters();
        p.SetConnectionString(cs());
        p.SetCompany(kCompany);
        p.SetYear(year);
        p.SetRunFlag(true);
    }
    std::int32_t run(refhost::RebuildService& s, std::int32_t operation) {
        s.Run(operation);
        EXPECT_EQ(s.ResultCode(), 0) << s.last_error();
        return s.ResultCode();
    }

    Totals account_months() {
        return JournalBooks::read(conn_,
                                  "SELECT ACCOUNT_GROUP, ACCOUNT, YEAR, MONTH, DEBIT, CREDIT FROM "
                                  "HOST_PROG_CONTI WHERE COMPANY_CODE = 7",
                                  4);
    }
    Totals expected_account_months(const std::function<bool(const Entry&)>& take) const {
        return books_.accounts(kCompany, take, [](const AccountRow& r) {
            return std::to_string(r.group) + "|" + r.account + "|" + month_key(*r.entry);
        });
    }
    Totals vat_months() {
        return JournalBooks::read(
            conn_,
            "SELECT VAT_CODE, SECTION, YEAR, MONTH, TAXABLE, TAX FROM HOST_PROG_IVA WHERE COMPANY_CODE = 7",
            4);
    }
    // The activity a register belongs to in 2024, as the test sets it up.
    std::int32_t activity_of(const std::string& section) const {
        return section == "B1" ? activity_b_ : activity_a_;
    }
    static bool in_2024(const Entry& e) { return e.year() == 2024; }

    JournalBooks books_;
    std::int32_t activity_a_ = 0, activity_b_ = 0;
    std::unique_ptr<ado::Connection> locker_;  // holds the database's write lock
};

TEST_F(RebuildTest, OperationOneTotalsEveryMonthOfTheExercise) {
    refhost::RebuildService service;
    exercise_parameters(service);
    run(service, 1);
    const auto expected =
        expected_account_months([](const Entry& e) { return e.date >= "20230701" && e.date < "20240701"; });
    EXPECT_EQ(account_months(), expected);
    // The amounts a double cannot hold, to the last digit.
    EXPECT_EQ(expected.at("1|1101|2023|7"), (std::vector<std::string>{"0.3", "0"}));
    EXPECT_EQ(expected.at("1|1101|2024|1"), (std::vector<std::string>{"1234567.001", "0"}));
    EXPECT_EQ(expected.at("1|3301|2024|6"), (std::vector<std::string>{"1", "0"}));
}

TEST_F(RebuildTest, OperationTwoTotalsEachAccountOverTheExercise) {
    refhost::RebuildService service;
    exercise_parameters(service);
    run(service, 2);
    const Totals expected = books_.accounts(
        kCompany, [](const Entry& e) { return e.date >= "20230701" && e.date < "20240701"; },
        [](const AccountRow& r) { return "2024|1|" + std::to_string(r.group) + "|" + r.account; });
    EXPECT_EQ(
        JournalBooks::read(conn_,
                           "SELECT EXERCISE_VALUE1, EXERCISE_VALUE2, ACCOUNT_GROUP, ACCOUNT, DEBIT, CREDIT "
                           "FROM HOST_PROG_ESERCIZIO WHERE COMPANY_CODE = 7",
                           4),
        expected);
    EXPECT_EQ(expected.at("2024|1|1|1101"), (std::vector<std::string>{"1234567.301", "0"}));
}

TEST_F(RebuildTest, OperationThreeTotalsTheMonthsOfTheYear) {
    refhost::RebuildService service;
    year_parameters(service);
    run(service, 3);
    EXPECT_EQ(account_months(), expected_account_months(in_2024));
}

TEST_F(RebuildTest, OperationFourTotalsVatPerCodeRegisterAndMonth) {
    refhost::RebuildService service;
    year_parameters(service);
    run(service, 4);
    const Totals expected = books_.vats(kCompany, in_2024, [](const VatRow& r) {
        return r.code + "|" + r.entry->section + "|" + month_key(*r.entry);
    });
    EXPECT_EQ(vat_months(), expected);
    EXPECT_EQ(expected.at("4|B1|2024|6"), (std::vector<std::string>{"1", "0.04"}));
    EXPECT_EQ(expected.count("|X9|2024|1"), 1u);  // a VAT row without a code
}

struct ActivityCase {
    const char* name;
    bool by_id;        // else by code
    bool flag = true;  // off: every activity of the year
    bool only_b = false;
};

class RebuildActivities : public RebuildTest, public ::testing::WithParamInterface<ActivityCase> {
  protected:
    // Runs the operation as rebuilds 4 and 5 do: one instance, once per activity.
    void run_activities(std::int32_t operation) {
        const ActivityCase& c = GetParam();
        refhost::RebuildService service;
        year_parameters(service);
        service.Parameters().SetActivityFlag(c.flag);
        if (!c.flag) {
            run(service, operation);
            return;
        }
        for (const auto& [id, code] : {std::pair{activity_a_, "111111"}, std::pair{activity_b_, "222222"}}) {
            if (c.only_b && id == activity_a_) continue;
            service.Parameters().SetActivityId(c.by_id ? Variant(id) : Variant(ado::Null));
            service.Parameters().SetActivityCode(Variant(code));
            run(service, operation);
        }
    }
    bool counted(const Entry& e) const {
        return in_2024(e) && (!GetParam().only_b || activity_of(e.section) == activity_b_);
    }
};

TEST_P(RebuildActivities, OperationFiveTotalsTheVatOfEachActivitysRegisters) {
    run_activities(5);
    EXPECT_EQ(JournalBooks::read(conn_,
                                 "SELECT ACTIVITY_ID, ACTIVITY_CODE, VAT_CODE, YEAR, MONTH, TAXABLE, TAX "
                                 "FROM HOST_PROG_IVA_ATTIVITA WHERE COMPANY_CODE = 7",
                                 5),
              books_.vats(
                  kCompany, [&](const Entry& e) { return counted(e); },
                  [&](const VatRow& r) {
                      const std::int32_t id = activity_of(r.entry->section);
                      return std::to_string(id) + "|" + (id == activity_a_ ? "111111" : "222222") + "|" +
                             r.code + "|" + month_key(*r.entry);
                  }));
}

TEST_P(RebuildActivities, OperationSixTotalsEachRegisterOfEachActivity) {
    run_activities(6);
    EXPECT_EQ(JournalBooks::read(conn_,
                                 "SELECT ACTIVITY_ID, SECTION, YEAR, MONTH, TAXABLE, TAX, LAST_PROTOCOL "
                                 "FROM HOST_PROG_REGISTRI_IVA WHERE COMPANY_CODE = 7",
                                 4),
              books_.vats(
                  kCompany, [&](const Entry& e) { return counted(e); },
                  [&](const VatRow& r) {
                      return std::to_string(activity_of(r.entry->section)) + "|" + r.entry->section + "|" +
                             month_key(*r.entry);
                  },
                  true));
}

INSTANTIATE_TEST_SUITE_P(Parameters, RebuildActivities,
                         ::testing::Values(ActivityCase{"each activity by identifier", true},
                                           ActivityCase{"each activity by code", false},
                                           ActivityCase{"every activity at once", false, false},
                                           ActivityCase{"only the second activity", true, true, true}),
                         scripted::ByName());

// Running again replaces: the same totals, and totals of rows gone are gone.
TEST_F(RebuildTest, RunningAgainReplacesTheTotals) {
    refhost::RebuildService service;
    year_parameters(service);
    run(service, 3);
    run(service, 4);
    const Totals accounts = account_months(), vats = vat_months();
    run(service, 3);
    run(service, 4);
    EXPECT_EQ(account_months(), accounts);
    EXPECT_EQ(vat_months(), vats);

    exec("DELETE FROM CG42_MOVCONT WHERE CG42_CONTOPAR_CG24 = '3301'");
    run(service, 3);
    Totals without = accounts;
    without.erase("1|3301|2024|6");
    EXPECT_EQ(account_months(), without);
}

TEST_F(RebuildTest, TheRunFlagOffChangesNothing) {
    refhost::RebuildService service;
    year_parameters(service);
    service.Parameters().SetRunFlag(false);
    for (std::int32_t operation : {3, 4}) {
        service.Run(operation);
        EXPECT_EQ(service.ResultCode(), 0) << service.last_error();
    }
    EXPECT_TRUE(account_months().empty());
    EXPECT_TRUE(vat_months().empty());
}

TEST_F(RebuildTest, ObjectPropertiesAreClearedAndComeBackOnTheNextRun) {
    refhost::RebuildService service;
    year_parameters(service);
    service.Parameters().SetActivityFlag(false);
    run(service, 5);
    EXPECT_TRUE(service.holds_connection());
    EXPECT_TRUE(service.holds_activities());
    service.ClearObjectProperties();
    EXPECT_FALSE(service.holds_connection());
    EXPECT_FALSE(service.holds_activities());
    run(service, 6);
    service.ClearObjectProperties();
}

// The five rebuilds of the import, through the host's components, on one database.
TEST_F(RebuildTest, TheHostRunsEveryOperation) {
    refhost::Components components(std::make_shared<RecordingUi>(), cs());
    const auto instance = [&] {
        auto service = components.CreateRebuildService();
        auto& p = service->Parameters();
        p.SetConnectionString(cs());
        p.SetCompany(kCompany);
        p.SetRunFlag(true);
        return service;
    };
    {
        auto service = instance();
        service->Parameters().SetFirstExercise(2024);
        service->Parameters().SetSecondExercise(1);
        for (std::int32_t operation : {1, 2}) {
            service->Run(operation);
            EXPECT_EQ(service->ResultCode(), 0);
        }
        service->ClearObjectProperties();
    }
    for (std::int32_t operation : {3, 4, 5, 6}) {
        auto service = instance();
        service->Parameters().SetYear(2024);
        service->Parameters().SetActivityFlag(operation >= 5);
        for (std::int32_t id : operation >= 5 ? std::vector{activity_a_, activity_b_} : std::vector{0}) {
            if (id != 0) service->Parameters().SetActivityId(Variant(id));
            service->Run(operation);
            EXPECT_EQ(service->ResultCode(), 0) << operation;
        }
        service->ClearObjectProperties();
    }
    // Operations 1 and 3 together: the exercise's months and the year's.
    EXPECT_EQ(account_months(), expected_account_months([](const Entry& e) { return e.date >= "20230701"; }));
    for (const char* table :
         {"HOST_PROG_ESERCIZIO", "HOST_PROG_IVA", "HOST_PROG_IVA_ATTIVITA", "HOST_PROG_REGISTRI_IVA"})
        EXPECT_GT(conn_.Execute(std::string("SELECT COUNT(*) FROM ") + table)
                      ->GetFields()
                      .Item(0)
                      .Value()
                      .to_long(),
                  0)
            << table;
}

// What an operation is given, starting from nothing: the parameters the import would give,
// set by `set` for the case.
struct ParameterCase {
    const char* name;
    std::int32_t operation;
    std::function<void(host::RebuildParameters&, RebuildTest&)> set;
    std::int32_t code;
    const char* message;
};

class RebuildParameterFailures : public RebuildTest, public ::testing::WithParamInterface<ParameterCase> {};

TEST_P(RebuildParameterFailures, GiveTheirCodeAndWriteNothing) {
    const ParameterCase& c = GetParam();
    refhost::RebuildService service;
    EXPECT_EQ(service.ResultCode(), refhost::kRebuildBadParameters);  // not run yet
    c.set(service.Parameters(), *this);
    service.Run(c.operation);
    EXPECT_EQ(service.ResultCode(), c.code);
    EXPECT_NE(service.last_error().find(c.message), std::string::npos) << service.last_error();
    for (const char* table : {"HOST_PROG_CONTI", "HOST_PROG_ESERCIZIO", "HOST_PROG_IVA",
                              "HOST_PROG_IVA_ATTIVITA", "HOST_PROG_REGISTRI_IVA"})
        EXPECT_EQ(conn_.Execute(std::string("SELECT COUNT(*) FROM ") + table)
                      ->GetFields()
                      .Item(0)
                      .Value()
                      .to_long(),
                  0)
            << table;
}

using P = host::RebuildParameters;
void base(P& p, RebuildTest& fixture) {
    p.SetConnectionString(fixture.cs());
    p.SetCompany(kCompany);
    p.SetRunFlag(true);
}
void everything(P& p, RebuildTest& fixture) {
    base(p, fixture);
    p.SetFirstExercise(2024);
    p.SetSecondExercise(1);
    p.SetYear(2024);
    p.SetActivityFlag(true);
    p.SetActivityId(Variant(fixture.activity_a_));
}
void year_and_activity(P& p, RebuildTest& fixture) {
    base(p, fixture);
    p.SetYear(2024);
    p.SetActivityFlag(true);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RebuildParameterFailures,
    ::testing::Values(ParameterCase{"operation 0", 0, everything, refhost::kRebuildBadParameters,
                                    "not a rebuild operation"},
                      ParameterCase{"operation 7", 7, everything, refhost::kRebuildBadParameters,
                                    "not a rebuild operation"},
                      ParameterCase{"no connection string", 3,
                                    [](P& p, RebuildTest&) {
                                        p.SetCompany(kCompany);
                                        p.SetYear(2024);
                                    },
                                    refhost::kRebuildBadParameters, "No connection string"},
                      ParameterCase{"no company", 3,
                                    [](P& p, RebuildTest& fixture) {
                                        p.SetConnectionString(fixture.cs());
                                        p.SetYear(2024);
                                    },
                                    refhost::kRebuildBadParameters, "No company"},
                      ParameterCase{"company 0, as the import gives an empty one", 1,
                                    [](P& p, RebuildTest& fixture) {
                                        everything(p, fixture);
                                        p.SetCompany(0);
                                    },
                                    refhost::kRebuildBadParameters, "No company"},
                      ParameterCase{"no exercise values", 1,
                                    [](P& p, RebuildTest& fixture) {
                                        base(p, fixture);
                                        p.SetYear(2024);
                                    },
                                    refhost::kRebuildBadParameters, "needs both exercise values"},
                      ParameterCase{"only the first exercise value", 2,
                                    [](P& p, RebuildTest& fixture) {
                                        base(p, fixture);
                                        p.SetFirstExercise(2024);
                                    },
                                    refhost::kRebuildBadParameters, "needs both exercise values"},
                      ParameterCase{"no year", 4,
                                    [](P& p, RebuildTest& fixture) {
                                        base(p, fixture);
                                        p.SetFirstExercise(2024);
                                        p.SetSecondExercise(1);
                                    },
                                    refhost::kRebuildBadParameters, "needs the year"},
                      ParameterCase{"a year before the books", 3,
                                    [](P& p, RebuildTest& fixture) {
                                        everything(p, fixture);
                                        p.SetYear(1500);
                                    },
                                    refhost::kRebuildBadParameters,
                                    "The year 1500 is not a year of the books"},
                      ParameterCase{"no activity", 5, year_and_activity, refhost::kRebuildBadParameters,
                                    "needs the activity code or identifier"},
                      ParameterCase{"a blank activity code and a null identifier", 6,
                                    [](P& p, RebuildTest& fixture) {
                                        year_and_activity(p, fixture);
                                        p.SetActivityCode(Variant("   "));
                                        p.SetActivityId(Variant(ado::Null));
                                    },
                                    refhost::kRebuildBadParameters, "needs the activity code or identifier"},
                      ParameterCase{"an identifier that is not a number", 5,
                                    [](P& p, RebuildTest& fixture) {
                                        year_and_activity(p, fixture);
                                        p.SetActivityId(Variant("A1"));
                                    },
                                    refhost::kRebuildBadParameters, "is not a number"},
                      ParameterCase{"an exercise the company lacks", 1,
                                    [](P& p, RebuildTest& fixture) {
                                        everything(p, fixture);
                                        p.SetFirstExercise(2030);
                                    },
                                    refhost::kRebuildNotFound, "has no exercise with the values 2030 and 1"},
                      ParameterCase{"an activity of another year", 5,
                                    [](P& p, RebuildTest& fixture) {
                                        year_and_activity(p, fixture);
                                        p.SetActivityId(Variant(fixture.id_of("999999", 2023)));
                                    },
                                    refhost::kRebuildNotFound, "There is no activity"},
                      ParameterCase{"an unknown activity code", 6,
                                    [](P& p, RebuildTest& fixture) {
                                        year_and_activity(p, fixture);
                                        p.SetActivityCode(Variant("333333"));
                                    },
                                    refhost::kRebuildNotFound, "There is no activity '333333'"},
                      ParameterCase{"an identifier with another activity's code", 6,
                                    [](P& p, RebuildTest& fixture) {
                                        everything(p, fixture);
                                        p.SetActivityCode(Variant("222222"));
                                    },
                                    refhost::kRebuildNotFound, "has the code '111111', not '222222'"},
                      ParameterCase{"a database file that does not exist", 3,
                                    [](P& p, RebuildTest& fixture) {
                                        everything(p, fixture);
                                        p.SetConnectionString(refhost::connection_string(
                                            fixture.db_path().string() + ".missing"));
                                    },
                                    refhost::kRebuildFailed, "Rebuild operation 3 failed"}),
    scripted::ByName());

// An operation that fails part-way leaves the totals of its last success: the journal has
// changed since (one more January amount), so a committed half would show.
struct FailureCase {
    const char* name;
    std::int32_t operation;
    std::function<void(RebuildTest&)> fail;
    const char* message;
    const char* connection_options = "";  // added to the service's connection string
};

class RebuildDatabaseFailures : public RebuildTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RebuildDatabaseFailures, KeepThePreviousTotals) {
    const FailureCase& c = GetParam();
    refhost::RebuildService service;
    year_parameters(service);
    run(service, c.operation);
    const Totals before = account_months(), vats_before = vat_months();
    const Entry& january = books_.entry(7, "202400000099", "20240102", "A1", 9);
    books_.account(january, 1, "1101", "1", "0");
    books_.vat(january, "22", "1", "0.22");
    books_.write(conn_);

    c.fail(*this);
    service.Parameters().SetConnectionString(cs(c.connection_options));
    service.Run(c.operation);
    EXPECT_EQ(service.ResultCode(), refhost::kRebuildFailed);
    EXPECT_NE(service.last_error().find(c.message), std::string::npos) << service.last_error();
    if (locker_) locker_->RollbackTrans();
    EXPECT_EQ(account_months(), before);
    EXPECT_EQ(vat_months(), vats_before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RebuildDatabaseFailures,
    ::testing::Values(FailureCase{"a busy database", 3,
                                  [](RebuildTest& fixture) {
                                      fixture.locker_ = std::make_unique<ado::Connection>(fixture.cs());
                                      fixture.locker_->Open();
                                      fixture.locker_->BeginTrans();
                                  },
                                  "database is locked", ";Busy Timeout=50"},
                      FailureCase{"a December total beyond what the engine holds exactly", 3,
                                  [](RebuildTest& fixture) {
                                      const Entry& e =
                                          fixture.books_.entry(7, "202400000098", "20241215", "A1", 10);
                                      fixture.books_.account(e, 1, "9999", "60000000000.0001", "0");
                                      fixture.books_.account(e, 1, "9999", "60000000000.0001", "0");
                                      fixture.books_.write(fixture.conn_);
                                  },
                                  "Arithmetic overflow"},
                      FailureCase{"a VAT table that cannot be read", 4,
                                  [](RebuildTest& fixture) { fixture.exec("DROP TABLE CG43_MOVIVA"); },
                                  "no such table: CG43_MOVIVA"}),
    scripted::ByName());

}  // namespace refhost_test
