// The history window on a database made with the project's schema: which imports it lists,
// in which order, with which member name, and the texts its grid shows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "case_name.h"
#include "history/history_window.h"
#include "module/module_object.h"
#include "refhost/database.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace {

using history::HistoryWindow;
using Texts = std::vector<std::string>;

class HistoryWindowTest : public ::testing::Test {
  protected:
    HistoryWindowTest() {
        refhost::init_database(dir / "books.db");
        connection->Open(refhost::connection_string(dir / "books.db"));
        object->SetClsGlobal(host.global);
        object->context().state().log = host_log;
        object->context().state().connection = connection;
        object->context().state().company.company_code = 1;
    }

    void run(const std::string& statement) { connection->Execute(statement); }

    // An import header; `kind` 1 is this module's.
    void add_import(int company, const std::string& when, int member, const std::string& file = "f.xml",
                    int kind = 1) {
        run("INSERT INTO IE42_IMPCOGE (IE42_DITTA_CG18, IE42_DATAORA, IE42_NOMEFILE, IE42_FLGSEZ, "
            "IE42_FLGPDC,"
            " IE42_DADATA, IE42_ADATA, IE42_INDPROVIMP, IE42_AZIENDARIF, IE42_UTENTE) VALUES (" +
            std::to_string(company) + ", '" + when + "', '" + file + "', 1, 0, '20260101', '20261231', " +
            std::to_string(kind) + ", " + std::to_string(member) + ", 'anna')");
    }

    std::unique_ptr<HistoryWindow> open() {
        auto window = std::make_unique<HistoryWindow>(object->context());
        window->Show(true);
        return window;
    }

    // The cells of one column, top to bottom.
    static Texts column(const HistoryWindow& window, const std::string& field) {
        Texts cells;
        for (std::size_t c = 0; c < window.GRID_STORICO.columns.size(); ++c) {
            if (window.GRID_STORICO.columns[c].field != field) continue;
            for (long r = 0; r < window.GRID_STORICO.RowCount(); ++r)
                cells.push_back(window.GRID_STORICO.CellText(r, c));
        }
        return cells;
    }

    Texts errors_shown() const { return host_log->procedures_shown(); }

    scripted::TempDir dir;
    scripted::Host host;
    std::shared_ptr<ado::Connection> connection = std::make_shared<ado::Connection>();
    std::unique_ptr<module::ModuleObject> object =
        std::make_unique<module::ModuleObject>(module::ModuleObject::Options{});
    std::shared_ptr<scripted::Log> host_log = std::make_shared<scripted::Log>(host.calls);
};

TEST_F(HistoryWindowTest, ACompanyWithoutImportsShowsAnEmptyGrid) {
    add_import(2, "20260301 10:00:00", 900001);
    const auto window = open();
    EXPECT_TRUE(window->activated());
    EXPECT_EQ(window->GRID_STORICO.RowCount(), 0);
    EXPECT_TRUE(errors_shown().empty());
}

// Only this module's imports into this company, newest first, the date and time day first.
TEST_F(HistoryWindowTest, ListsThisModulesImportsIntoTheCompanyNewestFirst) {
    add_import(1, "20260301 10:00:00", 900001, "first.xml");
    add_import(1, "20260302 09:30:05", 900001, "other kind.xml", 0);
    add_import(2, "20260303 11:00:00", 900001, "other company.xml");
    add_import(1, "20260304 08:15:00", 900001, "second.xml");
    const auto window = open();
    EXPECT_EQ(column(*window, "IE42_NOMEFILE"), (Texts{"second.xml", "first.xml"}));
    EXPECT_EQ(column(*window, "IE42_DATAORA"), (Texts{"04/03/2026 08:15:00", "01/03/2026 10:00:00"}));
    EXPECT_EQ(column(*window, "IE42_INDPROVIMP"), (Texts{"1-Gruppi IVA", "1-Gruppi IVA"}));
    EXPECT_EQ(column(*window, "IE42_DADATA"), (Texts{"01/01/2026", "01/01/2026"}));
    EXPECT_TRUE(window->GRID_STORICO.Checked(0, 11));   // Sezionali
    EXPECT_FALSE(window->GRID_STORICO.Checked(0, 12));  // PdC
}

