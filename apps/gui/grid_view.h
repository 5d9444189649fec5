#pragma once
// The grid control on the screen: a read-only table over a GridModel, its columns sized
// and hidden as the grid defines them, check-box columns drawn as centred check marks,
// and, when the grid has captioned groups, a row of group headings over the column
// headings that follows their widths and the horizontal scroll.
#include <QWidget>

#include "modulebase/grid.h"

class QTableView;

namespace gui {

class GridModel;
class GroupHeadings;

class GridView final : public QWidget {
  public:
    GridView(module::Grid& grid, QWidget* parent = nullptr);
    ~GridView() override;

    // Columns again from the grid (widths, visibility) and its rows.
    void reload();

    QTableView* table() const { return table_; }
    GridModel* model() const { return model_; }
    // The group headings row (nullptr when the grid has no captioned group).
    QWidget* group_headings() const;
    // The caption of the group heading drawn over column `column` ("" for none).
    QString group_caption_over(int column) const;

  private:
    void apply_columns();

    module::Grid& grid_;
    GridModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    GroupHeadings* groups_ = nullptr;
};

}  // namespace gui
