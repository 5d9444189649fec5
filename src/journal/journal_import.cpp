#include "journal/journal_import.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "ado/connection.h"
#include "ado/datetime.h"
#include "ado/error.h"
#include "importfile/progress.h"
#include "importfile/window_context.h"
#include "journal/bookkeeping.h"
#include "journal/entry_header.h"
#include "journal/entry_links.h"
#include "journal/entry_rows.h"
#include "journal/entry_support.h"
#include "journal/journal_entry.h"
#include "log/import_log.h"
#include "log/log_states.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"

namespace journal {

namespace {

constexpr const char* kTextNoNumber = "Impossibile recuperare un nuovo numero registrazione.";
constexpr const char* kTextNumberingFailed = "Errore in aggiornamento numerazione.";
constexpr std::int16_t kCausalWidth = 4;
// Progress steps besides one per entry: the header, the log and the links.
constexpr std::int64_t kExtraSteps = 3;

ado::SqlText causal_statement() {
    ado::SqlText sql;
    sql.line(" SELECT CG33_CODICE").line("     , CG33_CAUSALEIVA").line(" FROM CG33_TABCAU WITH (NOLOCK)");
    return sql.without_final_crlf();
}

// An element's text as the file has it, Empty when the element is missing.
ado::Variant file_value(const importfile::Node& element, std::string_view name) {
    std::optional<std::string> text = element.text(name);
    return text ? ado::Variant(std::move(*text)) : ado::Variant();
}

// One run of the import: its trap, its header identifier, the causal list read once, the
// links collected along the way.
//
// Each entry is the unit its trap works on. A trapped error inside an entry (a required
// element missing, a registration date that is no date, a value a column cannot take)
// unwinds the entry, so its transaction guard has rolled everything of it back before the
// error routine is asked; then:
// - retry takes the entry again from the start, in a new transaction (with a new number,
//   as a rolled-back entry never gives its number back);
// - ignore logs the entry as failed (state 50, the error's description) and goes on with
//   the next entry: nothing of the abandoned entry ever runs outside its transaction, and
//   the import header stays, as the next entries' details refer to it;
// - abort logs the entry the same way and leaves the import at once: the header is
//   deleted if no detail refers to it, the progress ends and the pointer is reset.
// Any trapped error sets the error flag, so the step fails whatever the log holds.
class ImportRun {
  public:
    ImportRun(importfile::ImportWindowContext& window, bool& error)
        : window_(window),
          error_(error),
          trap_(window.error_reporter(), JournalImport::kProcedure),
          bookkeeping_(window),
          links_(window),
          header_(window),
          rows_(window) {
        trap_.on_error([this] {
            error_ = true;
            if (in_entry_) abandoned_ = true;
        });
    }

    void run() {
        bool has_structure = false;
        if (!step([&] { has_structure = first_structure_row(); })) return;
        if (!has_structure) {
            error_ = true;
            return;
        }
        const std::int32_t steps = progress_steps();
        if (!step([&] {
                importfile::AggiornaProgressBar(window_, importfile::kProgressStart, steps);
                window_.controls().MousePointer = module::kPointerHourglass;
            }))
            return;
        if (!step([&] {
                header_id_ = bookkeeping_.GetIDTestataImportImpostazioni(ado::DateTime::now().iso());
                window_.import_state().import_header_id = header_id_;
            }))
            return;
        importfile::AggiornaProgressBar(window_, importfile::kProgressStep);
        if (!step([&] { window_.import_log().CreaTabellaLogTemporanea(); })) return;
        importfile::AggiornaProgressBar(window_, importfile::kProgressStep);

        long count = 0;
        if (!step([&] {
                document_ = &module::need(window_.import_state().document.get(), "the import file");
                count = document_->row_count(kEntrySection);
            }))
            return;
        if (count > 0) {
            if (!step([&] { causals_ = module_connection(window_).Execute(causal_statement()); })) return;
            for (long i = 1; i <= count; ++i)
                if (!take_entry(i)) return;
            importfile::AggiornaProgressBar(window_, importfile::kProgressStep);
            if (!step([&] {
                    if (!links_.empty()) links_.resolve();
                }))
                return;
        }
        finish();
    }

  private:
    // Runs one statement through the trap; false when the import has to leave.
    template <class F>
    bool step(F&& statement) {
        if (trap_.run(std::forward<F>(statement))) return true;
        leave();
        return false;
    }

