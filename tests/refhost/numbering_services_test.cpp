#include "refhost/numbering_services.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <latch>
#include <set>
#include <thread>

#include "case_name.h"
#include "host/error.h"
#include "refhost/host_components.h"
#include "refhost_fixture.h"

namespace refhost_test {
namespace fs = std::filesystem;
using ado::Variant;

// A customer/supplier or registration-number request as the module makes it.
struct Take {
    std::int32_t kind;
    std::string section;
    std::int32_t year;
    std::int32_t company = 7;
};

class NumberingTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        exec("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG) VALUES (1, 'Rossi')");
    }
    std::string main_cs(const std::string& extra = "") const {
        return refhost::connection_string(db_path()) + extra;
    }
    fs::path store_path() const { return db_path().string() + ".numbers"; }

    static void prepare(refhost::NumberingRequest& request, const Take& t) {
        request.SetYear(t.year);
        request.SetCompany(t.company);
        request.SetSection(Variant(t.section));
        request.SetNumberingKind(t.kind);
        request.SetOperation(host::kTakeNewNumber);
    }
    // The number taken, or -1 with the failure in the trace.
    std::int32_t take(const Take& t, const std::string& cs = "") {
        refhost::NumberingRequest request(main_cs());
        request.SetConnectionString(cs);
        prepare(request, t);
        request.Run();
        if (request.ErrorCode().to_long() != 0) {
            ADD_FAILURE() << request.last_error();
            return -1;
        }
        return request.Number().to_long();
    }
    std::vector<Variant> reserve(const std::string& key, const std::string& cs = "") {
        refhost::ProgressiveNumberService service(main_cs());
        return service.Reserve(cs, "CG26_PROGANAG", {{"CG26_CODICE", Variant(key)}}, {"CG26_VALPROG"});
    }
    void add_customers(std::int32_t company, std::int32_t tipocf, std::initializer_list<int> codes) {
        for (int code : codes)
            exec(
                "INSERT INTO CG44_CLIFOR (CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16) "
                "VALUES (" +
                std::to_string(company) + ", " + std::to_string(tipocf) + ", " + std::to_string(code) +
                ", 1)");
    }
    // What the store holds, read on a connection of the test's own.
    std::int32_t stored_last(const std::string& table, const std::string& where) {
        ado::Connection store(refhost::connection_string(store_path()));
        store.Open();
        const auto rs = store.Execute("SELECT LAST_NUMBER FROM " + table + " WHERE " + where);
        return rs->EOF() ? -1 : rs->GetFields().Item(0).Value().to_long();
    }
};

TEST_F(NumberingTest, NumbersIncreaseAndNeverRepeatAcrossRequests) {
    refhost::NumberingRequest kept(main_cs());
    prepare(kept, {999, "00", 2024});
    for (int expected = 1; expected <= 3; ++expected) {
        EXPECT_EQ(kept.Run().to_long(), 0) << kept.last_error();
        EXPECT_EQ(kept.ErrorCode().to_long(), 0);
        EXPECT_EQ(kept.Number(), Variant(std::to_string(expected)));
        EXPECT_EQ(kept.Prefix(), Variant("2024"));
    }
    EXPECT_EQ(take({999, "00", 2024}), 4);  // a new request goes on from the store
    EXPECT_TRUE(fs::is_regular_file(store_path()));
    EXPECT_EQ(stored_last("HOST_NUMBERING", "KIND = 999 AND YEAR = 2024"), 4);
    // The main database holds no counter: it is never written.
    EXPECT_TRUE(conn_.Execute("SELECT OBJECT_ID('HOST_NUMBERING')")->GetFields().Item(0).Value().is_null());
}

