#include "import_view.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <filesystem>

#include "captions.h"
#include "cli/open_checks.h"
#include "front_end.h"
#include "grid_model.h"
#include "module/import_window.h"
#include "session.h"

namespace gui {

namespace {

// Widths of the information boxes, in characters of the values they show.
struct BoxWidth {
    const char* name;
    int characters;
};
constexpr BoxWidth kBoxWidths[] = {{"TXT_DATAEXP", 19},   {"TXT_UTEXP", 10},    {"TXT_AZIEXP", 6},
                                   {"TXT_CODANAEXP", 10}, {"TXT_CAPEXP", 6},    {"TXT_PROVEXP", 3},
                                   {"TXT_CFISCEXP", 17},  {"TXT_PIVAEXP", 12},  {"TXT_DADATA", 11},
                                   {"TXT_ADATA", 11},     {"TXT_CODANAIMP", 10}};
constexpr int kNoticeLines = 6;

int to_int(long value) {
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

Qt::CheckState check_state(int value) {
    if (value == 1) return Qt::Checked;
    if (value == 2) return Qt::PartiallyChecked;
    return Qt::Unchecked;
}

// The folder a path box text stands for: itself when it names a folder, else the folder
// of the file it names.
std::string folder_of(const std::string& text) {
    if (text.empty()) return {};
    std::error_code ec;
    if (std::filesystem::is_directory(text, ec)) return text;
    return std::filesystem::path(text).parent_path().string();
}

}  // namespace

// The path box's screen side: the text shown again when the window refreshes it (unless
// the user is typing a new one), the folder the browse dialog opens in.
class ImportView::PathView final : public module::PathBox::View {
  public:
    explicit PathView(QLineEdit& edit) : edit_(&edit) {}
    void detach() { edit_ = nullptr; }
    const std::string& folder() const { return folder_; }

    bool Usable(const std::string& text) override { return module::PathBox::local_usable(text); }
    module::PathBox::File FileOf(const std::string& text) override {
        return module::PathBox::local_file(text);
    }
    void RefreshText(const std::string& text) override {
        if (edit_ != nullptr && !edit_->isModified()) edit_->setText(qtext(text));
    }
    void RefreshList(const std::string& text) override { folder_ = folder_of(text); }

