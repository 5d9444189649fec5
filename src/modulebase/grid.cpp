#include "modulebase/grid.h"

#include "ado/error.h"
#include "host/components.h"
#include "host/window_services.h"
#include "modulebase/host_access.h"

namespace module {

void Grid::Clear() {
    groups.clear();
    columns.clear();
    layout_.reset();
    rows_.reset();
    row_count_ = 0;
}

void Grid::AddGroup(std::string caption) {
    groups.push_back(std::move(caption));
}

GridColumn& Grid::AddColumn(GridColumn column) {
    if (groups.empty()) groups.emplace_back();
    column.group = static_cast<int>(groups.size()) - 1;
    columns.push_back(std::move(column));
    return columns.back();
}

void Grid::SetDataSource(ado::RecordsetPtr rows) {
    rows_ = std::move(rows);
    row_count_ = 0;
}

void Grid::Refresh() {
    row_count_ = rows_ && rows_->State() != 0 ? rows_->RecordCount() : 0;
    ++reloads;
    if (on_reload) on_reload(*this);
}

ado::Variant Grid::value_at(long row, const GridColumn& column) const {
    if (!rows_ || row < 0 || row >= row_count_) throw ado::Error(ado::kErrBofEof, "No current record.");
    if (rows_->AbsolutePosition() != row + 1) rows_->SetAbsolutePosition(row + 1);
    return rows_->GetFields().Item(column.field).Value();
}

void PrepareGridLayout(Grid& grid, const host::Cinterface& module_object, host::Cinterface* caller,
                       const std::string& key_field, bool column_groups) {
    const std::shared_ptr<host::GridLayout> layout =
        created(host_classes(module_object).CreateGridLayout(), "the grid layout");
    layout->SetCallerModule(caller);
    layout->SetRecordset(nullptr);
    layout->SetKeyField(key_field);
    layout->SetOption("ReadOnly", ado::Variant(true));
    layout->SetOption("ColumnGroups", ado::Variant(column_groups));
    grid.Clear();
    grid.AttachLayout(layout);
}

std::string GridValueText(const ado::Variant& value, const std::string& format) {
    if (value.is_null() || value.is_empty()) return std::string();
    if (value.is_date()) {
        // Without a format of its own a date shows as the books write dates, day first.
        const ado::DateTime date = value.to_date();
        if (!format.empty()) return date.format(format);
        return date.format(date.has_time() ? "dd/mm/yyyy hh:nn:ss" : "dd/mm/yyyy");
    }
    return value.to_string();
}

std::string Grid::CellText(long row, std::size_t column) const {
    const GridColumn& col = columns.at(column);
    const ado::Variant value = value_at(row, col);
    std::string text;
    if (col.kind == GridColumn::Kind::Decoded) {
        for (const auto& [code, shown] : col.values)
            if (!value.is_null() && !value.is_empty() && value == code) text = shown;
    } else {
        text = GridValueText(value, col.format);
    }
    if (DataFormatEXT) DataFormatEXT(col.field, text);
    return text;
}

bool Grid::Checked(long row, std::size_t column) const {
    const GridColumn& col = columns.at(column);
    return GridValueText(value_at(row, col), std::string()) == col.checked_value;
}

std::vector<std::size_t> Grid::ShownColumns() const {
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].shown) shown.push_back(i);
    return shown;
}

std::vector<std::vector<std::string>> Grid::VisibleRows() const {
    std::vector<std::vector<std::string>> out;
    for (long r = 0; r < row_count_; ++r) {
        std::vector<std::string> cells;
        for (std::size_t c = 0; c < columns.size(); ++c) cells.push_back(CellText(r, c));
        out.push_back(std::move(cells));
    }
    return out;
}

}  // namespace module
