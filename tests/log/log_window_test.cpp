// The log window over a log record set: the filters it cycles, the texts its grid shows,
// the switch to the text view and the save through the host's file services.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "case_name.h"
#include "log/log_states.h"
#include "log/log_window.h"
#include "module/module_object.h"
#include "refhost/host_ui.h"
#include "refhost/window_services.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace {

using importlog::LogWindow;
using Texts = std::vector<std::string>;

// Answers where to save: a fixed path, or "" (declined).
struct SaveUi final : refhost::HostUi {
    std::int16_t ShowMessage(std::int32_t, std::int32_t, const std::string&, const std::string&,
                             const std::string&, std::int32_t) override {
        return 1;
    }
    std::int32_t ShowError(const std::string&, const std::string&, const host::ErrorInfo&,
                           const ado::ProviderErrors&) override {
        return host::kAnswerAbort;
    }
    void ShowNotice(const std::string&, const std::string&) override {}
    std::string ChooseSaveFile(const std::string& proposed, const std::string& extension) override {
        asked.push_back(proposed + "|" + extension);
        return path;
    }
    std::string path;
    Texts asked;
};

ado::RecordsetPtr log_rows(const std::vector<std::vector<ado::Variant>>& values) {
    ado::RowSet rows;
    const std::pair<const char*, int> columns[] = {{"PROGR", ado::adNumeric},   {"TABELLA", ado::adVarWChar},
                                                   {"LIVELLO", ado::adNumeric}, {"STATO", ado::adNumeric},
                                                   {"CHIAVE", ado::adVarWChar}, {"ERRORE", ado::adVarWChar}};
    for (const auto& [name, type] : columns) {
        ado::ColumnInfo column;
        column.name = name;
        column.type = type;
        column.defined_size = 4000;
        column.precision = 10;
        column.attributes = ado::adFldIsNullable;
        rows.columns.push_back(column);
    }
    for (const auto& row : values) rows.rows.push_back(row);
    return ado::Recordset::from_rows(std::move(rows));
}

// 200 rows: 3 in an error state (30, 50, 99), 150 existing, the rest new.
std::vector<std::vector<ado::Variant>> two_hundred_rows() {
    std::vector<std::vector<ado::Variant>> rows;
    for (int i = 1; i <= 200; ++i) {
        const int state = i == 7 ? 30 : i == 80 ? 50 : i == 199 ? 99 : i <= 150 ? 10 : 0;
        rows.push_back({ado::Decimal(i), "CG24_TABPDC", ado::Decimal(0), ado::Decimal(state),
                        "Codice conto: " + std::to_string(i), state >= 30 ? "Elemento assente." : ""});
    }
    return rows;
}

class LogWindowTest : public ::testing::Test {
  protected:
    LogWindowTest() {
        object->SetClsGlobal(host.global);
        object->context().state().log = host_log;
    }

    // Opens the window as the import log does and lets it activate.
    std::unique_ptr<LogWindow> open(const ado::RecordsetPtr& rows, std::string text = "the log text") {
        auto window = std::make_unique<LogWindow>(object->context());
        window->TestoLog = std::move(text);
        window->RecordSetLog = rows;
        window->Show(true);
        return window;
    }

    Texts errors_shown() const { return host_log->procedures_shown(); }

    void use_file_services(const std::shared_ptr<SaveUi>& ui) {
        auto choice = std::make_shared<refhost::SaveChoice>();
        host.components().file = std::make_shared<refhost::FileObject>(choice);
        host.components().folder = std::make_shared<refhost::FolderObject>(choice, ui);
        host.components().path = std::make_shared<refhost::PathObject>(choice);
    }

    scripted::TempDir dir;
    scripted::Host host;
    std::unique_ptr<module::ModuleObject> object =
        std::make_unique<module::ModuleObject>(module::ModuleObject::Options{});
    std::shared_ptr<scripted::Log> host_log = std::make_shared<scripted::Log>(host.calls);
};

// The window opens on the error rows; each press moves to the next filter and back round.
TEST_F(LogWindowTest, FiltersCycleFromTheErrorRows) {
    const auto window = open(log_rows(two_hundred_rows()));
    ASSERT_TRUE(window->activated());
    EXPECT_EQ(window->LBL_FILTRO.caption, LogWindow::kErrorsCaption);
    EXPECT_EQ(window->GRID_LOG.RowCount(), 3);
    EXPECT_EQ(window->GRID_LOG.CellText(1, 0), "80");
    EXPECT_EQ(window->active_control, "CMD_CHIUDI");

    const std::pair<const char*, long> presses[] = {
        {"Esistenti", 148}, {"Nuovi record", 49}, {"Tutti i record", 200}, {LogWindow::kErrorsCaption, 3}};
    for (const auto& [caption, rows] : presses) {
        window->CMD_FILTRO_ButtonClick();
        EXPECT_EQ(window->LBL_FILTRO.caption, caption);
        EXPECT_EQ(window->GRID_LOG.RowCount(), rows) << caption;
    }
    EXPECT_EQ(window->filter_state(), 1);
    EXPECT_TRUE(errors_shown().empty());
}

