#pragma once
// A small journal written into the test database, and the progressive totals it should
// give, summed here with ado::Decimal over the rows the test wrote (never by the engine).
// Totals are compared as canonical decimal text, so a difference in the last digit shows.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/decimal.h"
#include "ado/recordset.h"

namespace refhost_test {

// Key columns joined by "|" (texts without trailing blanks) -> amounts as canonical text.
using Totals = std::map<std::string, std::vector<std::string>>;

struct Entry {
    std::int32_t company;
    std::string numreg;
    std::string date;  // 'YYYYMMDD[ HH:MM:SS]'
    std::string section;
    std::int32_t protocol;
    int year() const { return std::stoi(date.substr(0, 4)); }
    int month() const { return std::stoi(date.substr(4, 2)); }
};

struct AccountRow {
    const Entry* entry;
    int group;
    std::string account;
    std::string debit, credit;
};

struct VatRow {
    const Entry* entry;
    std::string code;  // empty: NULL
    std::string taxable, tax;
};

class JournalBooks {
  public:
    const Entry& entry(std::int32_t company, std::string numreg, std::string date, std::string section,
                       std::int32_t protocol) {
        entries_.push_back(std::make_unique<Entry>(Entry{company, numreg, date, section, protocol}));
        return *entries_.back();
    }
    void account(const Entry& e, int group, std::string account, std::string debit, std::string credit) {
        accounts_.push_back({&e, group, std::move(account), std::move(debit), std::move(credit)});
    }
    void vat(const Entry& e, std::string code, std::string taxable, std::string tax) {
        vats_.push_back({&e, std::move(code), std::move(taxable), std::move(tax)});
    }

    // Writes every entry and row not written yet.
    void write(ado::Connection& conn) {
        for (; written_entries_ < entries_.size(); ++written_entries_) {
            const Entry& e = *entries_[written_entries_];
            conn.Execute(
                "INSERT INTO CG41_PRIMANOTA (CG41_DITTA_CG18, CG41_NUMREG, CG41_DATAREG, CG41_SEZIONALE, "
                "CG41_CODICE_CG33, CG41_NUMPROT) VALUES (" +
                std::to_string(e.company) + ", '" + e.numreg + "', '" + e.date + "', '" + e.section +
                "', 'FA', " + std::to_string(e.protocol) + ")");
        }
        for (; written_accounts_ < accounts_.size(); ++written_accounts_) {
            const AccountRow& r = accounts_[written_accounts_];
            conn.Execute(
                "INSERT INTO CG42_MOVCONT (CG42_DITTA_CG18, CG42_NUMREG_CG41, CG42_NUMRIGACONT, "
                "CG42_GRUPPO_CG10, "
                "CG42_CONTOPAR_CG24, CG42_CODICE_CG33, CG42_IMPDARE, CG42_IMPAVERE) VALUES (" +
                std::to_string(r.entry->company) + ", '" + r.entry->numreg + "', " +
                std::to_string(written_accounts_ + 1) + ", " + std::to_string(r.group) + ", '" + r.account +
                "', 'FA', " + r.debit + ", " + r.credit + ")");
        }
        for (; written_vats_ < vats_.size(); ++written_vats_) {
            const VatRow& r = vats_[written_vats_];
            conn.Execute(
                "INSERT INTO CG43_MOVIVA (CG43_DITTA_CG18, CG43_NUMREG_CG41, CG43_NUMRIGAIVA, "
                "CG43_GRUPPO_CG10, "
                "CG43_ALIQIVA1_CG28, CG43_IMPONIBILE, CG43_IMPOSTA) VALUES (" +
                std::to_string(r.entry->company) + ", '" + r.entry->numreg + "', " +
                std::to_string(written_vats_ + 1) + ", 1, " + (r.code.empty() ? "NULL" : "'" + r.code + "'") +
                ", " + r.taxable + ", " + r.tax + ")");
        }
    }

    // Account rows of `company` whose entry passes `take`, summed per key.
    Totals accounts(std::int32_t company, const std::function<bool(const Entry&)>& take,
                    const std::function<std::string(const AccountRow&)>& key) const {
        std::map<std::string, std::vector<ado::Decimal>> sums;
        for (const AccountRow& r : accounts_)
            if (r.entry->company == company && take(*r.entry))
                add(sums[key(r)], {ado::Decimal::from_string(r.debit), ado::Decimal::from_string(r.credit)});
        return as_text(sums);
    }
    // VAT rows likewise; `protocol` adds the highest protocol number of the rows' entries.
    Totals vats(std::int32_t company, const std::function<bool(const Entry&)>& take,
                const std::function<std::string(const VatRow&)>& key, bool protocol = false) const {
        std::map<std::string, std::vector<ado::Decimal>> sums;
        for (const VatRow& r : vats_) {
            if (r.entry->company != company || !take(*r.entry)) continue;
            auto& sum = sums[key(r)];
            add(sum, {ado::Decimal::from_string(r.taxable), ado::Decimal::from_string(r.tax)});
            if (protocol) {
                if (sum.size() < 3) sum.push_back(ado::Decimal(r.entry->protocol));
                if (ado::Decimal(r.entry->protocol) > sum[2]) sum[2] = ado::Decimal(r.entry->protocol);
            }
        }
        return as_text(sums);
    }

    // The rows a query gives: its first `keys` columns make the key, the rest the amounts.
    static Totals read(ado::Connection& conn, const std::string& sql, int keys) {
        Totals out;
        const auto rs = conn.Execute(sql);
        for (; !rs->EOF(); rs->MoveNext()) {
            auto fields = rs->GetFields();
            std::string key;
            for (int i = 0; i < keys; ++i)
                key += (i ? "|" : "") + ado::rtrim(fields.Item(i).Value().text_or_empty());
            std::vector<std::string> amounts;
            for (int i = keys; i < fields.Count(); ++i)
                amounts.push_back(fields.Item(i).Value().to_decimal().to_string());
            out[key] = amounts;
        }
        return out;
    }

  private:
    static void add(std::vector<ado::Decimal>& sum, const std::vector<ado::Decimal>& values) {
        if (sum.size() < values.size()) sum.resize(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) sum[i] = sum[i] + values[i];
    }
    static Totals as_text(const std::map<std::string, std::vector<ado::Decimal>>& sums) {
        Totals out;
        for (const auto& [key, values] : sums)
            for (const auto& v : values) out[key].push_back(v.to_string());
        return out;
    }

    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<AccountRow> accounts_;
    std::vector<VatRow> vats_;
    std::size_t written_entries_ = 0, written_accounts_ = 0, written_vats_ = 0;
};

}  // namespace refhost_test
