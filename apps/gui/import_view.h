#pragma once
// FRMCG_LEDGERINTAKE on the screen: the path box with its browse button, the exporting
// company's data, the period and the tables the import transcodes, the toolbar with
// Importa and Storico, the progress bar and the notice, each widget bound to its control
// of the import window. User actions go to the window's events; after each event the
// widgets show the window's state again (sync). Nothing is decided here.
#include <QMainWindow>
#include <QString>
#include <map>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QToolBar;
class QToolButton;

namespace module {
class ImportWindow;
struct CheckBox;
struct TextBox;
}  // namespace module

namespace gui {

class FrontEnd;
class Session;

class ImportView final : public QMainWindow {
  public:
    ImportView(Session& session, FrontEnd& front_end, QWidget* parent = nullptr);
    ~ImportView() override;

    void sync();

    // Confirms the path box as Enter or leaving it does: true when the window accepted
    // the text (the focus stays in the box otherwise).
    bool confirm_path();
    void browse();
    void press_import();
    void press_history();

    QLineEdit* path_edit() const { return path_; }
    QToolButton* browse_button() const { return browse_; }
    QAction* import_action() const { return import_action_; }
    QAction* history_action() const { return history_action_; }
    QToolBar* toolbar() const { return toolbar_; }
    QProgressBar* progress_bar() const { return progress_; }
    QLabel* notice() const { return notice_; }
    // The widget bound to the text box or check box named as the window names it.
    QLineEdit* text_box(const std::string& name) const;
    QCheckBox* check_box(const std::string& name) const;
    // Progress repaints seen while an event ran.
    int progress_repaints() const { return progress_repaints_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    class PathView;

    void build();
    QWidget* build_file_frame();
    QWidget* build_info_frame();
    QWidget* build_period_frame();
    QWidget* build_tables_frame();
    QWidget* build_member_frame();
    QWidget* build_notice();
    QLineEdit* add_text_box(const char* name, module::TextBox& box);
    QCheckBox* add_check_box(const char* name, module::CheckBox& box);
    void bind();
    void unbind();
    void sync_progress();
    template <typename Event>
    void run_event(Event event);

    Session& session_;
    module::ImportWindow& window_;
    FrontEnd& front_end_;
    bool bound_ = false;
    bool busy_ = false;
    bool confirming_ = false;
    int progress_repaints_ = 0;
    std::shared_ptr<PathView> path_view_;
    QString refused_;  // the path last refused before the window saw it

    QToolBar* toolbar_ = nullptr;
    QAction* import_action_ = nullptr;
    QAction* history_action_ = nullptr;
    QLineEdit* path_ = nullptr;
    QToolButton* browse_ = nullptr;
    QLabel* progress_caption_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* notice_ = nullptr;
    QGroupBox* notice_frame_ = nullptr;
    std::map<std::string, std::pair<QLineEdit*, module::TextBox*>> text_boxes_;
    std::map<std::string, std::pair<QCheckBox*, module::CheckBox*>> check_boxes_;
    std::map<QGroupBox*, const std::string*> frames_;
    std::map<QLabel*, const std::string*> labels_;
};

}  // namespace gui
