#include "history/history_window.h"

#include <array>
#include <vector>

#include "ado/connection.h"
#include "importfile/import_kinds.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/module_window.h"
#include "modulebase/routines.h"

namespace history {

namespace {

using module::GridAlign;
using module::GridColumn;
using Kind = GridColumn::Kind;

struct ColumnLayout {
    int group;
    const char* caption;
    const char* field;
    Kind kind;
    int kind_value;
    long width;
    bool shown;
    GridAlign heading;
    GridAlign cell;
    const char* format;
};

constexpr GridAlign L = GridAlign::Left;
constexpr GridAlign R = GridAlign::Right;
constexpr GridAlign C = GridAlign::Centre;

constexpr std::array<const char*, 5> kGroups = {"", "Dati generali", "Estratti", "Tabelle transcodificate",
                                                "File"};

constexpr std::array<ColumnLayout, 16> kColumns = {{
    {0, "Id", "IE42_ID", Kind::Text, 1, 1245, false, C, R, ""},
    {0, "Tipo", "IE42_INDPROVIMP", Kind::Decoded, 1, 1095, false, C, L, ""},
    {0, "Azienda", "IE42_DITTA_CG18", Kind::Text, 12, 795, false, C, R, ""},
    {0, "Data e ora", "IE42_DATAORA", Kind::Text, 1, 1725, true, C, C, "dd/mm/yyyy hh:nn:ss"},
    {1, "Utente", "IE42_UTENTE", Kind::Text, 1, 1215, true, C, L, ""},
    {1, "Azienda rif.", "IE42_AZIENDARIF", Kind::Text, 1, 1245, true, C, R, ""},
    {1, "Ragione sociale", "CG16_RAGSOANAG", Kind::Text, 1, 4650, true, L, L, ""},
    {1, "Codice sede", "IE42_CODSEDE_CG31", Kind::Text, 1, 1050, false, C, R, ""},
    {1, "Da data", "IE42_DADATA", Kind::Text, 1, 1020, true, C, C, ""},
    {1, "A data", "IE42_ADATA", Kind::Text, 1, 1020, true, C, C, ""},
    {2, "Estratti", "IE42_FLGESTRATTI", Kind::CheckBox, 1, 705, true, C, C, ""},
    {3, "Sezionali", "IE42_FLGSEZ", Kind::CheckBox, 1, 795, true, C, C, ""},
    {3, "PdC", "IE42_FLGPDC", Kind::CheckBox, 1, 690, true, C, C, ""},
    {3, "Causali", "IE42_FLGCAU", Kind::CheckBox, 1, 690, true, C, C, ""},
    {3, "Cod.IVA", "IE42_FLGCODIVA", Kind::CheckBox, 1, 780, true, C, C, ""},
    {4, "Nome file", "IE42_NOMEFILE", Kind::Text, 1, 15915, true, L, L, ""},
}};

constexpr int kFitBoth = 15;
constexpr int kKeepCorner = 12;

}  // namespace

HistoryWindow::HistoryWindow(module::ModuleContext& context) : Form(context, kObjectName, kCaption) {
    GRID_STORICO.DataFormatEXT = [this](const std::string& field, std::string& text) {
        GRID_STORICO_DataFormatEXT(field, text);
    };
}

HistoryWindow::~HistoryWindow() {
    Unload();
}

module::ErrorReporter& HistoryWindow::reporter() const noexcept {
    if (FinestraChiamante) return *FinestraChiamante;
    return context();
}

ado::SqlText HistoryWindow::Query(std::int32_t company_code) {
    ado::SqlText sql;
    sql.line(" SELECT IE42_IMPCOGE.*")
        .line("     , CAST(LTRIM(RTRIM(CG16_RAGSOANAG)) +")
        .line("         CASE WHEN LTRIM(RTRIM(ISNULL(CG16_RAGSOANAGEX, ''))) <> ''")
        .line("             THEN ' ' + LTRIM(RTRIM(CG16_RAGSOANAGEX))")
        .line("                 ELSE ''")
        .line("                     END AS VARCHAR(500)) AS CG16_RAGSOANAG")
        .line(" FROM IE42_IMPCOGE WITH (NOLOCK)")
        .line(" LEFT OUTER JOIN VCG16_ANAGGEN AS CG16")
        .line("     ON CG16.CG16_CODICE = IE42_AZIENDARIF")
        .line("         AND IE42_DATAORA BETWEEN ISNULL(CG16.INIZIOVALIDITATOT, '17530101')")
        .line("             AND ISNULL(CG16.FINEVALIDITATOT, '99991231')")
        .line(" WHERE IE42_DITTA_CG18 = ")
        .number(company_code);
    sql.line("     AND IE42_INDPROVIMP = 1").line(" ORDER BY IE42_DATAORA DESC");
    return sql;
}

void HistoryWindow::OnLoad() noexcept {
    activated_ = false;
    CreaLayoutGrigliaStorico();
}

void HistoryWindow::CreaLayoutGrigliaStorico() noexcept {
    module::ErrorTrap trap(reporter(), "CreaLayoutGrigliaStorico");
    std::vector<std::pair<ado::Variant, std::string>> kinds;
    if (!trap.run([&] {
            for (const auto& row : importfile::GetDecodifica_IE42_INDPROVIMP())
                kinds.emplace_back(row[0], row[1].text_or_empty());
        }))
        return;
    if (!trap.run([&] {
            module::PrepareGridLayout(GRID_STORICO, context().module_object(),
                                      FinestraChiamante ? FinestraChiamante->ActiveDll() : nullptr, "IE42_ID",
                                      true);
        }))
        return;
    int open_group = -1;
    for (const ColumnLayout& c : kColumns) {
        if (!trap.run([&] {
                if (c.group != open_group)
                    GRID_STORICO.AddGroup(kGroups.at(static_cast<std::size_t>(c.group)));
                open_group = c.group;
                GridColumn column{.field = c.field,
                                  .caption = c.caption,
                                  .kind = c.kind,
                                  .kind_value = c.kind_value,
                                  .width = c.width,
                                  .shown = c.shown,
                                  .format = c.format};
                if (c.kind == Kind::Decoded) column.values = kinds;
                GRID_STORICO.AddColumn(std::move(column));
            }))
            return;
    }
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        if (!trap.run([&] { GRID_STORICO.columns.at(i).heading_alignment = kColumns[i].heading; })) return;
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        if (!trap.run([&] { GRID_STORICO.columns.at(i).cell_alignment = kColumns[i].cell; })) return;
    trap.run([&] { GRID_STORICO.Finish(); });
}

void HistoryWindow::OnActivate() noexcept {
    if (activated_) return;
    module::ErrorTrap trap(reporter(), "Form_Activate");
    PopolaGrigliaStorico();
    activated_ = true;
    trap.run([&] { QRV_RESIZEFORM.Initialise(); });
}

void HistoryWindow::PopolaGrigliaStorico() noexcept {
    if (activated_) return;
    module::ErrorTrap trap(reporter(), "PopolaGrigliaStorico");
    ado::RecordsetPtr result;
    if (!trap.run([&] {
            const module::ModuleState& state = context().state();
            result = module::need(state.connection, "module connection")
                         .Execute(Query(state.company.company_code));
        }))
        return;
    if (!trap.run([&] {
            module::ChiudiRecordset(history_);
            history_ = result;
            GRID_STORICO.SetDataSource(history_);
        }))
        return;
    trap.run([&] { GRID_STORICO.Refresh(); });
}

void HistoryWindow::CMD_CHIUDI_ButtonClick() noexcept {
    module::suppress([&] { Unload(); });
}

void HistoryWindow::QRV_RESIZEFORM_Resize() noexcept {
    module::suppress([&] { QRV_RESIZEFORM.Resize("GRID_STORICO", kFitBoth); });
    module::suppress([&] { QRV_RESIZEFORM.Resize("CMD_CHIUDI", kKeepCorner); });
}

void HistoryWindow::GRID_STORICO_DataFormatEXT(const std::string& field, std::string& text) noexcept {
    module::ErrorTrap trap(reporter(), "GRID_STORICO_DataFormatEXT");
    trap.run([&] {
        if (field != "IE42_NOMEFILE" || text.find('|') == std::string::npos) return;
        std::vector<std::string> parts;
        std::size_t start = 0;
        for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
            parts.push_back(text.substr(start, bar - start));
            start = bar + 1;
        }
        parts.push_back(text.substr(start));
        if (parts.size() >= 3) text = module::TrimStringa(ado::Variant(parts[2])).empty() ? "" : parts[2];
    });
}

void HistoryWindow::OnUnload() noexcept {
    module::suppress([&] { FinestraChiamante = nullptr; });
    module::suppress([&] {
        GRID_STORICO.SetDataSource(nullptr);
        module::ChiudiRecordset(history_);
    });
}

}  // namespace history
