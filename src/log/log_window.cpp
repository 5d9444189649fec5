#include "log/log_window.h"

#include <array>

#include "host/components.h"
#include "host/window_services.h"
#include "log/log_states.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/module_window.h"

namespace importlog {

namespace {

using module::GridAlign;

struct ColumnLayout {
    const char* caption;
    const char* field;
    long width;
    GridAlign heading;
    GridAlign cell;
};

constexpr std::array<ColumnLayout, 6> kColumns = {{
    {"Prog", "PROGR", 510, GridAlign::Centre, GridAlign::Centre},
    {"Livello", "LIVELLO", 615, GridAlign::Centre, GridAlign::Centre},
    {"Tipo", "TABELLA", 1320, GridAlign::Centre, GridAlign::Left},
    {"Risultato", "STATO", 1500, GridAlign::Centre, GridAlign::Left},
    {"Descrizione", "CHIAVE", 2970, GridAlign::Left, GridAlign::Left},
    {"Segnalazione", "ERRORE", 7620, GridAlign::Left, GridAlign::Left},
}};

struct FilterStep {
    const char* caption;
    std::string filter;
};

FilterStep filter_step(int state) {
    switch (state) {
        case 0:
            return {LogWindow::kErrorsCaption, error_state_filter()};
        case 1:
            return {"Esistenti", "STATO = " + std::to_string(kExisting)};
        case 2:
            return {"Nuovi record", "STATO = " + std::to_string(kInserted)};
        default:
            return {"Tutti i record", ""};
    }
}

constexpr int kFitBoth = 15;
constexpr int kKeepCorner = 12;

}  // namespace

LogWindow::LogWindow(module::ModuleContext& context) : Form(context, kObjectName, kCaption) {
    GRID_LOG.DataFormatEXT = [this](const std::string& field, std::string& text) {
        GRID_LOG_DataFormatEXT(field, text);
    };
}

LogWindow::~LogWindow() {
    Unload();
}

module::ErrorReporter& LogWindow::reporter() const noexcept {
    if (FinestraChiamante) return *FinestraChiamante;
    return context();
}

void LogWindow::OnLoad() noexcept {
    activated_ = false;
    CreaLayoutGrigliaLog();
}

void LogWindow::CreaLayoutGrigliaLog() noexcept {
    module::ErrorTrap trap(reporter(), "CreaLayoutGrigliaLog");
    if (!trap.run([&] {
            module::PrepareGridLayout(GRID_LOG, context().module_object(),
                                      FinestraChiamante ? FinestraChiamante->ActiveDll() : nullptr, "PROGR",
                                      false);
        }))
        return;
    for (const ColumnLayout& c : kColumns) {
        if (!trap.run([&] {
                GRID_LOG.AddColumn(
                    {.field = c.field, .caption = c.caption, .kind_value = 1, .width = c.width});
            }))
            return;
    }
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        if (!trap.run([&] { GRID_LOG.columns.at(i).heading_alignment = kColumns[i].heading; })) return;
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        if (!trap.run([&] { GRID_LOG.columns.at(i).cell_alignment = kColumns[i].cell; })) return;
    trap.run([&] { GRID_LOG.Finish(); });
}

void LogWindow::OnActivate() noexcept {
    if (activated_) return;
    module::ErrorTrap trap(reporter(), "Form_Activate");
    if (!trap.run([&] { LBL_FILTRO.caption.clear(); })) return;
    if (!trap.run([&] { GRID_LOG.SetDataSource(RecordSetLog); })) return;
    if (!trap.run([&] { file_system_ = std::make_unique<module::FileSystemObject>(); })) return;
    if (!trap.run([&] { TXT_LOG.text = TestoLog; })) return;
    activated_ = true;
    if (!trap.run([&] { QRV_RESIZEFORM.Initialise(); })) return;
    CMD_FILTRO_ButtonClick();
}

void LogWindow::CMD_FILTRO_ButtonClick() noexcept {
    module::ErrorTrap trap(reporter(), "CMD_FILTRO_ButtonClick");
    const FilterStep step = filter_step(filter_state_);
    if (!trap.run([&] { module::need(RecordSetLog, "RecordSetLog").SetFilter(step.filter); })) return;
    filter_state_ = (filter_state_ + 1) % 4;
    if (!trap.run([&] { LBL_FILTRO.caption = step.caption; })) return;
    if (!trap.run([&] { GRID_LOG.Refresh(); })) return;
    trap.run([&] { active_control = "CMD_CHIUDI"; });
}

void LogWindow::CMD_VIEW_ButtonClick() noexcept {
    module::ErrorTrap trap(reporter(), "CMD_VIEW_ButtonClick");
    trap.run([&] {
        text_on_top_ = !text_on_top_;
        GRID_LOG.on_top = !text_on_top_;
        TXT_LOG.on_top = text_on_top_;
    });
}

void LogWindow::CMD_SALVA_ButtonClick() noexcept {
    module::ErrorTrap trap(reporter(), "CMD_SALVA_ButtonClick");
    host::Components* classes = nullptr;
    std::shared_ptr<host::FileObject> file;
    std::shared_ptr<host::FolderObject> folder;
    std::shared_ptr<host::PathObject> path;
    std::string folder_text, full_path;
    if (!trap.run([&] { classes = &module::host_classes(context().module_object()); })) return;
    if (!trap.run([&] { file = module::created(classes->CreateFileObject(), "the file object"); })) return;
    if (!trap.run([&] { file->SetProposedName(kProposedFileName); })) return;
    if (!trap.run([&] { file->SetOptionFlag(true); })) return;
    if (!trap.run([&] { file->Prepare(1); })) return;
    if (!trap.run([&] { folder = module::created(classes->CreateFolderObject(), "the folder object"); }))
        return;
    if (!trap.run([&] { folder_text = folder->Call("txt"); })) return;
    if (!trap.run([&] { path = module::created(classes->CreatePathObject(), "the path object"); })) return;
    if (!trap.run([&] { path->Initialise(12, folder_text, "", 0); })) return;
    if (!trap.run([&] { full_path = path->FullPath(); })) return;
    // A host whose dialog was cancelled gives no path: nothing is written.
    if (!full_path.empty()) {
        if (!trap.run(
                [&] { module::need(file_system_.get(), "file system").WriteAnsiText(full_path, TestoLog); }))
            return;
    }
    if (!trap.run([&] { path->TakeDocument(file->Document(), true); })) return;
    if (!trap.run([&] { folder->TakePath(path, true); })) return;
    if (!trap.run([&] { file->Release(); })) return;
    if (!trap.run([&] { folder->Release(); })) return;
    trap.run([&] { path->Release(); });
}

void LogWindow::CMD_CHIUDI_ButtonClick() noexcept {
    module::suppress([&] { Unload(); });
}

void LogWindow::QRV_RESIZEFORM_Resize() noexcept {
    for (const char* control : {"TXT_LOG", "GRID_LOG"})
        module::suppress([&] { QRV_RESIZEFORM.Resize(control, kFitBoth); });
    for (const char* control : {"CMD_FILTRO", "CMD_VIEW", "CMD_SALVA", "CMD_CHIUDI"})
        module::suppress([&] { QRV_RESIZEFORM.Resize(control, kKeepCorner); });
}

void LogWindow::GRID_LOG_DataFormatEXT(const std::string& field, std::string& text) noexcept {
    module::suppress([&] {
        if (field == "STATO")
            text = state_caption(text);
        else if (field == "TABELLA")
            text = table_caption(text);
    });
}

void LogWindow::OnUnload() noexcept {
    module::suppress([&] {
        file_system_.reset();
        GRID_LOG.SetDataSource(nullptr);
    });
}

}  // namespace importlog