// The member's name is the registry record valid at the import's date and time; a blank
// extension adds nothing, another is added after one blank; no record shows no name.
TEST_F(HistoryWindowTest, TheMembersNameIsTheOneValidAtTheImport) {
    run("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_RAGSOANAGEX, CG16_INIZIOVALIDITA)"
        " VALUES (900001, '  Alfa Nuova ', 'S.r.l. ', '20260601')");
    run("INSERT INTO CG16_ANAGGENSTO (CG16S_CODICE_CG16, CG16S_RAGSOANAG, CG16S_RAGSOANAGEX,"
        " CG16S_INIZIOVALIDITA, CG16S_FINEVALIDITA) VALUES (900001, 'Alfa Vecchia', '   ', NULL, "
        "'20260531')");
    add_import(1, "20260301 10:00:00", 900001);
    add_import(1, "20260701 10:00:00", 900001);
    add_import(1, "20260801 10:00:00", 777);
    const auto window = open();
    EXPECT_EQ(column(*window, "CG16_RAGSOANAG"), (Texts{"", "Alfa Nuova S.r.l.", "Alfa Vecchia"}));
}

TEST_F(HistoryWindowTest, TheGridHasItsGroupsAndColumns) {
    const auto window = open();
    const module::Grid& grid = window->GRID_STORICO;
    EXPECT_EQ(grid.groups, (Texts{"", "Dati generali", "Estratti", "Tabelle transcodificate", "File"}));
    ASSERT_EQ(grid.columns.size(), 16u);
    Texts hidden;
    for (const auto& c : grid.columns)
        if (!c.shown) hidden.push_back(c.field);
    EXPECT_EQ(hidden, (Texts{"IE42_ID", "IE42_INDPROVIMP", "IE42_DITTA_CG18", "IE42_CODSEDE_CG31"}));
    EXPECT_EQ(grid.columns[3].format, "dd/mm/yyyy hh:nn:ss");
    EXPECT_EQ(grid.columns[6].group, 1);
    EXPECT_EQ(grid.columns[15].group, 4);
    EXPECT_EQ(grid.columns[15].width, 15915);
    EXPECT_EQ(grid.columns[10].kind, module::GridColumn::Kind::CheckBox);
    const auto layout = std::dynamic_pointer_cast<scripted::GridLayout>(grid.Layout());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->key_field, "IE42_ID");
}

// A failed query leaves the grid empty and is told under the procedure's name; the window
// still closes, and closing lets the history go.
TEST_F(HistoryWindowTest, AFailedQueryLeavesTheGridEmpty) {
    run("DROP VIEW VCG16_ANAGGEN");
    const auto window = open();
    EXPECT_EQ(errors_shown(), Texts{"PopolaGrigliaStorico"});
    EXPECT_EQ(window->GRID_STORICO.RowCount(), 0);
    window->CMD_CHIUDI_ButtonClick();
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_FALSE(window->history());
}

struct FileNameCase {
    std::string name, stored, shown;
};

class HistoryFileName : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(HistoryFileName, ShowsTheThirdPartOfAStoredName) {
    scripted::Host host;
    module::ModuleObject object(module::ModuleObject::Options{});
    HistoryWindow window(object.context());
    std::string text = GetParam().stored;
    window.GRID_STORICO_DataFormatEXT("IE42_NOMEFILE", text);
    EXPECT_EQ(text, GetParam().shown);
    std::string other = GetParam().stored;
    window.GRID_STORICO_DataFormatEXT("IE42_UTENTE", other);
    EXPECT_EQ(other, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Names, HistoryFileName,
                         ::testing::Values(FileNameCase{"three parts", "A|2026|/data/alfa.xml",
                                                        "/data/alfa.xml"},
                                           FileNameCase{"four parts", "A|B|C|D", "C"},
                                           FileNameCase{"blank third part", "A|B|  ", ""},
                                           FileNameCase{"empty third part", "A|B|", ""},
                                           FileNameCase{"one bar", "A|/data/alfa.xml", "A|/data/alfa.xml"},
                                           FileNameCase{"no bar", "/data/alfa.xml", "/data/alfa.xml"},
                                           FileNameCase{"empty", "", ""}),
                         scripted::ByName{});

}  // namespace
