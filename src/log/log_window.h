#pragma once
// FRMCG_LOG, "Visualizzazione log": a closed log with an error row, as a grid with decoded
// table and state texts or as plain text, with four row filters cycled by CMD_FILTRO and
// the text saved to a file. The import log creates it, sets TestoLog, RecordSetLog and
// FinestraChiamante in this order and shows it modally; a front end drives it:
//
//     auto* log = dynamic_cast<importlog::LogWindow*>(&window);   // in Ui::RunModal
//     log->CMD_FILTRO_ButtonClick();        // next filter, LBL_FILTRO names it
//     log->GRID_LOG.CellText(0, 3);         // "Errore"
//     log->CMD_SALVA_ButtonClick();         // through the host's file services
//     log->CMD_CHIUDI_ButtonClick();
#include <memory>
#include <string>

#include "ado/recordset.h"
#include "modulebase/controls.h"
#include "modulebase/form.h"
#include "modulebase/grid.h"
#include "modulebase/text_file.h"

namespace module {
class ErrorReporter;
class ModuleWindow;
}  // namespace module

namespace importlog {

class LogWindow final : public module::Form {
  public:
    static constexpr const char* kObjectName = "FRMCG_LOG";
    static constexpr const char* kCaption = "Visualizzazione log";
    static constexpr const char* kProposedFileName = "logimpcoge.txt";
    static constexpr const char* kErrorsCaption = "Errori generici/Errori transcodifiche";

    explicit LogWindow(module::ModuleContext& context);
    ~LogWindow() override;

    // Set by the opener before the window is shown.
    std::string TestoLog;
    ado::RecordsetPtr RecordSetLog;
    module::ModuleWindow* FinestraChiamante = nullptr;

    module::Grid GRID_LOG;
    module::RichTextBox TXT_LOG;
    module::Button CMD_FILTRO{.caption = "&Filtro"};
    module::Button CMD_VIEW{.caption = "&Vista"};
    module::Button CMD_SALVA{.caption = "&Salva"};
    module::Button CMD_CHIUDI{.caption = "&Chiudi"};
    module::Label LBL_FILTRO;
    module::ResizeManager QRV_RESIZEFORM;
    // The control that has the focus ("" until one is given it).
    std::string active_control;

    // Applies the next filter to RecordSetLog and names it in LBL_FILTRO.
    void CMD_FILTRO_ButtonClick() noexcept;
    // Brings the grid or the text to the front, in turn.
    void CMD_VIEW_ButtonClick() noexcept;
    // Writes TestoLog, whatever the filter, where the host's file services say.
    void CMD_SALVA_ButtonClick() noexcept;
    void CMD_CHIUDI_ButtonClick() noexcept;
    void QRV_RESIZEFORM_Resize() noexcept;
    // The grid's cell text: STATO and TABELLA decoded.
    void GRID_LOG_DataFormatEXT(const std::string& field, std::string& text) noexcept;

    bool activated() const noexcept { return activated_; }
    bool text_on_top() const noexcept { return text_on_top_; }
    // Which filter the next press of CMD_FILTRO applies (0 to 3).
    int filter_state() const noexcept { return filter_state_; }

  protected:
    void OnLoad() noexcept override;
    void OnActivate() noexcept override;
    void OnQueryUnload(bool&) noexcept override {}
    void OnUnload() noexcept override;

  private:
    void CreaLayoutGrigliaLog() noexcept;
    module::ErrorReporter& reporter() const noexcept;

    std::unique_ptr<module::FileSystemObject> file_system_;
    bool activated_ = false;
    bool text_on_top_ = false;
    int filter_state_ = 0;
};

}  // namespace importlog
