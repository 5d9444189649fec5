#include "ado/statement_trace.h"

#include "ado/datetime.h"
#include "ado/error.h"

namespace ado {

void StatementTrace::open(const std::string& path) {
    if (out_.is_open()) out_.close();
    if (path.empty()) return;
    out_.open(path, std::ios::binary | std::ios::app);
    if (!out_) throw Error(kErrArgument, "The statement trace file \"" + path + "\" cannot be opened.");
}

void StatementTrace::write(std::string_view sql, std::string_view note) noexcept {
    if (!out_.is_open()) return;
    try {
        out_ << "-- " << DateTime::now().iso_full();
        if (!note.empty()) out_ << " " << note;
        out_ << "\r\n" << sql;
        if (sql.empty() || sql.back() != '\n') out_ << "\r\n";
        out_ << "GO\r\n";
        out_.flush();
    } catch (...) {
        // The trace is a diagnostic: losing a line must not fail the work.
    }
}

std::vector<ExecResult> TracingDriver::execute(const std::string& sql) {
    trace_.write(sql);
    return inner_->execute(sql);
}

std::unique_ptr<RowWriter> TracingDriver::open_updatable(const std::string& sql, RowSet& out) {
    trace_.write(sql, "(updatable)");
    return inner_->open_updatable(sql, out);
}

void TracingDriver::begin() {
    trace_.write("-- BeginTrans");
    inner_->begin();
}

void TracingDriver::commit() {
    trace_.write("-- CommitTrans");
    inner_->commit();
}

void TracingDriver::rollback() {
    trace_.write("-- RollbackTrans");
    inner_->rollback();
}

}  // namespace ado
