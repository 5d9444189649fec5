#pragma once
// Record sets with the behaviour the module relies on: every result is a client-side
// snapshot (clone, filter, record count and moves work on it); updatable record sets
// write a row through to the database at Update/Delete; free-standing record sets are
// built by appending fields. Clones share the rows and keep their own filter and position.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado/driver.h"
#include "ado/types.h"
#include "ado/variant.h"

// The C library's EOF macro would swallow Recordset::EOF(). <cstdio> is included first so
// that its include guard keeps the macro from coming back; use
// std::char_traits<char>::eof() where the stream value is wanted.
#undef EOF

namespace ado {

class Connection;
class Recordset;
class SqlText;
using RecordsetPtr = std::shared_ptr<Recordset>;

namespace detail {
struct RowStore;
struct Cursor;
}  // namespace detail

// A column of a record set, seen at the record set's current row.
class Field {
  public:
    const std::string& Name() const;
    int Type() const;
    long DefinedSize() const;
    int Precision() const;
    int NumericScale() const;
    long Attributes() const;

    // Value of the current row (of the pending new row while AddNew is in progress).
    // Throws ado::Error (BOF/EOF) when there is no current row. Fixed-length text reads
    // back blank-padded to its width.
    Variant Value() const;
    // Assigns a value to the current or pending row, converted to the field's type:
    // text to numbers with "." as separator ("," when there is no "."), text to dates in
    // the forms of DateTime::parse, empty text to Null where Null is admitted. A value that
    // the field cannot take (too long, not convertible, Null where not admitted) throws.
    void SetValue(const Variant& v);
    Field& operator=(const Variant& v) {
        SetValue(v);
        return *this;
    }

    // Before Open on a free-standing record set only.
    void SetPrecision(int p);
    void SetNumericScale(int s);

  private:
    friend class Fields;
    friend class Recordset;
    Field(Recordset* owner, int index) : rs_(owner), index_(index) {}
    Recordset* rs_;
    int index_;
};

class Fields {
  public:
    int Count() const;
    Field Item(int index) const;              // throws ado::Error when out of range
    Field Item(std::string_view name) const;  // case-insensitive; throws when missing
    Field operator[](int index) const { return Item(index); }
    Field operator[](std::string_view name) const { return Item(name); }
    bool Contains(std::string_view name) const;
    // Free-standing record sets, before Open. Size 0 for numeric types.
    void Append(std::string_view name, int type, long defined_size = 0, long attributes = 0);

  private:
    friend class Recordset;
    explicit Fields(Recordset* owner) : rs_(owner) {}
    Recordset* rs_;
};

class Recordset : public std::enable_shared_from_this<Recordset> {
  public:
    static RecordsetPtr create();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    int CursorLocation() const { return cursor_location_; }
    void SetCursorLocation(int v) { cursor_location_ = v; }
    int CursorType() const { return cursor_type_; }
    void SetCursorType(int v) { cursor_type_ = v; }
    int LockType() const { return lock_type_; }
    void SetLockType(int v) { lock_type_ = v; }

    // Free-standing: opens on the appended fields with no rows.
    void Open();
    // On a SELECT through a connection. With a lock type other than read-only the record
    // set is updatable (written through to the table at Update/Delete).
    void Open(std::string_view source, Connection& conn, int cursor_type = adOpenForwardOnly,
              int lock_type = adLockReadOnly);
    // Same for built text: a value inserted verbatim that holds a quote fails before the engine.
    void Open(const SqlText& source, Connection& conn, int cursor_type = adOpenForwardOnly,
              int lock_type = adLockReadOnly);
    // Closing discards a pending new row silently.
    void Close();
    long State() const;

    Fields GetFields() { return Fields(this); }
    Field operator[](std::string_view name) { return GetFields().Item(name); }
    Field operator[](int index) { return GetFields().Item(index); }

    bool BOF() const;
    bool EOF() const;
    long RecordCount() const;  // rows visible through the current filter
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    // The current row's place among the visible rows, from 1 (adPosBOF, adPosEOF or
    // adPosUnknown when there is none). Setting it moves there; a place outside 1 to
    // RecordCount throws. A grid reads row n this way without walking the rows before it.
    long AbsolutePosition() const;
    void SetAbsolutePosition(long position);

    void AddNew();
    void Update();  // saves the pending new row or the changed current row
    void CancelUpdate();
    void Delete();  // the current row
    bool EditPending() const;

    // ADO filter syntax: comparisons (=, <>, <, >, <=, >=, LIKE with * or %), AND / OR,
    // parentheses, numbers, 'quoted text' (quotes doubled inside), #dates#, NULL.
    // An empty text clears the filter. A malformed filter throws and leaves the previous one.
    void SetFilter(std::string_view criteria);
    const std::string& Filter() const;

    // A new record set over the same rows, with its own filter and position.
    RecordsetPtr Clone();

    // Hands the visible rows, first to last, to `take` with their values as Field::Value
    // reads them (one per field), freeing each row as it goes, and closes the record set:
    // a copy then never holds a large result twice. Only when no clone shares the rows and
    // no edit is pending; otherwise returns false and leaves everything as it was.
    bool DrainRows(const std::function<void(const std::vector<Variant>& values)>& take);

    // Moves to the first row from the current one (inclusive unless skip) that matches the
    // single-comparison criteria; EOF (BOF backwards) when none does.
    void Find(std::string_view criteria, long skip_records = 0, int direction = adSearchForward);

    // Clip-string export of the visible rows from the current one.
    std::string GetString(long num_rows = -1, std::string_view column_delimiter = "\t",
                          std::string_view row_delimiter = "\r", std::string_view null_expr = "");

  private:
    Recordset();
    friend class Field;
    friend class Fields;
    friend class Connection;
    // Opens on rows produced by an engine (Connection::Execute, host services).
    void open_snapshot(RowSet rows, std::unique_ptr<RowWriter> writer);
    void require_open() const;

    std::shared_ptr<detail::RowStore> store_;
    std::unique_ptr<detail::Cursor> cursor_;
    std::vector<ColumnInfo> pending_fields_;  // appended before Open
    int cursor_location_ = adUseServer;
    int cursor_type_ = adOpenForwardOnly;
    int lock_type_ = adLockReadOnly;

  public:
    // Builds an open, connectionless, read-only record set from rows (host services, tests).
    static RecordsetPtr from_rows(RowSet rows);
};

}  // namespace ado
