#pragma once
// FRMCG_LEDGERINTAKE, the import window, as a view model: its controls (named as the window
// names them, see modulebase/import_window_controls.h), its events and the window procedures
// that the import's procedures share (ShowMessage, PuliziaComponenti, VisualizzaErrore).
//
// The module object's ShowForm creates, loads and activates it. A front end reaches it
// with dynamic_cast<module::ImportWindow*>(object.CurrentWindow()) and drives it as a
// person would:
//
//     window->TXT_NOMEFILE.text = "/data/export.xml";
//     bool cancel = window->TXT_NOMEFILE_Validate();     // messages go through the host
//     if (window->CMD_IMPORTA.enabled) window->CMD_IMPORTA_ButtonClick();
//     ImportOutcome outcome = window->last_outcome();
//
// Load, close and unload are the shell's (modulebase/import_window_shell.h).
#include <cstdint>

#include "importfile/import_state.h"
#include "importfile/window_context.h"
#include "log/import_log.h"
#include "module/import_command.h"
#include "modulebase/import_window_controls.h"
#include "modulebase/import_window_shell.h"
#include "modulebase/string_table.h"

namespace module {

class ImportWindow final : public ImportWindowShell,
                           public ImportWindowControls,
                           public importfile::ImportWindowContext {
  public:
    // The notice shown in LBL_HELP, two paragraphs.
    static constexpr const char* kNotice =
        "I movimenti saranno importati con la stampa dei registri IVA e la stampa del giornale bollato "
        "effettuate per impedire la modifica delle registrazioni nel gruppo.\r\n"
        "Eventuali modifiche alle registrazioni devono essere eseguite nelle singole aziende aderenti "
        "e reimportate nel gruppo previa eliminazione eseguita con il programma: Eliminazione movimenti "
        "importati gruppo IVA.";
    // Size of the window inside the host's frame (twips).
    static constexpr long kContainerWidth = 10770;
    static constexpr long kContainerHeight = 6630;
    static constexpr int kResizeMode = 3;

    explicit ImportWindow(ModuleContext& context);
    ~ImportWindow() override;

    // Events of the controls.
    // TXT_NOMEFILE confirmed: opens and checks the file. Returns the cancel flag (true: the
    // file was refused and the focus stays in the path box).
    bool TXT_NOMEFILE_Validate() noexcept;
    // The path box's first event: it refreshes its display.
    void TXT_NOMEFILE_Notification() noexcept;
    // Runs the import (nothing when the button is disabled).
    void CMD_IMPORTA_ButtonClick() noexcept;
    // Shows the import history (FRMCG_STORICO) modally, then proposes the last folder again.
    void CMD_STORICO_ButtonClick() noexcept;
    // The container places the window inside the host's frame.
    void MdiFrameHost1_Placement() noexcept;
    // The window was resized.
    void QRV_RESIZEFORM_Resize() noexcept;

    // What the last event came to (first activation, path validation or a command).
    ImportOutcome last_outcome() const { return outcome_; }
    // The current company manages account statements or portfolio (message 105).
    bool statements_portfolio() const noexcept { return import_.statements_portfolio; }

    // Window procedures.
    std::int16_t ShowMessage(const Message& message) noexcept override;
    void PuliziaComponenti() noexcept override;
    std::int32_t VisualizzaErrore(const host::ErrorInfo& error, std::string_view procedure) noexcept override;

    // The window as the import's procedures see it.
    ModuleContext& module_context() noexcept override { return context(); }
    ErrorReporter& error_reporter() noexcept override { return *this; }
    ImportWindowControls& controls() noexcept override { return *this; }
    importfile::ImportState& import_state() noexcept override { return import_; }
    importlog::ImportLog& import_log() noexcept override { return log_; }
    const host::UtilityObject* utility() const noexcept override { return utility_object(); }

  protected:
    void FirstActivationBeforeRegistration(ErrorTrap& trap) noexcept override;
    void FirstActivationAfterRegistration(ErrorTrap& trap) noexcept override;
    void OnUnload() noexcept override;

  private:
    // True when any of the company's four statement/portfolio indicators equals 1.
    bool company_manages_statements_or_portfolio();
    void begin_event() { outcome_ = ImportOutcome{}; }

    importfile::ImportState import_;
    importlog::ImportLog log_;
    ImportOutcome outcome_;
};

}  // namespace module
