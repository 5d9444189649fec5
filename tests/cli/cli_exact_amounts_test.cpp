// Amounts binary floating point cannot hold, imported end to end through the program: the
// file's text, the rows written and the progressive totals the rebuild computes agree to the
// last digit with sums made here in exact decimal arithmetic.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "ado/decimal.h"
#include "cli_process.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using cli_test::read_file;
using cli_test::run_ledgerintake;
using cli_test::write_file;

std::string year_now() {
    const std::time_t now = std::time(nullptr);
    return std::to_string(std::localtime(&now)->tm_year + 1900);
}

// Every element `name` of the text given `value`.
std::string with_all(const std::string& text, const std::string& name, const std::string& value) {
    return std::regex_replace(text, std::regex("<" + name + ">[^<]*</" + name + ">"),
                              "<" + name + ">" + value + "</" + name + ">");
}

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(ExactAmounts, RowsAndTotalsKeepEveryDigit) {
    scripted::TempDir dir;
    ASSERT_EQ(run_ledgerintake(dir.path(), {"demo", "--dir", "d", "--entries", "1"}).status, 0);
    const std::string year = year_now();
    const fs::path db = dir / "d" / "ledgerintake.db";
    const std::string alfa = read_file(dir / "d" / ("alfa-" + year + ".xml"));

    // The member's first entry as a template: every amount of an entry is its one amount.
    const auto section = alfa.find("<CG41_PRIMANOTA>");
    const auto first = alfa.find("<Row>", section);
    const auto last = alfa.find("</Row>", first) + 6;
    const std::string entry = alfa.substr(first, last - first);
    const int account_rows = occurrences(entry, "<CG42_MOVCONT>");
    const int vat_rows = occurrences(entry, "<CG43_MOVIVA>");
    ASSERT_GT(account_rows, 0);

    std::vector<std::string> amounts = {"0.1", "0.2", "1234567.0005"};
    amounts.insert(amounts.end(), 100, "0.01");
    std::string entries;
    ado::Decimal sum;
    for (std::size_t i = 0; i < amounts.size(); ++i) {
        std::string e = with_all(entry, "CG41_NUMREG", "X" + std::to_string(1000000 + i));
        e = with_all(e, "CG41_DATAREG", "15/03/" + year + " 00:00:00");
        e = with_all(e, "CG41_DATADOC", "15/03/" + year + " 00:00:00");
        e = with_all(e, "CG41_NUMDOC", std::to_string(5000 + i));
        for (const char* field :
             {"CG41_IMPTOTALE", "CG42_IMPDARE", "CG42_IMPAVERE", "CG43_IMPONIBILE", "CG43_IMPOSTA"})
            e = with_all(e, field, amounts[i]);
        entries += e;
        sum = sum + ado::Decimal::from_string(amounts[i]);
    }
    std::string file = alfa.substr(0, first) + entries + alfa.substr(alfa.find("</CG41_PRIMANOTA>"));
    write_file(dir / "exact.xml", file);

    const auto run = run_ledgerintake(dir.path(), {"import", "exact.xml", "--db", db.string()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;

    const auto sql = [&](const std::string& statement) {
        const auto r = run_ledgerintake(dir.path(), {"db", "sql", "--db", db.string(), statement});
        EXPECT_EQ(r.status, 0) << statement << r.err;
        return r.out;
    };
    const std::string march = " AND CG41_DATAREG >= '" + year + "0301' AND CG41_DATAREG < '" + year + "0401'";
    const auto times = [&](int n) { return (sum * ado::Decimal(n)).to_string_fixed(4); };
    // The rows, each as written in the file, and their sums.
    EXPECT_EQ(
        sql("SELECT CG42_IMPDARE FROM CG42_MOVCONT JOIN CG41_PRIMANOTA ON CG41_DITTA_CG18 = CG42_DITTA_CG18 "
            "AND CG41_NUMREG = CG42_NUMREG_CG41 WHERE CG42_NUMRIGACONT = 1 AND CG41_IMPTOTALE > 1000" +
            march),
        "CG42_IMPDARE\n1234567.0005\n");
    EXPECT_EQ(
        sql("SELECT SUM(CG42_IMPDARE) AS D, SUM(CG42_IMPAVERE) AS A FROM CG42_MOVCONT JOIN CG41_PRIMANOTA "
            "ON CG41_DITTA_CG18 = CG42_DITTA_CG18 AND CG41_NUMREG = CG42_NUMREG_CG41 WHERE 1 = 1" +
            march),
        "D,A\n" + times(account_rows) + "," + times(account_rows) + "\n");
    EXPECT_EQ(
        sql("SELECT SUM(CG43_IMPONIBILE) AS T FROM CG43_MOVIVA JOIN CG41_PRIMANOTA ON CG41_DITTA_CG18 = "
            "CG43_DITTA_CG18 AND CG41_NUMREG = CG43_NUMREG_CG41 WHERE 1 = 1" +
            march),
        "T\n" + times(vat_rows) + "\n");
    // The progressive totals of March, rebuilt from those rows.
    EXPECT_EQ(sql("SELECT SUM(DEBIT) AS D, SUM(CREDIT) AS C FROM HOST_PROG_CONTI WHERE YEAR = " + year +
                  " AND MONTH = 3"),
              "D,C\n" + times(account_rows) + "," + times(account_rows) + "\n");
    EXPECT_EQ(sql("SELECT SUM(TAXABLE) AS T, SUM(TAX) AS X FROM HOST_PROG_IVA WHERE YEAR = " + year +
                  " AND MONTH = 3"),
              "T,X\n" + times(vat_rows) + "," + times(vat_rows) + "\n");
}

}  // namespace
