#pragma once
// The import window over a database with a standard proposal code for each of the host's
// thirteen proposal settings: ParametroPropostaNN holds code 1NN, described "Proposta NN",
// whose account in chart-of-accounts group 1 (the company's) is "60NN00" and in group 2
// "70NN00".
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ado/recordset.h"
#include "import_window_fixture.h"
#include "proposal/account_proposal.h"

namespace proposal_test {

// One row of the account-proposal table as read back.
struct TableRow {
    long vat_causal = -1;
    long operation_type = -1;
    ado::Variant code;
    std::string description;
    std::string account;
};

class ProposalFixture : public module_test::ImportWindowFixture {
  protected:
    ProposalFixture() {
        host.global->accounting = accounting;
        for (int n = 1; n <= 13; ++n) {
            accounting->proposal[n - 1] = code_of(n);
            exec("INSERT INTO CG37_CONTIPRSSTD (CG37_CODICE, CG37_DESCR) VALUES (" +
                 std::to_string(code_of(n)) + ", '" + description_of(n) + "')");
            exec("INSERT INTO CG36_PRSPDC (CG36_GRUPPO_CG10, CG36_CODICE, CG36_CONTO_CG24) VALUES (1, " +
                 std::to_string(code_of(n)) + ", '" + account_of(n) + "')");
            exec("INSERT INTO CG36_PRSPDC (CG36_GRUPPO_CG10, CG36_CODICE, CG36_CONTO_CG24) VALUES (2, " +
                 std::to_string(code_of(n)) + ", '7" + account_of(n).substr(1) + "')");
        }
    }

    static int code_of(int setting) { return 100 + setting; }
    static std::string two_digits(int setting) { return (setting < 10 ? "0" : "") + std::to_string(setting); }
    static std::string description_of(int setting) { return "Proposta " + two_digits(setting); }
    // The account of group 1, as the table holds it (10 characters).
    static std::string account_of(int setting) { return "60" + two_digits(setting) + "00"; }
    static std::string padded(const std::string& account) {
        return account + std::string(10 - account.size(), ' ');
    }

    // Builds the table again on the open window.
    static void rebuild(module::ImportWindow& window) {
        proposal::AccountProposal(window).CreaRecordSetPropostaConti();
    }

    // The table's rows in order, read through a clone.
    static std::vector<TableRow> rows_of(module::ImportWindow& window) {
        std::vector<TableRow> rows;
        const ado::RecordsetPtr& table = window.import_state().account_proposal;
        if (!table || table->State() != ado::adStateOpen) return rows;
        const ado::RecordsetPtr clone = table->Clone();
        if (clone->RecordCount() == 0) return rows;
        for (clone->MoveFirst(); !clone->EOF(); clone->MoveNext()) {
            ado::Fields f = clone->GetFields();
            rows.push_back({f["CAUSALEIVA"].Value().to_long(), f["CG42_INDTIPOOPER"].Value().to_long(),
                            f["CG37_CODICE"].Value(), f["CG37_DESCR"].Value().text_or_empty(),
                            f["CG36_CONTO_CG24"].Value().text_or_empty()});
        }
        return rows;
    }

    std::shared_ptr<scripted::AccountingParameters> accounting =
        std::make_shared<scripted::AccountingParameters>(host.calls);
};

}  // namespace proposal_test
