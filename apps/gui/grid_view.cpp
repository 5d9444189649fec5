#include "grid_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "grid_model.h"

namespace gui {

namespace {

// Check-box cells: the check mark centred in the cell, on the cell's own background.
class CheckDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant state = index.data(Qt::CheckStateRole);
        if (!state.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        const QRect indicator = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &cell, widget);
        cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        cell.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        QStyleOptionViewItem mark = cell;
        mark.rect = QStyle::alignedRect(cell.direction, Qt::AlignCenter, indicator.size(), option.rect);
        mark.state = (cell.state & ~(QStyle::State_On | QStyle::State_Off)) |
                     (state.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &mark, painter, widget);
    }
};

}  // namespace

// The row of group headings: each captioned group spans the shown columns that belong to
// it, where the column headings below put them.
class GroupHeadings final : public QWidget {
  public:
    GroupHeadings(const module::Grid& grid, QTableView& table, QWidget* parent)
        : QWidget(parent), grid_(grid), table_(table) {
        QHeaderView* header = table_.horizontalHeader();
        connect(header, &QHeaderView::sectionResized, this, [this] { update(); });
        connect(header, &QHeaderView::geometriesChanged, this, [this] { update(); });
        connect(table_.horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { update(); });
        setFixedHeight(header->sizeHint().height());
    }

    // The pixel span of group `group` in this widget's coordinates; empty when none of
    // its columns is shown.
    QRect span(int group) const {
        const QHeaderView* header = table_.horizontalHeader();
        const int offset = header->mapTo(&table_, QPoint(0, 0)).x();
        int left = INT_MAX, right = INT_MIN;
        for (std::size_t c = 0; c < grid_.columns.size(); ++c) {
            const int section = static_cast<int>(c);
            if (grid_.columns[c].group != group || header->isSectionHidden(section)) continue;
            const int x = header->sectionViewportPosition(section);
            left = std::min(left, x);
            right = std::max(right, x + header->sectionSize(section));
        }
        if (left > right) return {};
        return QRect(offset + left, 0, right - left, height());
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect visible(table_.horizontalHeader()->mapTo(&table_, QPoint(0, 0)).x(), 0,
                            table_.viewport()->width(), height());
        painter.setClipRect(visible);
        for (std::size_t g = 0; g < grid_.groups.size(); ++g) {
            const QRect rect = span(static_cast<int>(g));
            if (rect.isEmpty() || grid_.groups[g].empty()) continue;
            QStyleOptionHeader option;
            option.initFrom(this);
            option.rect = rect;
            option.text = QString::fromStdString(grid_.groups[g]);
            option.textAlignment = Qt::AlignCenter;
            option.position = QStyleOptionHeader::Middle;
            style()->drawControl(QStyle::CE_Header, &option, &painter, this);
        }
    }

  private:
    const module::Grid& grid_;
    QTableView& table_;
};

GridView::GridView(module::Grid& grid, QWidget* parent) : QWidget(parent), grid_(grid) {
    model_ = new GridModel(grid_, this);
    table_ = new QTableView(this);
    table_->setModel(model_);
    table_->setItemDelegate(new CheckDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setHighlightSections(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const bool captioned = std::any_of(grid_.groups.begin(), grid_.groups.end(),
                                       [](const std::string& g) { return !g.empty(); });
    if (captioned) {
        groups_ = new GroupHeadings(grid_, *table_, this);
        layout->addWidget(groups_);
    }
    layout->addWidget(table_);
    apply_columns();
}

GridView::~GridView() = default;

QWidget* GridView::group_headings() const {
    return groups_;
}

QString GridView::group_caption_over(int column) const {
    if (groups_ == nullptr || column < 0 || column >= static_cast<int>(grid_.columns.size())) return {};
    const int group = grid_.columns[static_cast<std::size_t>(column)].group;
    if (table_->horizontalHeader()->isSectionHidden(column) || groups_->span(group).isEmpty()) return {};
    return QString::fromStdString(grid_.groups.at(static_cast<std::size_t>(group)));
}

void GridView::reload() {
    model_->reload();
    apply_columns();
}

namespace {
constexpr int kMaxContentWidth = 400;
}

void GridView::apply_columns() {
    for (std::size_t c = 0; c < grid_.columns.size(); ++c) {
        const int section = static_cast<int>(c);
        table_->setColumnHidden(section, !grid_.columns[c].shown);
        // The layout's width, widened (up to kMaxContentWidth) where this font needs more
        // room for the heading or the rows on screen, so that dates are not cut short.
        const int content = std::max(static_cast<QAbstractItemView*>(table_)->sizeHintForColumn(section),
                                     table_->horizontalHeader()->sectionSizeHint(section));
        table_->setColumnWidth(
            section, std::max(twips_to_pixels(grid_.columns[c].width), std::min(content, kMaxContentWidth)));
    }
    if (groups_ != nullptr) groups_->update();
}

}  // namespace gui
