#pragma once
// FRMCG_STORICO on the screen: the history grid with its group headings, hidden columns
// hidden and check-box columns as check marks, and the Chiudi button forwarded to the
// window; the dialog closes once the window has unloaded.
#include <QDialog>

class QAction;
class QToolBar;

namespace history {
class HistoryWindow;
}

namespace gui {

class GridView;

class HistoryDialog final : public QDialog {
  public:
    HistoryDialog(history::HistoryWindow& window, QWidget* parent = nullptr);
    ~HistoryDialog() override;

    void sync();

    GridView* grid() const { return grid_; }
    QToolBar* toolbar() const { return toolbar_; }
    QAction* close_action() const { return close_action_; }

  protected:
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    history::HistoryWindow& window_;
    GridView* grid_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QAction* close_action_ = nullptr;
};

}  // namespace gui
