#pragma once
// The import log kept after an import. The module's log lives in a temporary table that
// vanishes with its connection; a front end hands every log the module reads back (its log
// hook) to a KeptLog, which writes it to HOST_IMPORT_LOG under the import header (IE42_ID)
// the journal import wrote. A log read back before there is a header (the verification's)
// waits in memory for the journal import's; it is small, one row per master-data element.
// A run that stops before the journal import writes no header and keeps nothing.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ado/recordset.h"
#include "ado/variant.h"

namespace ado {
class Connection;
}

namespace refhost {

class KeptLog {
  public:
    // `header_id` tells the import header of the import running now (0 while there is none).
    KeptLog(ado::Connection& connection, std::function<std::int32_t()> header_id);

    // A log read back by the module; `rows` are read from the first, whatever their filter.
    // With a header the rows (and any waiting before them) are written in one transaction,
    // read from the record set a hundred at a time, after the rows kept for that header
    // before; otherwise they wait. Throws ado::Error when the database refuses them (nothing
    // of that call is written, and the waiting rows wait on).
    void Take(ado::Recordset& rows);
    // Drops rows still waiting (the run ended without a header).
    void Discard() { waiting_.clear(); }
    std::size_t waiting() const { return waiting_.size(); }

    // The kept log of an import, in PROGR order (empty when none was kept).
    static ado::RecordsetPtr Read(ado::Connection& connection, std::int32_t import_id);

  private:
    struct Row {
        ado::Variant progr, tabella, livello, stato, chiave, errore;
    };
    static Row current_row(ado::Recordset& rows);
    // INSERTs of up to a hundred rows each, inside the caller's transaction.
    void write(std::int32_t import_id, const std::vector<Row>& rows);

    ado::Connection& connection_;
    std::function<std::int32_t()> header_id_;
    std::vector<Row> waiting_;
    std::int32_t written_for_ = 0;  // the header this object has written rows under
};

}  // namespace refhost
