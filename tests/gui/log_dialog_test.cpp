// The log window on the desktop: a member's file whose codes have no transcoding stops the
// import with message 109 and opens the log; its four filters, the text view and the save
// go through the window.
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QTableView>
#include <QTextEdit>
#include <set>

#include "grid_model.h"
#include "grid_view.h"
#include "gui_fixture.h"
#include "log/log_window.h"
#include "log_dialog.h"

namespace gui_test {
namespace {

// The demo's member whose file has a section and an account without transcoding.
constexpr std::size_t kMemberWithoutTranscoding = 2;

class LogDialogTest : public GuiFixture {
  protected:
    // Imports the member's file; `look` sees the log dialog while it is open.
    void import_with_log(const std::function<void(gui::LogDialog&)>& look) {
        front_end_->set_modal_observer([&, look](QDialog& dialog) {
            auto* log = dynamic_cast<gui::LogDialog*>(&dialog);
            ASSERT_NE(log, nullptr);
            ++logs_shown_;
            look(*log);
        });
        type_path(member_file(kMemberWithoutTranscoding).string());
        ASSERT_TRUE(view_->import_action()->isEnabled());
        click(view_->toolbar(), view_->import_action());
    }

    static std::vector<std::string> column_texts(const gui::LogDialog& log, int column) {
        std::vector<std::string> texts;
        const QAbstractItemModel& model = *log.grid()->table()->model();
        for (int r = 0; r < model.rowCount(); ++r)
            texts.push_back(model.index(r, column).data().toString().toStdString());
        return texts;
    }

    int logs_shown_ = 0;
};

constexpr int kColumnResult = 3;  // "Risultato", STATO decoded

TEST_F(LogDialogTest, OpensOnTheErrorsAndCyclesThroughTheFourFilters) {
    struct Step {
        const char* caption;
        std::set<std::string> results;  // the decoded states the rows may show
    };
    const Step steps[] = {
        {"Esistenti", {"Esistente"}},
        {"Nuovi record", {"Inserito"}},
        {"Tutti i record", {"Inserito", "Esistente", "Transcodifica", "Errore", "Non previsto"}},
        {"Errori generici/Errori transcodifiche", {"Transcodifica", "Errore"}},
    };
    import_with_log([&](gui::LogDialog& log) {
        EXPECT_EQ(log.windowTitle(), "Visualizzazione log");
        EXPECT_EQ(log.filter_label()->text(), "Errori generici/Errori transcodifiche");
        const QAbstractItemModel& model = *log.grid()->table()->model();
        const int errors = model.rowCount();
        EXPECT_GT(errors, 0);
        for (const std::string& result : column_texts(log, kColumnResult))
            EXPECT_TRUE(result == "Transcodifica" || result == "Errore") << result;
        std::vector<int> counts;
        for (const Step& step : steps) {
            click(log.toolbar(), log.filter_action());
            EXPECT_EQ(log.filter_label()->text(), step.caption);
            counts.push_back(model.rowCount());
            for (const std::string& result : column_texts(log, kColumnResult))
                EXPECT_EQ(step.results.count(result), 1U) << step.caption << ": " << result;
        }
        // All rows hold the others; the fourth press brings the errors back.
        EXPECT_EQ(counts[2], counts[0] + counts[1] + errors);
        EXPECT_EQ(counts[3], errors);
        click(log.toolbar(), log.close_action());
    });
    EXPECT_EQ(logs_shown_, 1);
    EXPECT_TRUE(shown(module::kMsgTranscodingMissing));
    EXPECT_FALSE(shown(module::kMsgImportDone));
}

TEST_F(LogDialogTest, ShowsTheColumnsAsTheGridDefinesThem) {
    import_with_log([&](gui::LogDialog& log) {
        const QTableView& table = *log.grid()->table();
        const QAbstractItemModel& model = *table.model();
        const std::pair<const char*, long> columns[] = {{"Prog", 510},         {"Livello", 615},
                                                        {"Tipo", 1320},        {"Risultato", 1500},
                                                        {"Descrizione", 2970}, {"Segnalazione", 7620}};
        ASSERT_EQ(model.columnCount(), 6);
        for (int c = 0; c < 6; ++c) {
            EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), columns[c].first);
            EXPECT_GE(table.columnWidth(c), gui::twips_to_pixels(columns[c].second));
            EXPECT_LE(table.columnWidth(c), std::max(gui::twips_to_pixels(columns[c].second), 400));
        }
        const int centred = int(Qt::AlignHCenter | Qt::AlignVCenter),
                  left = int(Qt::AlignLeft | Qt::AlignVCenter);
        EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), centred);
        EXPECT_EQ(model.headerData(4, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), left);
        EXPECT_EQ(model.index(0, 0).data(Qt::TextAlignmentRole).toInt(), centred);
        EXPECT_EQ(model.index(0, 2).data(Qt::TextAlignmentRole).toInt(), left);
        // Table codes show decoded.
        const std::set<std::string> tables = {"Sezionali", "PdC",        "Causale",   "Codice Iva",
                                              "Cli/For",   "Anagrafica", "Movimento", "Riga movimento",
                                              "Riga IVA"};
        for (const std::string& type : column_texts(log, 2)) EXPECT_EQ(tables.count(type), 1U) << type;
        screenshot(log, "log.png");
        click(log.toolbar(), log.close_action());
    });
    EXPECT_EQ(logs_shown_, 1);
}