    // What an abort leaves behind: no header without details, no progress, no hourglass.
    void leave() noexcept {
        bookkeeping_.EliminaIDTestataImportazioneSenzaDettagli(header_id_);
        importfile::AggiornaProgressBar(window_, importfile::kProgressEnd);
        window_.controls().MousePointer = module::kPointerDefault;
    }

    bool first_structure_row() {
        ado::Recordset* structure = window_.import_state().group_structure.get();
        if (structure == nullptr || structure->State() != ado::adStateOpen) return false;
        structure->SetFilter("");
        if (structure->BOF() && structure->EOF()) return false;
        structure->MoveFirst();
        return true;
    }

    // The entries the header declares (only the progress depends on it) and the other steps.
    std::int32_t progress_steps() const noexcept {
        std::int64_t entries = 0;
        module::suppress([&] {
            const importfile::ImportDocument* document = window_.import_state().document.get();
            if (document == nullptr) return;
            const std::optional<std::string> text = document->settings().text("IE40_CG41_PRIMANOTA");
            if (text) entries = ado::Variant(*text).to_long();
        });
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(entries + kExtraSteps,
                                                                  std::numeric_limits<std::int32_t>::min(),
                                                                  std::numeric_limits<std::int32_t>::max()));
    }

    // One entry under the trap; false when the import has to leave.
    bool take_entry(long i) {
        if (!document_->row(kEntrySection, i).present()) return true;
        const bool go_on = trap_.run([&] {
            in_entry_ = true;
            abandoned_ = false;
            import_entry(i);
            in_entry_ = false;
        });
        in_entry_ = false;
        if (abandoned_) log(importlog::kWriteFailed, entry_.key, trap_.last_error().description);
        if (!go_on) {
            leave();
            return false;
        }
        importfile::AggiornaProgressBar(window_, importfile::kProgressStep);
        return true;
    }

    void import_entry(long i) {
        entry_ = JournalEntry{};
        JournalEntry& e = entry_;
        e.index = i;
        e.element = document_->row(kEntrySection, i);
        const std::string where = "the journal entry " + std::to_string(i) + " of the import file";
        module::suppress([&] { e.key = EntryHeader::entry_key(e.element); });
        e.source_number = required_text(e.element, "CG41_NUMREG", where);
        if (const std::optional<std::string> number = taken_over(e.source_number)) {
            log(importlog::kExisting, e.key, "");
            resolve_again(e, *number);
            return;
        }
        const ado::Variant date = registration_date(e.element, where);
        e.new_number = bookkeeping_.GetNumeroRegistrazione(date).text_or_empty();
        e.key += " - Num. reg.: " + e.new_number;
        if (e.new_number.empty()) {
            e.fail(kTextNoNumber);
            log(e.state, e.key, e.error_text);
            return;
        }
        ado::TransactionGuard transaction(module_connection(window_));
        write_entry(e);
        close_entry(e, transaction);
    }

    // The detail lookup: a row means an earlier import took the entry over; the entry's
    // number in the group company, empty when the detail has none.
    std::optional<std::string> taken_over(const std::string& source_number) {
        module::ScopedRecordset found(
            module_connection(window_).Execute(bookkeeping_.detail_lookup_statement(source_number)));
        if (found->State() != ado::adStateOpen || (found->BOF() && found->EOF())) return std::nullopt;
        return (*found)["IE43_NUMREG_CO99"].Value().text_or_empty();
    }

    // The references of an entry taken over before are resolved again with this import's:
    // the import that took it over may have been stopped (the program killed, the machine
    // down) between the entry's commit and its link pass, which is the only step that
    // writes them. Where they were written, the same numbers are written again.
    void resolve_again(const JournalEntry& e, const std::string& number) {
        const std::string parent = e.element.text_or_empty("CG41_RIFPADRE");
        const std::string child = e.element.text_or_empty("CG41_RIFFIGLIA");
        if (ado::trim(number).empty() || (ado::trim(parent).empty() && ado::trim(child).empty())) return;
        links_.collect(parent, child, ado::trim(number), e.source_number);
    }

    // CG41_DATAREG must be a real date written day first: it dates the new number, and the
    // header stores it through ConvertiDataOra, which must read the same date.
    static ado::Variant registration_date(const importfile::Node& element, const std::string& where) {
        const std::string text = required_text(element, "CG41_DATAREG", where);
        const std::optional<ado::DateTime> date = ado::DateTime::parse(text);
        if (!date || module::ConvertiDataOra(text) != date->iso())
            throw ado::Error(ado::kErrTypeMismatch, "The registration date '" + text + "' of " + where +
                                                        " is not a date written as day/month/year.");
        return ado::Variant(*date);
    }

