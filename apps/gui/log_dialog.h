#pragma once
// FRMCG_LOG on the screen: the log grid and the log text in one place, one of them on
// top as the window says, the filter's name, and the Filtro, Vista, Salva and Chiudi
// buttons, each forwarded to the window; after every event the dialog shows the window's
// state again (sync) and closes once the window has unloaded.
#include <QDialog>

class QAction;
class QLabel;
class QStackedWidget;
class QTextEdit;
class QToolBar;

namespace importlog {
class LogWindow;
}

namespace gui {

class GridView;

class LogDialog final : public QDialog {
  public:
    LogDialog(importlog::LogWindow& window, QWidget* parent = nullptr);
    ~LogDialog() override;

    void sync();

    GridView* grid() const { return grid_; }
    QTextEdit* text() const { return text_; }
    QLabel* filter_label() const { return filter_; }
    QStackedWidget* stack() const { return stack_; }
    QToolBar* toolbar() const { return toolbar_; }
    QAction* filter_action() const { return filter_action_; }
    QAction* view_action() const { return view_action_; }
    QAction* save_action() const { return save_action_; }
    QAction* close_action() const { return close_action_; }

  protected:
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    template <typename Event>
    void forward(Event event);

    importlog::LogWindow& window_;
    GridView* grid_ = nullptr;
    QTextEdit* text_ = nullptr;
    QLabel* filter_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QAction* filter_action_ = nullptr;
    QAction* view_action_ = nullptr;
    QAction* save_action_ = nullptr;
    QAction* close_action_ = nullptr;
    std::string shown_text_;
};

}  // namespace gui