TEST_F(LogWindowTest, AFilterWithoutRowsLeavesTheGridEmptyAndTheTextWhole) {
    const auto window =
        open(log_rows({{ado::Decimal(1), "CG33_TABCAU", ado::Decimal(0), ado::Decimal(31), "FV", "x"}}),
             "1\tCG33_TABCAU\t0\t31\tFV\tx\r");
    EXPECT_EQ(window->GRID_LOG.RowCount(), 1);
    window->CMD_FILTRO_ButtonClick();
    EXPECT_EQ(window->GRID_LOG.RowCount(), 0);
    EXPECT_EQ(window->TXT_LOG.text, "1\tCG33_TABCAU\t0\t31\tFV\tx\r");
    EXPECT_EQ(window->TXT_LOG.font, "Tahoma");
}

TEST_F(LogWindowTest, TheViewSwitchesBetweenGridAndText) {
    const auto window = open(log_rows(two_hundred_rows()));
    EXPECT_TRUE(window->GRID_LOG.on_top);
    window->CMD_VIEW_ButtonClick();
    EXPECT_TRUE(window->text_on_top());
    EXPECT_TRUE(window->TXT_LOG.on_top);
    EXPECT_FALSE(window->GRID_LOG.on_top);
    window->CMD_VIEW_ButtonClick();
    EXPECT_FALSE(window->text_on_top());
    EXPECT_TRUE(window->GRID_LOG.on_top);
}

TEST_F(LogWindowTest, TheGridIsLaidOutWithItsSixColumns) {
    const auto window = open(log_rows({}));
    const auto& columns = window->GRID_LOG.columns;
    ASSERT_EQ(columns.size(), 6u);
    Texts captions, fields;
    long width = 0;
    for (const auto& c : columns) {
        captions.push_back(c.caption);
        fields.push_back(c.field);
        width += c.width;
    }
    EXPECT_EQ(captions, (Texts{"Prog", "Livello", "Tipo", "Risultato", "Descrizione", "Segnalazione"}));
    EXPECT_EQ(fields, (Texts{"PROGR", "LIVELLO", "TABELLA", "STATO", "CHIAVE", "ERRORE"}));
    EXPECT_EQ(width, 510 + 615 + 1320 + 1500 + 2970 + 7620);
    EXPECT_EQ(columns[0].cell_alignment, module::GridAlign::Centre);
    EXPECT_EQ(columns[2].heading_alignment, module::GridAlign::Centre);
    EXPECT_EQ(columns[2].cell_alignment, module::GridAlign::Left);
    EXPECT_EQ(columns[4].heading_alignment, module::GridAlign::Left);
    const auto layout = std::dynamic_pointer_cast<scripted::GridLayout>(window->GRID_LOG.Layout());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->key_field, "PROGR");
    EXPECT_EQ(window->GRID_LOG.layouts_finished, 1);
}

// Without a grid layout from the host the layout fails under its own name; the window
// still opens on the error rows.
TEST_F(LogWindowTest, AHostWithoutGridLayoutIsReportedUnderTheLayoutsName) {
    host.components().grid_layout = nullptr;
    const auto window = open(log_rows(two_hundred_rows()));
    EXPECT_EQ(errors_shown(), Texts{"CreaLayoutGrigliaLog"});
    EXPECT_EQ(window->LBL_FILTRO.caption, LogWindow::kErrorsCaption);
}

struct CellCase {
    std::string name, field, raw, shown;
};

class LogCellText : public ::testing::TestWithParam<CellCase> {};

