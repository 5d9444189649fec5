// Recordset::Open on a statement needs the connection's engine; it lives here, beside the
// connection, so that the record-set library itself does not depend on connections.
#include "ado/connection.h"
#include "ado/records/messages.h"
#include "ado/recordset.h"

namespace ado {

void Recordset::Open(const SqlText& source, Connection& conn, int cursor_type, int lock_type) {
    conn.CheckText(source);
    Open(std::string_view(source.text()), conn, cursor_type, lock_type);
}

void Recordset::Open(std::string_view source, Connection& conn, int cursor_type, int lock_type) {
    if (State() == adStateOpen) throw detail::object_open();
    if (cursor_type == adOpenUnspecified) cursor_type = cursor_type_;
    if (lock_type == adLockUnspecified) lock_type = lock_type_;
    const std::string sql(source);
    Driver& driver = conn.driver();
    if (lock_type == adLockReadOnly) {
        // The first result with rows is the record set; text without one leaves it closed.
        for (ExecResult& result : driver.execute(sql)) {
            if (!result.rows) continue;
            open_snapshot(std::move(*result.rows), nullptr);
            break;
        }
    } else {
        RowSet rows;
        std::unique_ptr<RowWriter> writer = driver.open_updatable(sql, rows);
        open_snapshot(std::move(rows), std::move(writer));
    }
    cursor_type_ = cursor_type;
    lock_type_ = lock_type;
}

}  // namespace ado
