#pragma once
// The import log: the temporary table #VPOOLLOG on a connection of its own (so its rows
// survive the rollback of a journal entry or of a creation on the module connection), the
// running number of its rows, and the check that ends a step: any row in an error state
// shows the whole log and fails the step.
//
// The import window holds one ImportLog for its life. The five procedures keep their
// names; each traps its own errors through the module's error routine:
//
//     log.set_counter(0);                  // the verification starts numbering from 1
//     log.CreaTabellaLogTemporanea();
//     log.GeneraNuovaRigaLog("CG24_TABPDC", 0, importlog::kExisting, key, "");
//     log.ApreFormTabellaLog(failed);     // true when an error row was logged
#include <cstdint>
#include <memory>
#include <string>

#include "ado/recordset.h"
#include "ado/variant.h"

namespace ado {
class Connection;
}
namespace module {
class ModuleContext;
class ModuleWindow;
}  // namespace module

namespace importlog {

class ImportLog {
  public:
    static constexpr const char* kTable = "#VPOOLLOG";
    static constexpr std::size_t kKeyChars = 4000;      // CHIAVE NVARCHAR(4000)
    static constexpr std::size_t kMessageChars = 1000;  // ERRORE NVARCHAR(1000)

    // The log's connection comes from the host's connection factory and opens with the
    // module connection string, both reached through `context` when a log is opened.
    explicit ImportLog(module::ModuleContext& context);
    // Closes an open log without asking anyone (the table vanishes with its connection).
    ~ImportLog();
    ImportLog(const ImportLog&) = delete;
    ImportLog& operator=(const ImportLog&) = delete;

    // Opens a fresh, empty log, discarding any open one.
    void CreaTabellaLogTemporanea() noexcept;
    // Drops the table if it still exists and closes the log connection.
    void EliminaTabellaLogTemporanea() noexcept;
    // Appends a row numbered with the next counter value. Texts: null or blank as empty,
    // trailing blanks removed, CHIAVE cut to 4000 and ERRORE to 1000 characters; LIVELLO
    // and STATO: null or blank as 0. TABELLA is one of the writers' fixed table names.
    void GeneraNuovaRigaLog(const ado::Variant& tabella, const ado::Variant& livello,
                            const ado::Variant& stato, const ado::Variant& chiave,
                            const ado::Variant& errore) noexcept;
    // Reads the whole log into the log record set; `no_log` is set when no log is open.
    void ReuperaRecordSetLog(bool& no_log) noexcept;
    // Closes the log. `failed` ends true when the log held a row in an error state (the
    // log window FRMCG_LOG was shown first, modally), when no log was open, or when
    // closing failed; false when every row was fine. Every log read back is handed to the
    // module context's log hook first, errors or not.
    void ApreFormTabellaLog(bool& failed) noexcept;

    // The running number of the last row written (PROGR). Only the verification driver
    // resets it; the journal import's log goes on from the verification's last number.
    std::int32_t counter() const noexcept { return counter_; }
    void set_counter(std::int32_t value) noexcept { counter_ = value; }

    // The window that opens the log window and hears its errors (the import window).
    void set_caller(module::ModuleWindow* window) noexcept { caller_ = window; }

    bool is_open() const noexcept { return connection_ != nullptr; }
    // The log record set while a closed log is being shown (null otherwise).
    const ado::RecordsetPtr& recordset() const noexcept { return recordset_; }
    // The log connection while a log is open (null otherwise).
    const std::shared_ptr<ado::Connection>& connection() const noexcept { return connection_; }

  private:
    std::shared_ptr<ado::Connection> new_connection() const;
    void show(const std::string& text);

    module::ModuleContext& context_;
    module::ModuleWindow* caller_ = nullptr;
    std::shared_ptr<ado::Connection> connection_;
    ado::RecordsetPtr recordset_;
    std::int32_t counter_ = 0;
};

}  // namespace importlog