TEST_P(LogCellText, IsDecodedAsTheWindowShowsIt) {
    scripted::Host host;
    module::ModuleObject object(module::ModuleObject::Options{});
    LogWindow window(object.context());
    std::string text = GetParam().raw;
    window.GRID_LOG_DataFormatEXT(GetParam().field, text);
    EXPECT_EQ(text, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(States, LogCellText,
                         ::testing::Values(CellCase{"inserted", "STATO", "0", "Inserito"},
                                           CellCase{"existing", "STATO", "10", "Esistente"},
                                           CellCase{"missing", "STATO", "30", "Transcodifica"},
                                           CellCase{"no transcoding", "STATO", "31", "Transcodifica"},
                                           CellCase{"target missing", "STATO", "32", "Transcodifica"},
                                           CellCase{"proposal", "STATO", "33", "Transcodifica"},
                                           CellCase{"write failed", "STATO", "50", "Errore"},
                                           CellCase{"no verdict", "STATO", "99", "Errore"},
                                           CellCase{"state forty", "STATO", "40", "Non previsto"},
                                           CellCase{"state with decimals", "STATO", "10.0", "Non previsto"},
                                           CellCase{"blank state", "STATO", "", "Non previsto"},
                                           CellCase{"sections", "TABELLA", "CG68_NUMERDESC", "Sezionali"},
                                           CellCase{"accounts", "TABELLA", "CG24_TABPDC", "PdC"},
                                           CellCase{"causals", "TABELLA", "CG33_TABCAU", "Causale"},
                                           CellCase{"vat codes", "TABELLA", "CG28_TABCODIVA", "Codice Iva"},
                                           CellCase{"customers", "TABELLA", "CG44_CLIFOR", "Cli/For"},
                                           CellCase{"registry", "TABELLA", "CG16_ANAGGEN", "Anagrafica"},
                                           CellCase{"entries", "TABELLA", "CG41_PRIMANOTA", "Movimento"},
                                           CellCase{"account rows", "TABELLA", "CG42_MOVCONT",
                                                    "Riga movimento"},
                                           CellCase{"vat rows", "TABELLA", "CG43_MOVIVA", "Riga IVA"},
                                           CellCase{"other table", "TABELLA", "CG99_ALTRO", "CG99_ALTRO"},
                                           CellCase{"other field", "CHIAVE", "30", "30"}),
                         scripted::ByName{});

// The grid's texts come through the window's decoding.
TEST_F(LogWindowTest, GridCellsShowDecodedTexts) {
    const auto window = open(log_rows(
        {{ado::Decimal(1), "CG43_MOVIVA", ado::Decimal(2), ado::Decimal(33), "k", ado::Variant(ado::Null)}}));
    EXPECT_EQ(window->GRID_LOG.VisibleRows(),
              (std::vector<Texts>{{"1", "2", "Riga IVA", "Transcodifica", "k", ""}}));
}

std::string read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The whole text is written, whatever filter is in force, as Windows-1252, over what the
// file held.
TEST_F(LogWindowTest, SavingWritesTheWholeTextAsWindows1252) {
    const auto ui = std::make_shared<SaveUi>();
    ui->path = (dir / "saved.txt").string();
    std::ofstream(dir / "saved.txt") << "an older and longer content that must go";
    use_file_services(ui);
    const auto window =
        open(log_rows(two_hundred_rows()), "1\tPerch\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\r");
    window->CMD_FILTRO_ButtonClick();
    window->CMD_SALVA_ButtonClick();
    EXPECT_EQ(read_bytes(dir / "saved.txt"), "1\tPerch\xE9 \x80 ?\r");
    EXPECT_EQ(ui->asked, Texts{"logimpcoge.txt|txt"});
    EXPECT_TRUE(errors_shown().empty());
}

// A folder that does not exist: the error is told under the save's name, the window stays
// open with its log; a declined dialog writes nothing and tells nothing.
TEST_F(LogWindowTest, ASaveThatCannotBeWrittenKeepsTheWindowOpen) {
    const auto ui = std::make_shared<SaveUi>();
    ui->path = (dir / "no" / "such" / "log.txt").string();
    use_file_services(ui);
    const auto window = open(log_rows(two_hundred_rows()), "text");
    window->CMD_SALVA_ButtonClick();
    EXPECT_EQ(errors_shown(), Texts{"CMD_SALVA_ButtonClick"});
    ASSERT_FALSE(host_log->errors.empty());
    EXPECT_NE(host_log->errors[0].description.find("no/such/log.txt"), std::string::npos);
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_EQ(window->TXT_LOG.text, "text");
    EXPECT_EQ(window->GRID_LOG.RowCount(), 3);

    ui->path.clear();
    window->CMD_SALVA_ButtonClick();
    EXPECT_EQ(errors_shown().size(), 1u);
}

TEST_F(LogWindowTest, ClosingUnloadsAndLetsTheLogGo) {
    const ado::RecordsetPtr rows = log_rows(two_hundred_rows());
    const auto window = open(rows);
    window->CMD_CHIUDI_ButtonClick();
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_FALSE(window->GRID_LOG.DataSource());
}

}  // namespace
