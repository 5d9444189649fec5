#pragma once
// The boundary between the record-set objects (engine-neutral) and an engine. An engine
// runs statement text and hands back materialised row sets (every result is a client-side
// snapshot); for updatable record sets it also hands a writer that writes a row through
// to the database at Update/Delete time. One Driver per open connection.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ado/error.h"
#include "ado/variant.h"

namespace ado {

struct ColumnInfo {
    std::string name;
    int type = 0;           // DataTypeEnum
    long defined_size = 0;  // characters for text, bytes otherwise
    int precision = 0;
    int numeric_scale = 0;
    long attributes = 0;  // FieldAttributeEnum flags (adFldIsNullable, adFldFixed, ...)
    // Write-through information, filled by the engine for updatable record sets.
    std::string base_table;
    std::string base_column;
    bool hidden = false;       // engine key (e.g. SQLite rowid): not shown in Fields
    bool read_only = false;    // identity, row version, computed
    bool has_default = false;  // the database supplies a value when none is assigned
};

struct RowSet {
    std::vector<ColumnInfo> columns;
    std::vector<std::vector<Variant>> rows;
};

struct ExecResult {
    std::optional<RowSet> rows;  // set for statements that return rows
    long records_affected = -1;  // -1 when not meaningful
};

class RowWriter {
  public:
    virtual ~RowWriter() = default;
    // Inserts one row; `assigned[i]` tells which values the caller set (the others take the
    // database default). Returns the row as stored (identity, defaults, row version).
    virtual std::vector<Variant> insert(const std::vector<Variant>& values,
                                        const std::vector<bool>& assigned) = 0;
    // Updates the row whose stored values were `original`; returns the row as stored.
    virtual std::vector<Variant> update(const std::vector<Variant>& original,
                                        const std::vector<Variant>& values,
                                        const std::vector<bool>& changed) = 0;
    virtual void remove(const std::vector<Variant>& original) = 0;
};

class Driver {
  public:
    virtual ~Driver() = default;
    // Runs a batch of statements; one ExecResult per statement that returns rows or changes
    // rows. Throws ado::Error with the engine's message; the connection stays usable.
    virtual std::vector<ExecResult> execute(const std::string& sql) = 0;
    // Runs a SELECT and returns its rows together with a writer for them.
    virtual std::unique_ptr<RowWriter> open_updatable(const std::string& sql, RowSet& out) = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool in_transaction() const = 0;
    // Provider errors of the last failing call (cleared by the next call that succeeds).
    virtual const ProviderErrors& errors() const = 0;
    virtual void clear_errors() = 0;
};

// Parsed "Key=Value;Key=Value" text; keys compare case-insensitively.
class ConnectionString {
  public:
    explicit ConnectionString(std::string_view text);
    std::optional<std::string> get(std::string_view key) const;
    const std::string& text() const { return text_; }

  private:
    std::string text_;
    std::vector<std::pair<std::string, std::string>> pairs_;
};

// Chooses the engine from the connection string's Provider (SQLite here; ODBC later).
// Throws ado::Error when the provider is unknown or the database cannot be opened.
std::unique_ptr<Driver> open_driver(const ConnectionString& cs);

}  // namespace ado
