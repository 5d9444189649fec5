#include "log/import_log.h"

#include <limits>
#include <utility>

#include "ado/connection.h"
#include "ado/decimal.h"
#include "ado/error.h"
#include "ado/sqltext.h"
#include "host/objects.h"
#include "log/log_states.h"
#include "log/log_window.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"

namespace importlog {

namespace {

// Texts of a row: null or blank as "", trailing blanks removed, cut to the column's width
// in characters; the cut comes before the doubling so the stored text fits the column.
std::string quoted_text(const ado::Variant& value, std::size_t width) {
    return module::RaddoppiaApici(ado::utf8_left(module::TrimStringa(value), width));
}

// LIVELLO and STATO: null or blank as 0, written as a decimal number. A value that is not
// a number writes nothing, and the server refuses the statement (trapped by the caller).
void add_decimal(ado::SqlText& sql, const ado::Variant& value) {
    const ado::Variant number = module::ValoreDecimale(value);
    if (!number.is_empty()) sql.number(number.to_decimal());
}

ado::SqlText create_statement() {
    ado::SqlText sql;
    sql.line(" CREATE TABLE #VPOOLLOG")
        .line("      (PROGR   DECIMAL(10, 0) NULL")
        .line("     , TABELLA NVARCHAR(50)   COLLATE DATABASE_DEFAULT NULL")
        .line("     , LIVELLO DECIMAL(2, 0)  NULL")
        .line("     , STATO   DECIMAL(2, 0)  NULL")
        .line("     , CHIAVE  NVARCHAR(4000) COLLATE DATABASE_DEFAULT NULL")
        .line("     , ERRORE  NVARCHAR(1000) COLLATE DATABASE_DEFAULT NULL")
        .line("     )");
    return sql;
}

ado::SqlText insert_statement(std::int32_t progr, const ado::Variant& tabella, const ado::Variant& livello,
                              const ado::Variant& stato, const ado::Variant& chiave,
                              const ado::Variant& errore) {
    ado::SqlText sql;
    sql.line(" INSERT INTO #VPOOLLOG (")
        .line("     PROGR")
        .line("     , TABELLA")
        .line("     , LIVELLO")
        .line("     , STATO")
        .line("     , CHIAVE")
        .line("     , ERRORE")
        .line("     )")
        .line(" VALUES (")
        .line("     ")
        .number(progr);
    // TABELLA is one of the writers' fixed names and goes in as it is: a quote in it is
    // refused before the statement reaches the server.
    sql.line("     , '").value(module::TrimStringa(tabella)).add("'");
    sql.line("     , ");
    add_decimal(sql, livello);
    sql.line("     , ");
    add_decimal(sql, stato);
    // Quote-doubled texts stay inside their literal whatever they hold.
    sql.line("     , '").add(quoted_text(chiave, ImportLog::kKeyChars)).add("'");
    sql.line("     , '").add(quoted_text(errore, ImportLog::kMessageChars)).add("'");
    sql.line("     )");
    return sql;
}

}  // namespace

ImportLog::ImportLog(module::ModuleContext& context) : context_(context) {}

ImportLog::~ImportLog() {
    module::ChiudiRecordset(recordset_);
    if (connection_) module::suppress([&] { connection_->Close(); });
}

std::shared_ptr<ado::Connection> ImportLog::new_connection() const {
    const auto factory = module::created(
        module::host_classes(context_.module_object()).CreateConnectionFactory(), "the connection factory");
    return module::created(factory->NewConnection(), "a connection");
}

void ImportLog::CreaTabellaLogTemporanea() noexcept {
    EliminaTabellaLogTemporanea();
    module::ErrorTrap trap(context_, "CreaTabellaLogTemporanea");
    if (!trap.run([&] { connection_ = new_connection(); })) return;
    if (!trap.run([&] { connection_->SetConnectionString(context_.state().connection_string); })) return;
    if (!trap.run([&] { connection_->Open(); })) return;
    trap.run([&] { module::need(connection_, "log connection").Execute(create_statement()); });
}

void ImportLog::EliminaTabellaLogTemporanea() noexcept {
    if (!connection_) return;
    module::ErrorTrap trap(context_, "EliminaTabellaLogTemporanea");
    ado::Variant table_id;
    if (!trap.run([&] {
            ado::SqlText sql;
            sql.line(" SELECT OBJECT_ID(N'tempdb..#VPOOLLOG', N'U')").without_final_crlf();
            ado::RecordsetPtr result = connection_->Execute(sql);
            table_id = result->GetFields().Item(0).Value();
            module::ChiudiRecordset(result);
        }))
        return;
    if (!module::TrimStringa(table_id).empty()) {
        if (!trap.run([&] { connection_->Execute(ado::SqlText().line(" DROP TABLE #VPOOLLOG")); })) return;
    }
    if (!trap.run([&] { connection_->Close(); })) return;
    connection_.reset();
}

void ImportLog::GeneraNuovaRigaLog(const ado::Variant& tabella, const ado::Variant& livello,
                                   const ado::Variant& stato, const ado::Variant& chiave,
                                   const ado::Variant& errore) noexcept {
    module::ErrorTrap trap(context_, "GeneraNuovaRigaLog");
    if (!trap.run([&] {
            if (counter_ == std::numeric_limits<std::int32_t>::max())
                throw ado::Error(ado::kErrOverflow, "Overflow");
            ++counter_;
        }))
        return;
    trap.run([&] {
        const ado::SqlText sql = insert_statement(counter_, tabella, livello, stato, chiave, errore);
        module::need(connection_, "log connection").Execute(sql);
    });
}

void ImportLog::ReuperaRecordSetLog(bool& no_log) noexcept {
    no_log = false;
    if (!connection_) {
        no_log = true;
        return;
    }
    module::ErrorTrap trap(context_, "ReuperaRecordSetLog");
    ado::RecordsetPtr result;
    if (!trap.run([&] {
            ado::SqlText sql;
            sql.line(" SELECT *").line(" FROM #VPOOLLOG WITH (NOLOCK)").line(" ORDER BY PROGR, LIVELLO");
            result = connection_->Execute(sql);
        }))
        return;
    trap.run([&] {
        // Handed over, the result is emptied as it is copied (a large log is not held twice),
        // closed and released when the copy is done: nothing is left here to close.
        module::CopiaRecordset(std::move(result), recordset_);
    });
}

void ImportLog::ApreFormTabellaLog(bool& failed) noexcept {
    ReuperaRecordSetLog(failed);
    if (failed) return;
    module::ErrorTrap trap(context_, "ApreFormTabellaLog");
    trap.on_error_set(failed, true);
    ado::RecordsetPtr error_rows;
    bool any_error = false;
    module::suppress([&] {
        if (const auto& hook = context_.log_hook()) hook(recordset_);
    });
    if (!trap.run([&] {
            error_rows = module::need(recordset_, "log record set").Clone();
            error_rows->SetFilter(error_state_filter());
            any_error = error_rows->RecordCount() > 0;
        }))
        return;
    if (!any_error) {
        failed = false;
        EliminaTabellaLogTemporanea();
        module::ChiudiRecordset(recordset_);
        module::ChiudiRecordset(error_rows);
        return;
    }
    failed = true;
    std::string text;
    if (!trap.run([&] {
            if (recordset_->RecordCount() > 0) recordset_->MoveFirst();
            text = recordset_->GetString(-1, "\t", "\r", "");
        }))
        return;
    if (!trap.run([&] { show(text); })) return;
    module::ChiudiRecordset(error_rows);
    EliminaTabellaLogTemporanea();
    module::ChiudiRecordset(recordset_);
}

// FRMCG_LOG, shown modally: the import waits until it is closed.
void ImportLog::show(const std::string& text) {
    LogWindow window(context_);
    window.TestoLog = text;
    window.RecordSetLog = recordset_;
    window.FinestraChiamante = caller_;
    window.Show(true);
    window.Unload();
    window.FinestraChiamante = nullptr;
    window.RecordSetLog.reset();
}

}  // namespace importlog
