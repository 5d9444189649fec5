#pragma once
// FRMCG_STORICO, "Elenco importazioni": the journal imports this module made into the
// current company, newest first, with the member company's name; read-only. CMD_STORICO of
// the import window creates it, sets FinestraChiamante and shows it modally; a front end
// reads GRID_STORICO and presses CMD_CHIUDI.
#include <cstdint>
#include <string>

#include "ado/recordset.h"
#include "ado/sqltext.h"
#include "modulebase/controls.h"
#include "modulebase/form.h"
#include "modulebase/grid.h"

namespace module {
class ErrorReporter;
class ModuleWindow;
}  // namespace module

namespace history {

class HistoryWindow final : public module::Form {
  public:
    static constexpr const char* kObjectName = "FRMCG_STORICO";
    static constexpr const char* kCaption = "Elenco importazioni";

    explicit HistoryWindow(module::ModuleContext& context);
    ~HistoryWindow() override;

    // Set by the opener before the window is shown.
    module::ModuleWindow* FinestraChiamante = nullptr;

    module::Grid GRID_STORICO;
    module::Button CMD_CHIUDI{.caption = "&Chiudi"};
    module::ResizeManager QRV_RESIZEFORM;

    // Runs the history query (once per opening) and binds the grid.
    void PopolaGrigliaStorico() noexcept;
    void CreaLayoutGrigliaStorico() noexcept;
    void CMD_CHIUDI_ButtonClick() noexcept;
    void QRV_RESIZEFORM_Resize() noexcept;
    // The grid's cell text: a stored file name "a|b|path" shows its third part.
    void GRID_STORICO_DataFormatEXT(const std::string& field, std::string& text) noexcept;

    bool activated() const noexcept { return activated_; }
    const ado::RecordsetPtr& history() const noexcept { return history_; }

    // The history query for a company.
    static ado::SqlText Query(std::int32_t company_code);

  protected:
    void OnLoad() noexcept override;
    void OnActivate() noexcept override;
    void OnQueryUnload(bool&) noexcept override {}
    void OnUnload() noexcept override;

  private:
    module::ErrorReporter& reporter() const noexcept;

    ado::RecordsetPtr history_;
    bool activated_ = false;
};

}  // namespace history