TEST_F(LogDialogTest, VistaSwitchesToTheWholeTextAndBack) {
    import_with_log([&](gui::LogDialog& log) {
        EXPECT_EQ(log.stack()->currentWidget(), log.grid());
        click(log.toolbar(), log.view_action());
        EXPECT_EQ(log.stack()->currentWidget(), log.text());
        EXPECT_TRUE(log.text()->isReadOnly());
        const QString text = log.text()->toPlainText();
        EXPECT_TRUE(text.contains("BANCA01")) << text.toStdString();
        // One line per log row, every row whatever the filter.
        click(log.toolbar(), log.filter_action());
        click(log.toolbar(), log.filter_action());
        click(log.toolbar(), log.filter_action());  // all rows
        EXPECT_EQ(text.count('\n') + (text.endsWith('\n') ? 0 : 1), log.grid()->table()->model()->rowCount());
        click(log.toolbar(), log.view_action());
        EXPECT_EQ(log.stack()->currentWidget(), log.grid());
        click(log.toolbar(), log.close_action());
    });
}

TEST_F(LogDialogTest, SalvaWritesTheTextWhereTheUserChose) {
    const std::filesystem::path saved = dir_ / "saved" / "log.txt";
    std::filesystem::create_directories(saved.parent_path());
    std::vector<std::string> proposals;
    front_end_->set_save_chooser([&](const std::string& proposed, const std::string& extension) {
        proposals.push_back(proposed + " " + extension);
        return saved.string();
    });
    int all_rows = 0;
    import_with_log([&](gui::LogDialog& log) {
        for (int press = 0; press < 3; ++press) click(log.toolbar(), log.filter_action());
        all_rows = log.grid()->table()->model()->rowCount();
        click(log.toolbar(), log.filter_action());  // the errors again: the save ignores the filter
        click(log.toolbar(), log.save_action());
        EXPECT_TRUE(log.isVisible());
        click(log.toolbar(), log.close_action());
    });
    EXPECT_EQ(proposals, std::vector<std::string>{"logimpcoge.txt txt"});
    std::ifstream in(saved, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(content.find("BANCA01"), std::string::npos);
    EXPECT_EQ(std::count(content.begin(), content.end(), '\r'), all_rows);
    EXPECT_EQ(errors_shown(), 0);
}

TEST_F(LogDialogTest, DecliningTheSaveWritesNothing) {
    front_end_->set_save_chooser([](const std::string&, const std::string&) { return std::string(); });
    import_with_log([&](gui::LogDialog& log) {
        click(log.toolbar(), log.save_action());
        EXPECT_TRUE(log.isVisible());
        click(log.toolbar(), log.close_action());
    });
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path()))
        EXPECT_NE(entry.path().filename(), "logimpcoge.txt");
    EXPECT_EQ(errors_shown(), 0);
}

}  // namespace
}  // namespace gui_test
