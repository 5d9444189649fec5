#include "refhost/kept_log.h"

#include "ado/connection.h"
#include "ado/sqltext.h"

namespace refhost {

namespace {

// Rows per INSERT: one statement text per hundred rows keeps the engine's work per row low.
constexpr std::size_t kRowsPerStatement = 100;

// A text value as an N'...' literal, its quotes doubled: whatever it holds stays inside the
// literal, so the statement's shape is fixed.
void add_text(ado::SqlText& sql, const ado::Variant& value) {
    if (value.is_null() || value.is_empty()) {
        sql.add("NULL");
        return;
    }
    std::string doubled;
    for (char c : value.to_string()) {
        doubled += c;
        if (c == '\'') doubled += '\'';
    }
    sql.add("N'").add(doubled).add("'");
}

void add_number(ado::SqlText& sql, const ado::Variant& value) {
    if (value.is_null() || value.is_empty() || !value.is_numeric())
        sql.add("NULL");
    else
        sql.number(value.to_decimal());
}

}  // namespace

KeptLog::KeptLog(ado::Connection& connection, std::function<std::int32_t()> header_id)
    : connection_(connection), header_id_(std::move(header_id)) {}

KeptLog::Row KeptLog::current_row(ado::Recordset& rows) {
    auto fields = rows.GetFields();
    return {fields.Item("PROGR").Value(), fields.Item("TABELLA").Value(), fields.Item("LIVELLO").Value(),
            fields.Item("STATO").Value(), fields.Item("CHIAVE").Value(),  fields.Item("ERRORE").Value()};
}

void KeptLog::Take(ado::Recordset& rows) {
    const ado::RecordsetPtr all = rows.Clone();  // its own position, no filter
    if (all->RecordCount() > 0) all->MoveFirst();
    const std::int32_t header = header_id_ ? header_id_() : 0;
    if (header == 0) {
        for (; !all->EOF(); all->MoveNext()) waiting_.push_back(current_row(*all));
        return;
    }
    // The journal's log can be large: its rows go from the record set to the statements a
    // hundred at a time, never copied whole.
    ado::TransactionGuard transaction(connection_);
    if (header != written_for_) {
        // A header deleted for want of entries may see its number again: what was kept
        // under it belongs to that earlier run.
        ado::SqlText sql;
        sql.line(" DELETE FROM HOST_IMPORT_LOG WHERE IE42_ID = ").number(header);
        connection_.Execute(sql);
    }
    write(header, waiting_);
    std::vector<Row> chunk;
    for (; !all->EOF(); all->MoveNext()) {
        chunk.push_back(current_row(*all));
        if (chunk.size() == kRowsPerStatement) {
            write(header, chunk);
            chunk.clear();
        }
    }
    write(header, chunk);
    transaction.Commit();
    waiting_.clear();
    written_for_ = header;
}

void KeptLog::write(std::int32_t import_id, const std::vector<Row>& rows) {
    for (std::size_t first = 0; first < rows.size(); first += kRowsPerStatement) {
        ado::SqlText sql;
        sql.line(" INSERT INTO HOST_IMPORT_LOG (IE42_ID, PROGR, TABELLA, LIVELLO, STATO, CHIAVE, ERRORE)");
        const std::size_t last = std::min(rows.size(), first + kRowsPerStatement);
        for (std::size_t i = first; i < last; ++i) {
            const Row& r = rows[i];
            sql.line(i == first ? " VALUES (" : "      , (").number(import_id).add(", ");
            add_number(sql, r.progr);
            sql.add(", ");
            add_text(sql, r.tabella);
            sql.add(", ");
            add_number(sql, r.livello);
            sql.add(", ");
            add_number(sql, r.stato);
            sql.add(", ");
            add_text(sql, r.chiave);
            sql.add(", ");
            add_text(sql, r.errore);
            sql.add(")");
        }
        connection_.Execute(sql);
    }
}

ado::RecordsetPtr KeptLog::Read(ado::Connection& connection, std::int32_t import_id) {
    ado::SqlText sql;
    sql.line(" SELECT PROGR, TABELLA, LIVELLO, STATO, CHIAVE, ERRORE")
        .line(" FROM HOST_IMPORT_LOG")
        .line(" WHERE IE42_ID = ")
        .number(import_id);
    sql.line(" ORDER BY PROGR");
    return connection.Execute(sql);
}

}  // namespace refhost