// As docs/database.md tells: a counter set by hand in the store goes on from there.
TEST_F(NumberingTest, CounterSetInTheStoreGoesOnFromThere) {
    EXPECT_EQ(take({999, "00", 2024}), 1);
    ado::Connection store(refhost::connection_string(store_path()));
    store.Open();
    store.Execute(
        "INSERT INTO HOST_NUMBERING (COMPANY, KIND, SECTION, YEAR, LAST_NUMBER) VALUES (7, 999, '00', 2025, "
        "1500)");
    EXPECT_EQ(take({999, "00", 2025}), 1501);
    EXPECT_EQ(take({999, "00", 2024}), 2);
}

TEST_F(NumberingTest, TheHostCreatesBothServices) {
    refhost::Components components(std::make_shared<RecordingUi>(), main_cs());
    auto request = components.CreateNumberingRequest();
    ASSERT_TRUE(request);
    request->SetConnection(std::make_shared<ado::Connection>());  // closed: the host's database is used
    request->SetYear(2024);
    request->SetCompany(7);
    request->SetSection(Variant("00"));
    request->SetNumberingKind(999);
    request->SetOperation(host::kTakeNewNumber);
    request->Run();
    EXPECT_EQ(request->ErrorCode().to_long(), 0);
    EXPECT_EQ(request->Number().to_long(), 1);
    auto progressive = components.CreateProgressiveNumberService();
    ASSERT_TRUE(progressive);
    EXPECT_EQ(
        progressive->Reserve("", "CG26_PROGANAG", {{"CG26_CODICE", Variant("ANAGG")}}, {"CG26_VALPROG"}),
        std::vector<Variant>{Variant(1)});
}

struct SeedCase {
    const char* name;
    Take take;
    std::int32_t first;  // the first number handed out
};

class NumberingSeeds : public NumberingTest, public ::testing::WithParamInterface<SeedCase> {};

