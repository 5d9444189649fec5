#include "grid_model.h"

#include <climits>
#include <exception>
#include <string>

namespace gui {

namespace {

constexpr long kTwipsPerPixel = 15;

bool is_check_column(const module::Grid& grid, int column) {
    return grid.columns.at(static_cast<std::size_t>(column)).kind == module::GridColumn::Kind::CheckBox;
}

int clamp_to_int(long value) {
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace

int twips_to_pixels(long twips) {
    return clamp_to_int((twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

Qt::Alignment qt_alignment(module::GridAlign align) {
    switch (align) {
        case module::GridAlign::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case module::GridAlign::Centre:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case module::GridAlign::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

GridModel::GridModel(const module::Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    reload();
}

void GridModel::reload() {
    beginResetModel();
    rows_ = clamp_to_int(grid_.RowCount());
    columns_ = static_cast<int>(grid_.columns.size());
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_) return {};
    const auto column = static_cast<std::size_t>(index.column());
    try {
        switch (role) {
            case Qt::DisplayRole:
            case Qt::ToolTipRole:
                if (is_check_column(grid_, index.column())) return {};
                return QString::fromStdString(grid_.CellText(index.row(), column));
            case Qt::CheckStateRole:
                if (!is_check_column(grid_, index.column())) return {};
                return grid_.Checked(index.row(), column) ? Qt::Checked : Qt::Unchecked;
            case Qt::TextAlignmentRole:
                return static_cast<int>(qt_alignment(grid_.columns[column].cell_alignment));
            default:
                return {};
        }
    } catch (const std::exception&) {
        // A row the record set no longer has (filtered away meanwhile) shows blank.
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_)
        return QAbstractTableModel::headerData(section, orientation, role);
    const module::GridColumn& column = grid_.columns[static_cast<std::size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(column.caption);
        case Qt::TextAlignmentRole:
            return static_cast<int>(qt_alignment(column.heading_alignment));
        default:
            return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    // Read-only: rows can be selected, nothing edited or checked by the user.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace gui
