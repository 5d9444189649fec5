// The registry match statement as text: every line as the check sends it, the values in
// their places, quotes doubled in the name, address and city only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ado/sqltext.h"
#include "verify/customer_check.h"

namespace {

using verify::CustomerSupplierCheck;
using verify::RegistryMatchValues;

// Lines 18 to 24, repeated in each branch.
const std::vector<std::string> kJoin = {
    "     , CG44_CLIFOR",
    "     , CG16_CODICE",
    " FROM CG16_ANAGGEN WITH (NOLOCK)",
    " LEFT OUTER JOIN CG44_CLIFOR WITH (NOLOCK)",
    "     ON CG44_DITTA_CG18 = @DITTA",
    "         AND CG44_TIPOCF = @TIPOCF",
    "             AND CG44_CODICE_CG16 = CG16_CODICE",
};

std::vector<std::string> golden(const std::string& pi, const std::string& cf, const std::string& rs,
                                const std::string& ind, const std::string& cit, const std::string& ditta,
                                const std::string& tipocf) {
    std::vector<std::string> lines = {
        " DECLARE @PI AS VARCHAR(20)",   " DECLARE @CF AS VARCHAR(20)",
        " DECLARE @RS AS NVARCHAR(60)",  " DECLARE @IND AS NVARCHAR(40)",
        " DECLARE @CIT AS NVARCHAR(40)", " DECLARE @DITTA AS VARCHAR(5)",
        " DECLARE @TIPOCF AS CHAR(1)",   "",
        " SET @PI = '" + pi + "'",       " SET @CF = '" + cf + "'",
        " SET @RS = '" + rs + "'",       " SET @IND = '" + ind + "'",
        " SET @CIT = '" + cit + "'",     " SET @DITTA = " + ditta,
        " SET @TIPOCF = " + tipocf,      "",
        " SELECT 1 AS ORDINE",
    };
    lines.insert(lines.end(), kJoin.begin(), kJoin.end());
    for (const char* line : {
             " WHERE ISNULL(@PI, '') <> ''",
             "     AND COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = ISNULL(@PI, '')",
             "     AND ISNULL(CG16_CODFISCALE, '') = ISNULL(@CF, '')",
             "",
             " UNION",
             "",
             " SELECT 2 AS ORDINE",
         })
        lines.emplace_back(line);
    lines.insert(lines.end(), kJoin.begin(), kJoin.end());
    for (const char* line : {
             " WHERE (COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = '' OR ISNULL(@PI, '') = '')",
             "     AND ISNULL(@CF, '') <> ''",
             "     AND ISNULL(CG16_CODFISCALE, '') = ISNULL(@CF, '')",
             "",
             " UNION",
             "",
             " SELECT 3 AS ORDINE",
         })
        lines.emplace_back(line);
    lines.insert(lines.end(), kJoin.begin(), kJoin.end());
    for (const char* line : {
             " WHERE (COALESCE(CG16_PARTIVA_EST, CG16_PARTIVA, '') = '' OR ISNULL(@PI, '') = '')",
             "     AND (ISNULL(CG16_CODFISCALE, '') = '' OR ISNULL(@CF, '') = '')  ",
             "     AND ISNULL(@RS, '') <> ''",
             "     AND ISNULL(CG16_RAGSOANAG, '') = ISNULL(@RS, '')",
             "     AND (ISNULL(CG16_INDIRIZZO, '') = ISNULL(@IND, '') OR ISNULL(CG16_INDIRIZZO, '') = '' OR "
             "ISNULL(@IND, '') = '')",
             "     AND (ISNULL(CG16_CITTA, '') = ISNULL(@CIT, '') OR ISNULL(CG16_CITTA, '') = '' OR "
             "ISNULL(@CIT, '') = '')",
             "",
         })
        lines.emplace_back(line);
    return lines;
}

TEST(RegistryMatchStatement, EveryLineAsSent) {
    RegistryMatchValues values;
    values.vat_number = "01234567890";
    values.tax_code = "RSSMRA80A01H501U";
    values.name = "Rossi S.p.A.";
    values.address = "Via Verdi 3";
    values.city = "Milano";
    values.company = 12;
    values.type = 1;
    const ado::SqlText sql = CustomerSupplierCheck::registry_match_statement(values);
    const std::vector<std::string> expected =
        golden("01234567890", "RSSMRA80A01H501U", "Rossi S.p.A.", "Via Verdi 3", "Milano", "12", "1");
    ASSERT_EQ(sql.lines().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(sql.lines()[i], expected[i]) << "line " << i + 1;
    // Each line, the last empty one too, ends with CR LF.
    EXPECT_EQ(sql.text().substr(sql.text().size() - 4), "\r\n\r\n");
    EXPECT_EQ(sql.unsafe_value(), nullptr);
}

// Quotes are doubled in the name, address and city; the VAT number and the tax code go in
// as read, so that a quote there refuses the statement instead of changing it.
TEST(RegistryMatchStatement, QuotesDoubledOnlyInNameAddressAndCity) {
    RegistryMatchValues values;
    values.vat_number = "IT'1";
    values.tax_code = "";
    values.name = "L'Aquila d'Oro";
    values.address = "Via dell'Orto";
    values.city = "Sant'Elia";
    values.type = -1;
    const ado::SqlText sql = CustomerSupplierCheck::registry_match_statement(values);
    EXPECT_EQ(sql.lines(), golden("IT'1", "", "L''Aquila d''Oro", "Via dell''Orto", "Sant''Elia", "0", "-1"));
    ASSERT_NE(sql.unsafe_value(), nullptr);
    EXPECT_EQ(*sql.unsafe_value(), "IT'1");
}

}  // namespace
