#pragma once
// A module::Grid as a Qt table model: one column per grid column (hidden ones included,
// the view hides them), captions and alignments from the column definitions, cell texts
// from Grid::CellText, check-box columns as check states. Rows are read when painted, so a
// large log is never copied.
#include <QAbstractTableModel>

#include "modulebase/grid.h"

namespace gui {

class GridModel final : public QAbstractTableModel {
  public:
    explicit GridModel(const module::Grid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The grid read its rows or changed its columns again: everything is asked anew.
    void reload();

    const module::Grid& grid() const { return grid_; }

  private:
    const module::Grid& grid_;
    int rows_ = 0;
    int columns_ = 0;
};

// A width in twips as pixels on the screen (15 twips to a pixel at 96 dots per inch).
int twips_to_pixels(long twips);

Qt::Alignment qt_alignment(module::GridAlign align);

}  // namespace gui