  private:
    QLineEdit* edit_;
    std::string folder_;
};

ImportView::ImportView(Session& session, FrontEnd& front_end, QWidget* parent)
    : QMainWindow(parent), session_(session), window_(session.window()), front_end_(front_end) {
    setObjectName("FRMCG_LEDGERINTAKE");
    build();
    bind();
    window_.MdiFrameHost1_Placement();
    const QSize hint = sizeHint();
    resize(std::max(hint.width(), twips_to_pixels(window_.MdiFrameHost1.width)),
           std::max(hint.height(), twips_to_pixels(window_.MdiFrameHost1.height)));
    front_end_.set_parent(this);
    sync();
}

ImportView::~ImportView() {
    // The box loses its focus while the base class destroys it, and would confirm its text
    // on a view that is no longer there.
    if (path_ != nullptr) path_->disconnect(this);
    unbind();
}

void ImportView::bind() {
    path_view_ = std::make_shared<PathView>(*path_);
    path_view_->RefreshList(window_.TXT_NOMEFILE.text);
    window_.TXT_NOMEFILE.view = path_view_;
    window_.PROGRESS_BAR.on_repaint = [this](const module::ProgressBar&) {
        ++progress_repaints_;
        sync_progress();
        // Paint now: the import runs on this thread. The user's input waits for the end.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    bound_ = true;
}

void ImportView::unbind() {
    if (!bound_) return;
    bound_ = false;
    path_view_->detach();
    window_.TXT_NOMEFILE.view.reset();
    window_.PROGRESS_BAR.on_repaint = nullptr;
}

void ImportView::build() {
    toolbar_ = addToolBar("toolbar");
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    import_action_ = toolbar_->addAction(QString());
    history_action_ = toolbar_->addAction(QString());
    connect(import_action_, &QAction::triggered, this, [this] { press_import(); });
    connect(history_action_, &QAction::triggered, this, [this] { press_history(); });

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->addWidget(build_file_frame(), 0, 0, 1, 2);
    grid->addWidget(build_info_frame(), 1, 0, 3, 1);
    grid->addWidget(build_period_frame(), 1, 1);
    grid->addWidget(build_tables_frame(), 2, 1);
    grid->addWidget(build_member_frame(), 3, 1);
    grid->addWidget(build_notice(), 4, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    setCentralWidget(central);

    progress_caption_ = new QLabel(qtext(window_.PROGRESS_BAR.caption), this);
    progress_ = new QProgressBar(this);
    statusBar()->addWidget(progress_caption_);
    statusBar()->addWidget(progress_, 1);
}

QWidget* ImportView::build_file_frame() {
    auto* frame = new QGroupBox(this);
    frames_[frame] = &window_.FRAME_FILE.caption;
    auto* row = new QHBoxLayout(frame);
    path_ = new QLineEdit(frame);
    path_->setObjectName("TXT_NOMEFILE");
    path_->setClearButtonEnabled(true);
    browse_ = new QToolButton(frame);
    browse_->setText("...");
    browse_->setToolTip("Choose the import file");
    // Clicking it must not take the focus out of the box, which would confirm the text.
    browse_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(path_, 1);
    row->addWidget(browse_);
    connect(path_, &QLineEdit::returnPressed, this, [this] { confirm_path(); });
    // Leaving the box confirms a changed text, but not again the one just refused.
    connect(path_, &QLineEdit::editingFinished, this, [this] {
        if (path_->isModified() && path_->text() != refused_) confirm_path();
    });
    connect(browse_, &QToolButton::clicked, this, [this] { browse(); });
    return frame;
}

QLineEdit* ImportView::add_text_box(const char* name, module::TextBox& box) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    for (const BoxWidth& width : kBoxWidths)
        if (std::string(width.name) == name)
            edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance('0') * width.characters +
                                  edit->fontMetrics().height());
    text_boxes_[name] = {edit, &box};
    return edit;
}

QCheckBox* ImportView::add_check_box(const char* name, module::CheckBox& box) {
    auto* check = new QCheckBox(this);
    check->setObjectName(name);
    check_boxes_[name] = {check, &box};
    // A box the window enables is the user's to change; the window reads its value.
    connect(check, &QCheckBox::clicked, this, [this, check, &box] {
        box.value = check->checkState() == Qt::Checked ? 1 : 0;
        sync();
    });
    return check;
}

QWidget* ImportView::build_info_frame() {
    auto* frame = new QGroupBox(this);
    frames_[frame] = &window_.FRAME_INFOCOLL.caption;
    auto* grid = new QGridLayout(frame);
    const auto label = [&](const module::Label& caption) {
        auto* l = new QLabel(frame);
        labels_[l] = &caption.caption;
        return l;
    };
    grid->addWidget(label(window_.LBL_DATAEXP), 0, 0);
    grid->addWidget(add_text_box("TXT_DATAEXP", window_.TXT_DATAEXP), 0, 1);
    grid->addWidget(label(window_.LBL_UTEXP), 0, 2);
    grid->addWidget(add_text_box("TXT_UTEXP", window_.TXT_UTEXP), 0, 3);
    grid->addWidget(label(window_.LBL_AZIEXP), 0, 4);
    grid->addWidget(add_text_box("TXT_AZIEXP", window_.TXT_AZIEXP), 0, 5);
    grid->addWidget(label(window_.LBL_CODANAEXP), 1, 0);
    grid->addWidget(add_text_box("TXT_CODANAEXP", window_.TXT_CODANAEXP), 1, 1);
    grid->addWidget(label(window_.LBL_RAGSOCEXP), 2, 0);
    grid->addWidget(add_text_box("TXT_RAGSOCEXP", window_.TXT_RAGSOCEXP), 2, 1, 1, 5);
    grid->addWidget(label(window_.LBL_INDEXP), 3, 0);
    grid->addWidget(add_text_box("TXT_INDEXP", window_.TXT_INDEXP), 3, 1, 1, 5);
    auto* town = new QHBoxLayout;
    town->addWidget(add_text_box("TXT_CAPEXP", window_.TXT_CAPEXP), 1);
    town->addWidget(add_text_box("TXT_CITTAEXP", window_.TXT_CITTAEXP), 4);
    town->addWidget(add_text_box("TXT_PROVEXP", window_.TXT_PROVEXP), 1);
    grid->addLayout(town, 4, 1, 1, 5);
    grid->addWidget(label(window_.LBL_CFISCEXP), 5, 0);
    grid->addWidget(add_text_box("TXT_CFISCEXP", window_.TXT_CFISCEXP), 5, 1, 1, 2);
    grid->addWidget(label(window_.LBL_PIVAEXP), 5, 3);
    grid->addWidget(add_text_box("TXT_PIVAEXP", window_.TXT_PIVAEXP), 5, 4, 1, 2);
    grid->setRowStretch(6, 1);
    return frame;
}

QWidget* ImportView::build_period_frame() {
    auto* frame = new QGroupBox(this);
    frames_[frame] = &window_.FRAME_LIMITI.caption;
    auto* grid = new QGridLayout(frame);
    const std::pair<const module::Label*, std::pair<const char*, module::TextBox*>> dates[] = {
        {&window_.LBL_DADATA, {"TXT_DADATA", &window_.TXT_DADATA}},
        {&window_.LBL_ADATA, {"TXT_ADATA", &window_.TXT_ADATA}}};
    int row = 0;
    for (const auto& [caption, box] : dates) {
        auto* l = new QLabel(frame);
        labels_[l] = &caption->caption;
        QLineEdit* edit = add_text_box(box.first, *box.second);
        edit->setAlignment(Qt::AlignHCenter);
        grid->addWidget(l, row, 0);
        grid->addWidget(edit, row++, 1);
    }
    grid->addWidget(add_check_box("CHK_ESTRATTI", window_.CHK_ESTRATTI), row, 0, 1, 2);
    return frame;
}

QWidget* ImportView::build_tables_frame() {
    auto* frame = new QGroupBox(this);
    frames_[frame] = &window_.FRAME_TABELLE.caption;
    auto* grid = new QGridLayout(frame);
    grid->addWidget(add_check_box("CHK_TABSEZ", window_.CHK_TABSEZ), 0, 0);
    grid->addWidget(add_check_box("CHK_TABCAU", window_.CHK_TABCAU), 0, 1);
    grid->addWidget(add_check_box("CHK_TABCODIVA", window_.CHK_TABCODIVA), 1, 0);
    grid->addWidget(add_check_box("CHK_TABPDC", window_.CHK_TABPDC), 1, 1);
    grid->addWidget(add_check_box("CHK_CLIFOR", window_.CHK_CLIFOR), 2, 0);
    grid->addWidget(add_check_box("CHK_GESTCODID", window_.CHK_GESTCODID), 2, 1);
    return frame;
}

QWidget* ImportView::build_member_frame() {
    auto* frame = new QGroupBox(this);
    frames_[frame] = &window_.FRAME_CODAZVPOOL.caption;
    auto* row = new QHBoxLayout(frame);
    auto* l = new QLabel(frame);
    labels_[l] = &window_.LBL_CODANAIMP.caption;
    row->addWidget(l);
    row->addWidget(add_text_box("TXT_CODANAIMP", window_.TXT_CODANAIMP), 1);
    return frame;
}

QWidget* ImportView::build_notice() {
    notice_frame_ = new QGroupBox(this);
    auto* layout = new QVBoxLayout(notice_frame_);
    notice_ = new QLabel(notice_frame_);
    notice_->setObjectName("LBL_HELP");
    notice_->setTextFormat(Qt::RichText);
    notice_->setWordWrap(true);
    notice_->setMinimumHeight(notice_->fontMetrics().lineSpacing() * kNoticeLines);
    layout->addWidget(notice_);
    return notice_frame_;
}

QLineEdit* ImportView::text_box(const std::string& name) const {
    const auto found = text_boxes_.find(name);
    return found == text_boxes_.end() ? nullptr : found->second.first;
}

QCheckBox* ImportView::check_box(const std::string& name) const {
    const auto found = check_boxes_.find(name);
    return found == check_boxes_.end() ? nullptr : found->second.first;
}

template <typename Event>
void ImportView::run_event(Event event) {
    busy_ = true;
    event();
    busy_ = false;
    sync();
}

bool ImportView::confirm_path() {
    if (confirming_ || busy_) return false;
    const std::string text = path_->text().toStdString();
    if (cli::path_has_quote(text)) {
        // Refused before the window sees it: the import history could not record the name.
        Box box;
        box.title = window_.Caption();
        box.text = std::string(cli::kQuoteRefusal) + ".";
        box.icon = Box::Icon::Warning;
        refused_ = path_->text();
        front_end_.ask(box);
        path_->setFocus();
        return false;
    }
    refused_.clear();
    confirming_ = true;
    bool cancel = false;
    run_event([&] {
        window_.TXT_NOMEFILE.text = text;
        path_->setModified(false);
        cancel = window_.TXT_NOMEFILE_Validate();
    });
    confirming_ = false;
    if (cancel) {
        path_->setFocus();
        path_->selectAll();
    }
    return !cancel;
}

void ImportView::browse() {
    if (busy_ || !window_.TXT_NOMEFILE.enabled) return;
    std::string folder = path_view_->folder();
    if (folder.empty()) folder = folder_of(path_->text().toStdString());
    const std::string chosen = front_end_.ChooseImportFile(folder);
    if (chosen.empty()) return;
    path_->setText(qtext(chosen));
    path_->setModified(true);
    confirm_path();
}

void ImportView::press_import() {
    if (busy_) return;
    // A path typed and not yet confirmed is confirmed first, as leaving the box would.
    if (path_->isModified() && !confirm_path()) return;
    run_event([this] { window_.CMD_IMPORTA_ButtonClick(); });
}

void ImportView::press_history() {
    if (busy_) return;
    run_event([this] { window_.CMD_STORICO_ButtonClick(); });
}

void ImportView::sync() {
    setWindowTitle(qtext(window_.Caption()));
    for (const auto& [frame, caption] : frames_) frame->setTitle(qtext(*caption));
    for (const auto& [label, caption] : labels_) label->setText(qtext(*caption));

    const module::PathBox& path = window_.TXT_NOMEFILE;
    if (!path_->isModified() && path_->text() != qtext(path.text)) path_->setText(qtext(path.text));
    path_->setEnabled(path.enabled);
    path_->setVisible(path.visible);
    browse_->setEnabled(path.enabled);
    browse_->setVisible(path.visible);

    for (const auto& [name, bound] : text_boxes_) {
        const auto& [edit, box] = bound;
        if (edit->text() != qtext(box->text)) edit->setText(qtext(box->text));
        edit->setEnabled(box->enabled);
        edit->setVisible(box->visible);
    }
    for (const auto& [name, bound] : check_boxes_) {
        const auto& [check, box] = bound;
        check->setText(qtext(box->caption));
        check->setCheckState(check_state(box->value));
        check->setEnabled(box->enabled);
        check->setVisible(box->visible);
    }
    set_caption(*import_action_, window_.CMD_IMPORTA.caption);
    import_action_->setEnabled(window_.CMD_IMPORTA.enabled);
    set_caption(*history_action_, window_.CMD_STORICO.caption);
    history_action_->setEnabled(window_.CMD_STORICO.enabled);
    notice_frame_->setTitle(qtext(window_.LBL_HELP.caption));
    notice_->setText(notice_html(window_.LBL_HELP.text));
    sync_progress();
}

void ImportView::sync_progress() {
    const module::ProgressBar& bar = window_.PROGRESS_BAR;
    progress_caption_->setText(qtext(bar.caption));
    progress_caption_->setVisible(bar.visible);
    progress_->setVisible(bar.visible);
    progress_->setRange(to_int(bar.min), std::max(to_int(bar.min), to_int(bar.max)));
    progress_->setValue(std::clamp(to_int(bar.value), progress_->minimum(), progress_->maximum()));
    if (window_.MousePointer == module::kPointerHourglass)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void ImportView::closeEvent(QCloseEvent* event) {
    // Not while an event runs; and the window (or its host) may refuse.
    if (busy_ || !session_.close()) {
        event->ignore();
        if (!busy_) sync();
        return;
    }
    unbind();
    event->accept();
}

void ImportView::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && bound_ && !busy_ &&
        session_.is_open()) {
        window_.Activate();
        sync();
    }
}

void ImportView::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (bound_ && session_.is_open()) window_.QRV_RESIZEFORM_Resize();
}

}  // namespace gui
