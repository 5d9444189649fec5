#include "module/import_window.h"

#include <memory>

#include "history/history_window.h"
#include "host/global_services.h"
#include "importfile/file_opener.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "proposal/account_proposal.h"

namespace module {

namespace {

// The company's statement/portfolio indicators are compared with 1; a missing or
// non-numeric one is not 1.
bool equals_one(const ado::Variant& v) {
    return suppress_or(false, [&] { return v.is_numeric() && v.to_decimal() == ado::Decimal(1); });
}

constexpr int kStatementPortfolioIndicators = 4;

}  // namespace

ImportWindow::ImportWindow(ModuleContext& context) : ImportWindowShell(context), log_(context) {
    log_.set_caller(this);
}

ImportWindow::~ImportWindow() = default;

std::int32_t ImportWindow::VisualizzaErrore(const host::ErrorInfo& error,
                                            std::string_view procedure) noexcept {
    ++outcome_.errors_reported;
    return ImportWindowShell::VisualizzaErrore(error, procedure);
}

std::int16_t ImportWindow::ShowMessage(const Message& message) noexcept {
    suppress([&] {
        outcome_.message_id = message.code;
        outcome_.message_text =
            FormatMessageText(StringTableEntry(message.code).value_or(""), message.p1, message.p2);
    });
    return module::ShowMessage(context(), Caption(), message);
}

void ImportWindow::PuliziaComponenti() noexcept {
    ErrorTrap trap(*this, "PuliziaComponenti");
    trap.run([&] {
        for (TextBox* box :
             {&TXT_DATAEXP, &TXT_UTEXP, &TXT_AZIEXP, &TXT_CODANAEXP, &TXT_CFISCEXP, &TXT_PIVAEXP,
              &TXT_RAGSOCEXP, &TXT_INDEXP, &TXT_CAPEXP, &TXT_CITTAEXP, &TXT_PROVEXP})
            box->text.clear();
        for (TextBox* box : {&TXT_DADATA, &TXT_ADATA}) {
            box->text.clear();
            box->enabled = false;
        }
        for (CheckBox* box : {&CHK_ESTRATTI, &CHK_TABSEZ, &CHK_TABPDC, &CHK_TABCAU, &CHK_TABCODIVA,
                              &CHK_CLIFOR, &CHK_GESTCODID}) {
            box->value = 0;
            box->enabled = false;
        }
        CHK_GESTCODID.visible = false;
        TXT_CODANAIMP.text.clear();
        TXT_CODANAIMP.enabled = false;
    });
}

bool ImportWindow::company_manages_statements_or_portfolio() {
    const std::shared_ptr<host::CompanyObject> company =
        cls_global(need(ModuleObject(), "module object")).Company();
    const host::CompanyObject& object = need(company, "ClsGlobal.Company");
    bool any = false;
    for (int i = 1; i <= kStatementPortfolioIndicators; ++i)
        any = equals_one(object.StatementPortfolioIndicator(i)) || any;
    return any;
}

void ImportWindow::FirstActivationBeforeRegistration(ErrorTrap& trap) noexcept {
    begin_event();
    proposal::AccountProposal(*this).CreaRecordSetPropostaConti();
    if (!trap.run([&] { CMD_IMPORTA.enabled = false; })) return;
    if (!trap.run([&] { LBL_HELP.text = kNotice; })) return;
    trap.run([&] {
        if (!company_manages_statements_or_portfolio()) return;
        Message message{.kind = kKindPlainSevere, .code = kMsgStatementsPortfolio};
        message.p1 = std::string(kLineBreak);
        ShowMessage(message);
        import_.statements_portfolio = true;
    });
}

void ImportWindow::FirstActivationAfterRegistration(ErrorTrap& trap) noexcept {
    importfile::FileOpener(*this).ImpostaSuggerimentoUltimoFolder();
    trap.run([&] { QRV_RESIZEFORM.Initialise(); });
}

bool ImportWindow::TXT_NOMEFILE_Validate() noexcept {
    begin_event();
    bool cancel = false;
    ErrorTrap trap(*this, "TXT_NOMEFILE_Validate");
    trap.run([&] { importfile::FileOpener(*this).ApreFileDaImportare(cancel); });
    outcome_.file_accepted = import_.file_accepted;
    return cancel;
}

void ImportWindow::TXT_NOMEFILE_Notification() noexcept {
    suppress([&] { TXT_NOMEFILE.Refresh(); });
}

void ImportWindow::CMD_IMPORTA_ButtonClick() noexcept {
    if (!CMD_IMPORTA.enabled) return;
    begin_event();
    import_.import_header_id = 0;
    ImportCommand(*this).Run(outcome_);
    outcome_.import_id = import_.import_header_id;
}

void ImportWindow::CMD_STORICO_ButtonClick() noexcept {
    if (!CMD_STORICO.enabled) return;
    begin_event();
    ErrorTrap trap(*this, "CMD_STORICO_ButtonClick");
    std::unique_ptr<history::HistoryWindow> window;
    if (!trap.run([&] {
            window = std::make_unique<history::HistoryWindow>(context());
            window->FinestraChiamante = this;
        }))
        return;
    if (!trap.run([&] { window->Show(true); })) return;
    if (!trap.run([&] {
            window->Unload();  // a front end that returned without closing it
            window->FinestraChiamante = nullptr;
            window.reset();
        }))
        return;
    importfile::FileOpener(*this).ImpostaSuggerimentoUltimoFolder();
}

void ImportWindow::MdiFrameHost1_Placement() noexcept {
    suppress([&] {
        host::Cinterface& module = need(ModuleObject(), "module object");
        MdiFrameHost1.left = module.Left().to_long();
        MdiFrameHost1.top = module.Top().to_long();
        MdiFrameHost1.width = kContainerWidth;
        MdiFrameHost1.height = kContainerHeight;
        ++MdiFrameHost1.moves;
        MdiFrameHost1.window_state = module.WindowState();
        MdiFrameHost1.display_flags[0] = true;
        MdiFrameHost1.display_flags[1] = true;
    });
}

void ImportWindow::QRV_RESIZEFORM_Resize() noexcept {
    for (const char* frame :
         {"FRAME_FILE", "FRAME_INFOCOLL", "FRAME_LIMITI", "FRAME_TABELLE", "FRAME_CODAZVPOOL"})
        suppress([&] { QRV_RESIZEFORM.Resize(frame, kResizeMode); });
}

void ImportWindow::OnUnload() noexcept {
    // The window's own record sets, log and file go first, then what the shell releases.
    log_.EliminaTabellaLogTemporanea();
    import_.release();
    ImportWindowShell::OnUnload();
}

}  // namespace module