// Customers 5, 12 and supplier 40 of company 7; customer 99 of company 8.
TEST_P(NumberingSeeds, StartAfterTheBooksForCustomersAndSuppliersOnly) {
    add_customers(7, 0, {5, 12});
    add_customers(7, 1, {40});
    add_customers(8, 0, {99});
    const SeedCase& c = GetParam();
    EXPECT_EQ(take(c.take), c.first);
    EXPECT_EQ(take(c.take), c.first + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NumberingSeeds,
    ::testing::Values(SeedCase{"customers after the company's highest customer code", {901, "00", 2024}, 13},
                      SeedCase{"suppliers after the highest supplier code", {902, "00", 2024}, 41},
                      SeedCase{"another company's customers", {901, "00", 2024, 8}, 100},
                      SeedCase{"a company without suppliers starts at 1", {902, "00", 2024, 8}, 1},
                      SeedCase{"registration numbers start at 1", {999, "00", 2024}, 1},
                      SeedCase{"any other kind starts at 1", {1, "00", 2024}, 1}),
    scripted::ByName());

// Registration numbers of company 7 already in the books: in the master documents and the
// journal, of 2024 and 2025, one of another company, and texts in the 2024 range that are
// not the year and 8 digits.
class RegistrationNumbers : public NumberingTest {
  protected:
    void SetUp() override {
        NumberingTest::SetUp();
        for (const char* numreg : {"202400000040", "202400000041", "20240000009A", "202500000900"})
            exec(std::string("INSERT INTO CO99_MASTERDOC (CO99_DITTA_CG18, CO99_NUMREG) VALUES (7, '") +
                 numreg + "')");
        exec("INSERT INTO CO99_MASTERDOC (CO99_DITTA_CG18, CO99_NUMREG) VALUES (8, '202400000500')");
        for (const char* numreg : {"202400000039", "202400000045", "2024999999 9"})
            exec(std::string("INSERT INTO CG41_PRIMANOTA (CG41_DITTA_CG18, CG41_NUMREG, CG41_DATAREG, "
                             "CG41_SEZIONALE, CG41_CODICE_CG33) VALUES (7, '") +
                 numreg + "', '20240101', '01', 'FA')");
    }
    // Prefix and number, as the module makes the registration number.
    std::string registration(const Take& t) {
        refhost::NumberingRequest request(main_cs());
        prepare(request, t);
        if (request.Run().to_long() != 0) return "failed: " + request.last_error();
        const std::string number = "00000000" + request.Number().to_string();
        return request.Prefix().to_string() + number.substr(number.size() - 8);
    }
};

TEST_F(RegistrationNumbers, StartAfterTheHighestOfTheYearInTheBooks) {
    EXPECT_EQ(registration({999, "00", 2024}), "202400000046");
    EXPECT_EQ(registration({999, "00", 2024}), "202400000047");
    EXPECT_EQ(registration({999, "00", 2025}), "202500000901");
    EXPECT_EQ(registration({999, "00", 2026}), "202600000001");
    EXPECT_EQ(registration({999, "00", 2024, 8}), "202400000501");
    EXPECT_EQ(registration({999, "00", 999}), "099900000001");  // the prefix keeps four digits
}

// One sequence per company and year: a number taken for another section is still unique.
TEST_F(RegistrationNumbers, SectionsShareTheYearsSequence) {
    EXPECT_EQ(registration({999, "00", 2024}), "202400000046");
    EXPECT_EQ(registration({999, "07", 2024}), "202400000047");
    EXPECT_EQ(stored_last("HOST_NUMBERING", "KIND = 999 AND YEAR = 2024 AND SECTION = '00'"), 47);
}

// Past 8 digits the number would no longer fit after its prefix: nothing is handed out.
TEST_F(RegistrationNumbers, StopAtTheLastEightDigitNumber) {
    EXPECT_EQ(registration({999, "00", 2030}), "203000000001");
    ado::Connection store(refhost::connection_string(store_path()));
    store.Open();
    store.Execute("UPDATE HOST_NUMBERING SET LAST_NUMBER = 99999998 WHERE KIND = 999 AND YEAR = 2030");
    EXPECT_EQ(registration({999, "00", 2030}), "203099999999");
    EXPECT_NE(registration({999, "00", 2030}).find("handed out its last number (99999999)"),
              std::string::npos);
    EXPECT_EQ(stored_last("HOST_NUMBERING", "KIND = 999 AND YEAR = 2030"), 99999999);
}

struct CounterCase {
    const char* name;
    Take first, second;
    std::int32_t second_number;
};

class NumberingCounters : public NumberingTest, public ::testing::WithParamInterface<CounterCase> {};

TEST_P(NumberingCounters, PerCompanyKindSectionAndYear) {
    const CounterCase& c = GetParam();
    EXPECT_EQ(take(c.first), 1);
    EXPECT_EQ(take(c.second), c.second_number);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, NumberingCounters,
    ::testing::Values(CounterCase{"the same counter goes on", {5, "01", 2024}, {5, "01", 2024}, 2},
                      CounterCase{"another section", {5, "01", 2024}, {5, "02", 2024}, 1},
                      CounterCase{"another year", {5, "01", 2024}, {5, "01", 2025}, 1},
                      CounterCase{"another kind", {5, "01", 2024}, {6, "01", 2024}, 1},
                      CounterCase{"another company", {5, "01", 2024}, {5, "01", 2024, 8}, 1},
                      CounterCase{"sections compare without case and trailing blanks",
                                  {5, "ab", 2024},
                                  {5, "AB  ", 2024},
                                  2},
                      CounterCase{"customer codes run across years", {901, "00", 2024}, {901, "00", 2025}, 2},
                      CounterCase{"supplier codes run across years", {902, "00", 2023}, {902, "00", 2024}, 2},
                      CounterCase{"customers and suppliers apart", {901, "00", 2024}, {902, "00", 2024}, 1},
                      CounterCase{"registration numbers per year", {999, "00", 2024}, {999, "00", 2025}, 1}),
    scripted::ByName());

TEST_F(NumberingTest, ProgressiveStartsAfterItsRowAndLeavesTheRowAlone) {
    exec("INSERT INTO CG26_PROGANAG (CG26_CODICE, CG26_VALPROG) VALUES ('ANAGG', 500), ('OTHER', 900)");
    EXPECT_EQ(reserve("ANAGG"), std::vector<Variant>{Variant(501)});
    EXPECT_EQ(reserve("anagg "), std::vector<Variant>{Variant(502)});  // the same key, as the books compare
    EXPECT_EQ(reserve("NEW"), std::vector<Variant>{Variant(1)});       // no row
    EXPECT_EQ(reserve("OTHER"), std::vector<Variant>{Variant(901)});
    EXPECT_EQ(conn_.Execute("SELECT CG26_VALPROG FROM CG26_PROGANAG WHERE CG26_CODICE = 'ANAGG'")
                  ->GetFields()
                  .Item(0)
                  .Value()
                  .to_long(),
              500);
    EXPECT_EQ(stored_last("HOST_PROGRESSIVE",
                          "VALUE_COLUMN = 'CG26_VALPROG' AND KEY_VALUES = 'CG26_CODICE = \"ANAGG\"'"),
              502);
}

// Several keys, integer key values, and a counter per value column, taken together.
TEST_F(NumberingTest, ProgressiveOfSeveralKeysAndValueColumns) {
    add_customers(7, 0, {5, 12});
    add_customers(7, 1, {40});
    refhost::ProgressiveNumberService service(main_cs());
    const std::vector<std::pair<std::string, Variant>> keys = {{"CG44_DITTA_CG18", Variant(7)},
                                                               {"CG44_TIPOCF", Variant(std::int16_t{0})}};
    const std::vector<std::string> columns = {"CG44_CLIFOR", "CG44_CODICE_CG16"};
    EXPECT_EQ(service.Reserve("", "CG44_CLIFOR", keys, columns),
              (std::vector<Variant>{Variant(13), Variant(2)}));
    EXPECT_EQ(service.Reserve("", "CG44_CLIFOR", keys, columns),
              (std::vector<Variant>{Variant(14), Variant(3)}));
    EXPECT_EQ(stored_last(
                  "HOST_PROGRESSIVE",
                  "VALUE_COLUMN = 'CG44_CLIFOR' AND KEY_VALUES = 'CG44_DITTA_CG18 = 7 AND CG44_TIPOCF = 0'"),
              14);
}

// The module holds a write transaction on its connection while it asks: the take neither
// waits on it nor goes with it when it rolls back.
TEST_F(NumberingTest, TakenDuringTheModulesOpenTransactionAndKeptAfterItsRollback) {
    add_customers(7, 0, {10});
    const std::string module_cs = main_cs(";Busy Timeout=100");
    auto module = std::make_shared<ado::Connection>(module_cs);
    module->Open();
    module->BeginTrans();
    module->Execute(
        "INSERT INTO CG44_CLIFOR (CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR, CG44_CODICE_CG16) VALUES (7, 0, "
        "11, 1)");
    refhost::NumberingRequest request("");
    request.SetConnection(module);
    request.SetConnectionString(module_cs);
    prepare(request, {901, "00", 2024});
    ASSERT_EQ(request.Run().to_long(), 0) << request.last_error();
    EXPECT_EQ(request.Number().to_long(), 11);  // the uncommitted customer 11 is not seen
    prepare(request, {999, "00", 2024});
    ASSERT_EQ(request.Run().to_long(), 0) << request.last_error();
    EXPECT_EQ(request.Number().to_long(), 1);
    EXPECT_EQ(reserve("ANAGG", module_cs), std::vector<Variant>{Variant(1)});
    module->RollbackTrans();

    EXPECT_EQ(request.Run().to_long(), 0);
    EXPECT_EQ(request.Number().to_long(), 2);
    EXPECT_EQ(take({901, "00", 2024}), 12);
    EXPECT_EQ(reserve("ANAGG"), std::vector<Variant>{Variant(2)});
    request.SetConnection(nullptr);  // detached before release, as the module does
}

TEST_F(NumberingTest, StoreLockedBeyondTheBusyTimeoutTakesNothing) {
    EXPECT_EQ(take({999, "00", 2024}), 1);
    EXPECT_EQ(reserve("ANAGG"), std::vector<Variant>{Variant(1)});
    ado::Connection locker(refhost::connection_string(store_path()));
    locker.Open();
    locker.BeginTrans();
    refhost::NumberingRequest request("");
    request.SetConnectionString(main_cs(";Busy Timeout=50"));
    prepare(request, {999, "00", 2024});
    EXPECT_EQ(request.Run().to_long(), refhost::kNumberingFailed);
    EXPECT_NE(request.last_error().find("database is locked"), std::string::npos) << request.last_error();
    EXPECT_TRUE(request.Number().is_empty());
    EXPECT_THROW(reserve("ANAGG", main_cs(";Busy Timeout=50")), host::Error);
    locker.RollbackTrans();
    EXPECT_EQ(request.Run().to_long(), 0) << request.last_error();
    EXPECT_EQ(request.Number().to_long(), 2);
    EXPECT_EQ(reserve("ANAGG"), std::vector<Variant>{Variant(2)});
}

struct BadRequest {
    const char* name;
    std::function<void(refhost::NumberingRequest&)> change;
    std::int32_t code;
    const char* message;
};

class NumberingRefusals : public NumberingTest, public ::testing::WithParamInterface<BadRequest> {};

TEST_P(NumberingRefusals, GiveAnErrorCodeAndTakeNothing) {
    const BadRequest& c = GetParam();
    refhost::NumberingRequest request(main_cs());
    prepare(request, {999, "00", 2024});
    c.change(request);
    EXPECT_EQ(request.Run().to_long(), c.code);
    EXPECT_EQ(request.ErrorCode().to_long(), c.code);
    EXPECT_NE(request.last_error().find(c.message), std::string::npos) << request.last_error();
    EXPECT_TRUE(request.Number().is_empty());
    if (fs::exists(store_path())) {
        EXPECT_EQ(stored_last("HOST_NUMBERING", "1 = 1"), -1);
    }
    EXPECT_EQ(take({999, "00", 2024}), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, NumberingRefusals,
    ::testing::Values(
        BadRequest{"record a used number without a connection",
                   [](auto& r) { r.SetOperation(host::kRecordUsedNumber); }, refhost::kNumberingBadRequest,
                   "no open connection was handed in"},
        BadRequest{"no operation", [](auto& r) { r.SetOperation(0); }, refhost::kNumberingBadRequest,
                   "Operation 0 is neither"},
        BadRequest{"operation 4", [](auto& r) { r.SetOperation(4); }, refhost::kNumberingBadRequest,
                   "Operation 4 is neither"},
        BadRequest{"no section", [](auto& r) { r.SetSection(Variant(ado::Null)); },
                   refhost::kNumberingBadRequest, "names no section"},
        BadRequest{"a blank section", [](auto& r) { r.SetSection(Variant("  ")); },
                   refhost::kNumberingBadRequest, "names no section"},
        BadRequest{"a section with a quote", [](auto& r) { r.SetSection(Variant("0'")); },
                   refhost::kNumberingBadRequest, "holds a quote"},
        BadRequest{"a section too long", [](auto& r) { r.SetSection(Variant(std::string(21, '1'))); },
                   refhost::kNumberingBadRequest, "longer than 20"},
        BadRequest{"no year", [](auto& r) { r.SetYear(0); }, refhost::kNumberingBadRequest, "not a year"},
        BadRequest{"an in-memory database",
                   [](auto& r) { r.SetConnectionString("Provider=SQLite;Data Source=:memory:"); },
                   refhost::kNumberingFailed, "in memory"},
        BadRequest{"another provider",
                   [](auto& r) { r.SetConnectionString("Provider=SQLOLEDB;Data Source=server"); },
                   refhost::kNumberingFailed, "provider 'SQLOLEDB'"},
        BadRequest{"a database file that does not exist",
                   [](auto& r) {
                       r.SetConnectionString(
                           refhost::connection_string(fs::temp_directory_path() / "no-such.db"));
                   },
                   refhost::kNumberingFailed, "does not exist"}),
    scripted::ByName());

TEST_F(NumberingTest, NotRunYetIsAnErrorCode) {
    refhost::NumberingRequest request(main_cs());
    EXPECT_EQ(request.ErrorCode().to_long(), refhost::kNumberingBadRequest);
    EXPECT_TRUE(request.Number().is_empty());
}

TEST_F(NumberingTest, StoreThatCannotBeOpenedFailsBothServices) {
    fs::create_directory(store_path());  // a folder where the store file belongs
    refhost::NumberingRequest request(main_cs());
    prepare(request, {999, "00", 2024});
    EXPECT_EQ(request.Run().to_long(), refhost::kNumberingFailed);
    EXPECT_NE(request.last_error().find(store_path().string()), std::string::npos) << request.last_error();
    EXPECT_THROW(reserve("ANAGG"), host::Error);
    fs::remove(store_path());
    std::ofstream(store_path()) << "not a database, but somebody's text\n";
    EXPECT_EQ(request.Run().to_long(), refhost::kNumberingFailed);
    EXPECT_THROW(reserve("ANAGG"), host::Error);
}

const std::vector<std::pair<std::string, Variant>> kAnagg = {{"CG26_CODICE", Variant("ANAGG")}};

// The registry-code progressive, with one thing changed.
struct ReserveCase {
    const char* name;
    const char* message;
    std::string table = "CG26_PROGANAG";
    std::vector<std::pair<std::string, Variant>> keys = kAnagg;
    std::vector<std::string> value_columns = {"CG26_VALPROG"};
    std::string connection_string = {};  // empty: the test database
};

class ReserveRefusals : public NumberingTest, public ::testing::WithParamInterface<ReserveCase> {};

TEST_P(ReserveRefusals, ThrowAndReserveNothing) {
    const ReserveCase& c = GetParam();
    refhost::ProgressiveNumberService service(main_cs());
    try {
        service.Reserve(c.connection_string, c.table, c.keys, c.value_columns);
        ADD_FAILURE() << "nothing refused";
    } catch (const host::Error& e) {
        EXPECT_NE(e.description().find(c.message), std::string::npos) << e.description();
    }
    EXPECT_EQ(reserve("ANAGG"), std::vector<Variant>{Variant(1)});
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ReserveRefusals,
    ::testing::Values(
        ReserveCase{"a statement as table name", "is not a plain identifier",
                    "CG26_PROGANAG; DROP TABLE CG16_ANAGGEN"},
        ReserveCase{"a table name starting with a digit", "is not a plain identifier", "26_PROGANAG"},
        ReserveCase{"no table name", "is not a plain identifier", ""},
        ReserveCase{.name = "a value column with a blank",
                    .message = "is not a plain identifier",
                    .value_columns = {"CG26 VALPROG"}},
        ReserveCase{.name = "no value column", .message = "No value column", .value_columns = {}},
        ReserveCase{.name = "a key column with a parenthesis",
                    .message = "is not a plain identifier",
                    .keys = {{"CG26_CODICE)", Variant("ANAGG")}}},
        ReserveCase{.name = "a key value with a quote",
                    .message = "holds a quote",
                    .keys = {{"CG26_CODICE", Variant("AN' OR 1=1 --")}}},
        ReserveCase{.name = "a null key value",
                    .message = "neither a text nor an integer",
                    .keys = {{"CG26_CODICE", Variant(ado::Null)}}},
        ReserveCase{"a table the books lack", "no such table: CG26_NOPE", "CG26_NOPE"},
        ReserveCase{.name = "an in-memory database",
                    .message = "in memory",
                    .connection_string = "Provider=SQLite;Data Source=:memory:"},
        ReserveCase{.name = "another provider",
                    .message = "provider 'SQLOLEDB'",
                    .connection_string = "Provider=SQLOLEDB;Data Source=server"}),
    scripted::ByName());

// Two imports taking numbers at once, on two threads or in two processes: customer codes
// after customer 1000, or registry codes after the progressive's 500. Both start with a
// seed read from the books, so the two also meet at the counter's first use.
struct ConcurrencyCase {
    const char* name;
    bool processes;
    bool progressive;
};

class ConcurrentTakes : public NumberingTest, public ::testing::WithParamInterface<ConcurrencyCase> {
  protected:
    static constexpr int kEach = 200;

    // kEach numbers taken one by one; stops at the first failure, saying why.
    std::vector<std::int32_t> take_many(std::string& why, std::latch* start = nullptr) const {
        std::vector<std::int32_t> out;
        refhost::NumberingRequest request(main_cs());
        prepare(request, {901, "00", 2024});
        refhost::ProgressiveNumberService service(main_cs());
        if (start) start->arrive_and_wait();
        for (int i = 0; i < kEach; ++i) {
            if (GetParam().progressive) {
                try {
                    out.push_back(
                        service.Reserve("", "CG26_PROGANAG", kAnagg, {"CG26_VALPROG"}).at(0).to_long());
                } catch (const std::exception& e) {
                    why = e.what();
                    break;
                }
            } else if (request.Run().to_long() == 0) {
                out.push_back(request.Number().to_long());
            } else {
                why = request.last_error();
                break;
            }
        }
        return out;
    }
    std::vector<std::int32_t> in_child_process() const {
        const fs::path file = dir_ / "child.txt";
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::string why;
            std::ofstream out(file);
            for (auto n : take_many(why)) out << n << '\n';
            out.close();
            ::_exit(out && why.empty() ? 0 : 1);
        }
        std::string why;
        std::vector<std::int32_t> parent = take_many(why);
        EXPECT_EQ(why, "");
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::ifstream in(file);
        for (std::int32_t n = 0; in >> n;) parent.push_back(n);
        return parent;
    }
    std::vector<std::int32_t> in_two_threads() const {
        std::vector<std::int32_t> other;
        std::string other_why, why;
        std::latch start(2);
        std::thread thread([&] { other = take_many(other_why, &start); });
        std::vector<std::int32_t> mine = take_many(why, &start);
        thread.join();
        EXPECT_EQ(why, "");
        EXPECT_EQ(other_why, "");
        mine.insert(mine.end(), other.begin(), other.end());
        return mine;
    }
};

TEST_P(ConcurrentTakes, HandOutDistinctNumbers) {
    add_customers(7, 0, {1000});
    exec("INSERT INTO CG26_PROGANAG (CG26_CODICE, CG26_VALPROG) VALUES ('ANAGG', 500)");
    const std::int32_t last_before = GetParam().progressive ? 500 : 1000;
    conn_.Close();  // nothing of the database is open when the process forks
    const std::vector<std::int32_t> all = GetParam().processes ? in_child_process() : in_two_threads();
    const std::set<std::int32_t> distinct(all.begin(), all.end());
    EXPECT_EQ(all.size(), 2u * kEach);
    EXPECT_EQ(distinct.size(), 2u * kEach);
    if (!distinct.empty()) {
        EXPECT_EQ(*distinct.begin(), last_before + 1);
        EXPECT_EQ(*distinct.rbegin(), last_before + 2 * kEach);
    }
}

INSTANTIATE_TEST_SUITE_P(Imports, ConcurrentTakes,
                         ::testing::Values(ConcurrencyCase{"numbering on two threads", false, false},
                                           ConcurrencyCase{"numbering in two processes", true, false},
                                           ConcurrencyCase{"progressive on two threads", false, true},
                                           ConcurrencyCase{"progressive in two processes", true, true}),
                         scripted::ByName());

}  // namespace refhost_test
