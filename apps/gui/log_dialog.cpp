#include "log_dialog.h"

#include <QAction>
#include <QFontDatabase>
#include <QLabel>
#include <QStackedWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include "captions.h"
#include "grid_view.h"
#include "log/log_window.h"
#include "message_box.h"

namespace gui {

namespace {

constexpr int kTabStopCharacters = 8;

// The text box's font when the system has it, else the system's own.
QFont text_font(const std::string& family) {
    if (QFontDatabase::hasFamily(qtext(family))) return QFont(qtext(family));
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

}  // namespace

LogDialog::LogDialog(importlog::LogWindow& window, QWidget* parent) : QDialog(parent), window_(window) {
    setObjectName(importlog::LogWindow::kObjectName);
    toolbar_ = new QToolBar(this);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    filter_action_ = toolbar_->addAction(QString());
    view_action_ = toolbar_->addAction(QString());
    save_action_ = toolbar_->addAction(QString());
    close_action_ = toolbar_->addAction(QString());
    connect(filter_action_, &QAction::triggered, this,
            [this] { forward([this] { window_.CMD_FILTRO_ButtonClick(); }); });
    connect(view_action_, &QAction::triggered, this,
            [this] { forward([this] { window_.CMD_VIEW_ButtonClick(); }); });
    connect(save_action_, &QAction::triggered, this,
            [this] { forward([this] { window_.CMD_SALVA_ButtonClick(); }); });
    connect(close_action_, &QAction::triggered, this,
            [this] { forward([this] { window_.CMD_CHIUDI_ButtonClick(); }); });

    filter_ = new QLabel(this);
    QFont bold = filter_->font();
    bold.setBold(true);
    filter_->setFont(bold);

    grid_ = new GridView(window_.GRID_LOG, this);
    text_ = new QTextEdit(this);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QTextEdit::NoWrap);
    text_->setFont(text_font(window_.TXT_LOG.font));
    text_->setTabStopDistance(text_->fontMetrics().horizontalAdvance(' ') * kTabStopCharacters);
    stack_ = new QStackedWidget(this);
    stack_->addWidget(grid_);
    stack_->addWidget(text_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar_);
    layout->addWidget(filter_);
    layout->addWidget(stack_, 1);
    resize(1000, 480);

    // The grid reloads its rows when a filter is applied.
    window_.GRID_LOG.on_reload = [this](const module::Grid&) { grid_->reload(); };
    grid_->reload();
    sync();
}

LogDialog::~LogDialog() {
    window_.GRID_LOG.on_reload = nullptr;
}

template <typename Event>
void LogDialog::forward(Event event) {
    event();
    sync();
}

void LogDialog::sync() {
    setWindowTitle(qtext(window_.Caption()));
    filter_->setText(qtext(window_.LBL_FILTRO.caption));
    const std::pair<QAction*, const module::Button*> buttons[] = {{filter_action_, &window_.CMD_FILTRO},
                                                                  {view_action_, &window_.CMD_VIEW},
                                                                  {save_action_, &window_.CMD_SALVA},
                                                                  {close_action_, &window_.CMD_CHIUDI}};
    for (const auto& [action, button] : buttons) {
        set_caption(*action, button->caption);
        action->setEnabled(button->enabled);
    }
    if (shown_text_ != window_.TXT_LOG.text) {
        shown_text_ = window_.TXT_LOG.text;
        text_->setPlainText(qtext(dialog_text(shown_text_)));
    }
    stack_->setCurrentWidget(window_.TXT_LOG.on_top ? static_cast<QWidget*>(text_) : grid_);
    if (window_.active_control == "CMD_CHIUDI")
        if (QWidget* button = toolbar_->widgetForAction(close_action_)) button->setFocus();
    if (!window_.IsLoaded()) done(QDialog::Accepted);
}

// The close box and Escape: the window decides whether it closes.
void LogDialog::reject() {
    if (window_.IsLoaded() && !window_.Unload()) return;
    QDialog::reject();
}

void LogDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    window_.QRV_RESIZEFORM_Resize();
}

}  // namespace gui