    // Inside the entry's transaction: history detail, master document, header, numbering,
    // links, rows; the first failure leaves state 50.
    void write_entry(JournalEntry& e) {
        ado::Connection& connection = module_connection(window_);
        try {
            connection.Execute(
                bookkeeping_.detail_insert_statement(e.source_number, e.new_number, header_id_));
            e.succeed();
        } catch (...) {
            e.fail(module::current_error_info().description + " in inserimento dettaglio importazione. ");
        }
        if (!e.failed()) {
            try {
                connection.Execute(bookkeeping_.master_document_statement(e.new_number));
            } catch (...) {
                e.fail(module::current_error_info().description + " in inserimento numero registrazione.");
            }
        }
        if (e.failed()) {
            log(e.state, e.key, e.error_text);
            return;
        }
        header_.write(e);
        if (!e.failed() && e.element.text_or_empty("CG41_INDTIPOMOV") != "2") update_numbering(e);
        if (!e.failed() && (!ado::trim(e.parent).empty() || !ado::trim(e.child).empty()))
            links_.collect(e.parent, e.child, e.new_number, e.source_number);
        if (!e.failed()) rows_.write_account_rows(e);
        if (!e.failed()) rows_.write_vat_rows(e);
    }

    // The VAT numbering an entry of a VAT causal consumes, with the codes as the file has them.
    void update_numbering(JournalEntry& e) {
        ado::Recordset& causals = module::need(causals_.operator->(), "the causal list");
        const std::string code =
            module::StringaFissa(file_value(e.element, "CG41_CODICE_CG33"), kCausalWidth);
        causals.SetFilter("CG33_CODICE = '" + module::RaddoppiaApici(code) + "' ");
        if (causals.BOF() || causals.EOF()) return;
        const ado::Variant vat_causal = causals["CG33_CAUSALEIVA"].Value();
        if (module::TrimStringa(vat_causal).empty()) return;
        const ado::Variant kind = Bookkeeping::GetTipoNumerazione(vat_causal);
        if (kind.is_null() || kind.is_empty()) return;
        if (!bookkeeping_.AggiornaNumerazione(file_value(e.element, "CG41_SEZIONALE"),
                                              file_value(e.element, "CG41_DATAREG"), kind,
                                              file_value(e.element, "CG41_NUMDOC")))
            e.fail(kTextNumberingFailed);
    }

    // Commits the entry, or rolls it back when it failed; then its level-0 log row.
    void close_entry(JournalEntry& e, ado::TransactionGuard& transaction) noexcept {
        module::suppress([&] {
            if (e.failed()) {
                transaction.Rollback();
                return;
            }
            try {
                transaction.Commit();
            } catch (...) {
                e.fail(module::current_error_info().description + " in inserimento movimento primanota.");
            }
        });
        log(e.state, e.key, e.error_text);
    }

    void log(std::int16_t state, const std::string& key, const std::string& message) noexcept {
        window_.import_log().GeneraNuovaRigaLog(kEntrySection, 0, state, key, message);
    }

    void finish() noexcept {
        bool log_failed = false;
        window_.import_log().ApreFormTabellaLog(log_failed);
        if (log_failed) error_ = true;
        bookkeeping_.EliminaIDTestataImportazioneSenzaDettagli(header_id_);
        module::ChiudiRecordset(window_.import_state().customer_supplier_map);
        causals_ = nullptr;
        links_.close();
        importfile::AggiornaProgressBar(window_, importfile::kProgressEnd);
        window_.controls().MousePointer = module::kPointerDefault;
    }

    importfile::ImportWindowContext& window_;
    bool& error_;
    module::ErrorTrap trap_;
    Bookkeeping bookkeeping_;
    EntryLinks links_;
    EntryHeader header_;
    EntryRows rows_;
    const importfile::ImportDocument* document_ = nullptr;
    module::ScopedRecordset causals_;
    std::int32_t header_id_ = 0;
    JournalEntry entry_;
    bool in_entry_ = false;
    bool abandoned_ = false;
};

}  // namespace

void JournalImport::ImportazioneMovimentiFileXML(bool& error) noexcept {
    try {
        ImportRun(window_, error).run();
    } catch (...) {
        error = true;
    }
}

}  // namespace journal
