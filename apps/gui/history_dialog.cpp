#include "history_dialog.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

#include "captions.h"
#include "grid_view.h"
#include "history/history_window.h"

namespace gui {

HistoryDialog::HistoryDialog(history::HistoryWindow& window, QWidget* parent)
    : QDialog(parent), window_(window) {
    setObjectName(history::HistoryWindow::kObjectName);
    toolbar_ = new QToolBar(this);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    close_action_ = toolbar_->addAction(QString());
    connect(close_action_, &QAction::triggered, this, [this] {
        window_.CMD_CHIUDI_ButtonClick();
        sync();
    });
    grid_ = new GridView(window_.GRID_STORICO, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar_);
    layout->addWidget(grid_, 1);
    resize(1100, 420);

    window_.GRID_STORICO.on_reload = [this](const module::Grid&) { grid_->reload(); };
    grid_->reload();
    sync();
}

HistoryDialog::~HistoryDialog() {
    window_.GRID_STORICO.on_reload = nullptr;
}

void HistoryDialog::sync() {
    setWindowTitle(qtext(window_.Caption()));
    set_caption(*close_action_, window_.CMD_CHIUDI.caption);
    close_action_->setEnabled(window_.CMD_CHIUDI.enabled);
    if (!window_.IsLoaded()) done(QDialog::Accepted);
}

// The close box and Escape: the window decides whether it closes.
void HistoryDialog::reject() {
    if (window_.IsLoaded() && !window_.Unload()) return;
    QDialog::reject();
}

void HistoryDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    window_.QRV_RESIZEFORM_Resize();
}

}  // namespace gui
