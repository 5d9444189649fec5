// The comparison of two databases' books: what a run is allowed to do differently (a gap
// in the numbers, its own moments, a header per run) compares equal, anything else in the
// books does not.
#include "books_snapshot.h"

#include <gtest/gtest.h>

#include <vector>

#include "ado/connection.h"
#include "case_name.h"
#include "refhost/database.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using reliability::Books;
using reliability::differences;
using reliability::read_books;

constexpr const char* kToday = "20261206";

std::string master_document(const std::string& number, const std::string& user, const std::string& moment) {
    return "INSERT INTO CO99_MASTERDOC (CO99_DITTA_CG18, CO99_NUMREG, CO99_UTENTECRE, CO99_DATACRE) VALUES "
           "(1, '" +
           number + "', '" + user + "', '" + moment + "')";
}

std::string header(const std::string& file, const std::string& moment) {
    return "INSERT INTO IE42_IMPCOGE (IE42_DITTA_CG18, IE42_DATAORA, IE42_NOMEFILE, IE42_INDPROVIMP, "
           "IE42_AZIENDARIF) VALUES (1, '" +
           moment + "', '" + file + "', 1, 900001)";
}

std::string detail(int header_id, const std::string& member_number, const std::string& number) {
    return "INSERT INTO IE43_DETTIMPCOGE (IE43_DITTA_CG18, IE43_AZIENDARIF, IE43_NUMREG_AZIENDARIF, "
           "IE43_NUMREG_CO99, IE43_ID_IE42) VALUES (1, 900001, '" +
           member_number + "', '" + number + "', " + std::to_string(header_id) + ")";
}

std::string total(const std::string& debit) {
    return "INSERT INTO HOST_PROG_CONTI (COMPANY_CODE, ACCOUNT_GROUP, ACCOUNT, YEAR, MONTH, DEBIT, CREDIT) "
           "VALUES (1, 1, '0401010', 2026, 3, " +
           debit + ", 0)";
}

Books books_of(const scripted::TempDir& dir, const std::string& name,
               const std::vector<std::string>& statements) {
    const fs::path db = dir / name;
    refhost::init_database(db);
    {
        ado::Connection connection;
        connection.Open(refhost::connection_string(db));
        for (const auto& sql : statements) connection.Execute(sql);
        connection.Close();
    }
    return read_books(db, kToday);
}

struct Case {
    const char* name;
    std::vector<std::string> reference, other;
    bool equal;
};

class BooksComparison : public ::testing::TestWithParam<Case> {};

TEST_P(BooksComparison, TellsWhatAnotherRunMayChangeFromWhatItMayNot) {
    scripted::TempDir dir;
    const Books reference = books_of(dir, "reference.db", GetParam().reference);
    const Books other = books_of(dir, "other.db", GetParam().other);
    const auto found = differences(reference, other);
    EXPECT_EQ(found.empty(), GetParam().equal) << (found.empty() ? "" : found.front());
}

const std::string kAt10 = "20261206 10:00:00", kAt11 = "20261206 11:00:00";

INSTANTIATE_TEST_SUITE_P(
    Cases, BooksComparison,
    ::testing::Values(
        Case{"the same rows",
             {master_document("202600000001", "a", kAt10)},
             {master_document("202600000001", "a", kAt10)},
             true},
        Case{"a number left out by a killed run",
             {master_document("202600000001", "a", kAt10), master_document("202600000002", "b", kAt10),
              header("alfa.xml", kAt10), detail(1, "A1", "202600000001"), detail(1, "A2", "202600000002")},
             {master_document("202600000001", "a", kAt10), master_document("202600000003", "b", kAt10),
              header("alfa.xml", kAt10), detail(1, "A1", "202600000001"), detail(1, "A2", "202600000003")},
             true},
        Case{"numbers given in another order",
             {master_document("202600000001", "a", kAt10), master_document("202600000002", "b", kAt10)},
             {master_document("202600000001", "b", kAt10), master_document("202600000002", "a", kAt10)},
             false},
        Case{"a history detail pointing at another entry",
             {master_document("202600000001", "a", kAt10), master_document("202600000002", "b", kAt10),
              header("alfa.xml", kAt10), detail(1, "A1", "202600000001")},
             {master_document("202600000001", "a", kAt10), master_document("202600000002", "b", kAt10),
              header("alfa.xml", kAt10), detail(1, "A1", "202600000002")},
             false},
        Case{"a master document missing",
             {master_document("202600000001", "a", kAt10), master_document("202600000002", "b", kAt10)},
             {master_document("202600000001", "a", kAt10)},
             false},
        Case{"moments stamped today",
             {master_document("202600000001", "a", kAt10)},
             {master_document("202600000001", "a", kAt11)},
             true},
        Case{"moments of another day",
             {master_document("202600000001", "a", "20200101 10:00:00")},
             {master_document("202600000001", "a", "20200101 11:00:00")},
             false},
        Case{"a total changed", {total("10.5")}, {total("10.51")}, false},
        Case{"a header per run",
             {header("alfa.xml", kAt10), detail(1, "A1", "202600000001")},
             {header("alfa.xml", kAt10), header("alfa.xml", kAt11), detail(1, "A1", "202600000001")},
             true},
        Case{"a header of another file", {header("alfa.xml", kAt10)}, {header("beta.xml", kAt10)}, false}),
    scripted::ByName());

TEST(BooksComparison, CountsTheHeadersAndThoseWithoutEntries) {
    scripted::TempDir dir;
    const Books books =
        books_of(dir, "books.db",
                 {header("alfa.xml", kAt10), header("alfa.xml", kAt11), detail(2, "A1", "202600000001")});
    EXPECT_EQ(books.headers, 2u);
    EXPECT_EQ(books.empty_headers, 1u);
}

TEST(BooksComparison, ADifferenceNamesItsTableAndARow) {
    scripted::TempDir dir;
    const auto found = differences(books_of(dir, "a.db", {total("1")}), books_of(dir, "b.db", {total("2")}));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found.front().find("HOST_PROG_CONTI"), std::string::npos) << found.front();
    EXPECT_NE(found.front().find("DEBIT=1"), std::string::npos) << found.front();
}

}  // namespace
