#pragma once
// The grid control of the log and history windows as a view model: column definitions in
// groups (caption, field, width in twips, shown, alignments, display format, decoded values,
// check boxes), a record set as data source and the cell text the user sees, after the
// window's DataFormatEXT handler has had its say. A front end asks RowCount() and
// CellText(row, column) for what it paints; rows are reached by place, so a grid over a
// large log never copies it.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ado/recordset.h"
#include "ado/variant.h"

namespace host {
class Cinterface;
class GridLayout;
}  // namespace host

namespace module {

// Heading and cell alignments, as the window's layout numbers them.
enum class GridAlign { Left = 0, Right = 1, Centre = 2 };

struct GridColumn {
    enum class Kind { Text, Decoded, CheckBox };

    std::string field{};
    std::string caption{};
    Kind kind = Kind::Text;
    int kind_value = 1;  // the host grid's column kind, kept as the layout gives it
    long width = 0;      // twips
    bool shown = true;
    int group = 0;  // index into Grid::groups
    GridAlign heading_alignment = GridAlign::Left;
    GridAlign cell_alignment = GridAlign::Left;
    std::string format{};  // dates: tokens of ado::DateTime::format ("dd/mm/yyyy hh:nn:ss")
    std::vector<std::pair<ado::Variant, std::string>> values{};  // Kind::Decoded: value -> text
    std::string checked_value = "1";                             // Kind::CheckBox
    std::string unchecked_value = "0";
};

class Grid {
  public:
    using CellTextHandler = std::function<void(const std::string& field, std::string& text)>;

    // Layout.
    void Clear();  // no columns, no groups, no data source, no layout object
    void AttachLayout(std::shared_ptr<host::GridLayout> layout) { layout_ = std::move(layout); }
    const std::shared_ptr<host::GridLayout>& Layout() const { return layout_; }
    // Opens a group of columns; columns added after it belong to it.
    void AddGroup(std::string caption);
    GridColumn& AddColumn(GridColumn column);
    // Closes the definitions; the layout is complete when Finish() has run.
    void Finish() { ++layouts_finished; }
    std::vector<std::string> groups;
    std::vector<GridColumn> columns;
    int layouts_finished = 0;

    // Data.
    void SetDataSource(ado::RecordsetPtr rows);
    const ado::RecordsetPtr& DataSource() const { return rows_; }
    // Reads the record set again: its row count under its current filter (the rows
    // themselves are read when asked for). A front end bound to on_reload repaints.
    void Refresh();
    std::function<void(const Grid&)> on_reload;
    int reloads = 0;

    // Rows visible at the last Refresh (0 without a data source).
    long RowCount() const { return row_count_; }
    // The text of a cell, `row` from 0: Null shows blank, a date in the column's format,
    // a decoded value as its text, then the DataFormatEXT handler may replace it.
    std::string CellText(long row, std::size_t column) const;
    // A check-box cell holds the checked value.
    bool Checked(long row, std::size_t column) const;
    // The whole visible content, row by row (for a printout or a test).
    std::vector<std::vector<std::string>> VisibleRows() const;
    // Only the columns that are shown.
    std::vector<std::size_t> ShownColumns() const;

    CellTextHandler DataFormatEXT;
    // Lies on top of the control that shares its place.
    bool on_top = true;

  private:
    ado::Variant value_at(long row, const GridColumn& column) const;

    std::shared_ptr<host::GridLayout> layout_;
    ado::RecordsetPtr rows_;
    long row_count_ = 0;
};

// Prepares a window's grid as the module's grids are prepared: a grid-layout object from the
// host's classes, given the calling window's host module interface, no record set, the key
// field and the fixed options (`column_groups` the one that differs between grids), then
// the grid cleared and the layout attached. Throws when the host has no grid layout.
void PrepareGridLayout(Grid& grid, const host::Cinterface& module_object, host::Cinterface* caller,
                       const std::string& key_field, bool column_groups);

// The text a grid shows for a value: Null and Empty blank, dates in `format` (day first
// without one: "dd/mm/yyyy", with the time when there is one), numbers in their plain
// decimal form, texts as they are.
std::string GridValueText(const ado::Variant& value, const std::string& format);

}  // namespace module
