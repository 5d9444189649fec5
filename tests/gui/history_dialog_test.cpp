// The history window on the desktop: after an import, Storico lists it with the grid's
// group headings, hidden columns hidden, check-box columns as check states, and Chiudi
// ends the modal dialog.
#include <QHeaderView>
#include <QTableView>
#include <QTimer>

#include "grid_model.h"
#include "grid_view.h"
#include "gui_fixture.h"
#include "history/history_window.h"
#include "history_dialog.h"

namespace gui_test {
namespace {

class HistoryDialogTest : public GuiFixture {
  protected:
    void import_member(std::size_t member) {
        file_ = member_file(member);
        type_path(file_.string());
        click(view_->toolbar(), view_->import_action());
        ASSERT_TRUE(shown(module::kMsgImportDone));
    }

    int column(const gui::GridView& grid, const char* field) const {
        const module::Grid& g = grid.model()->grid();
        for (std::size_t c = 0; c < g.columns.size(); ++c)
            if (g.columns[c].field == field) return static_cast<int>(c);
        ADD_FAILURE() << "no column " << field;
        return 0;
    }

    std::filesystem::path file_;
};

TEST_F(HistoryDialogTest, ListsTheImportWithItsGroupsAndCheckMarks) {
    import_member(0);
    bool seen = false;
    front_end_->set_modal_observer([&](QDialog& dialog) {
        auto* history = dynamic_cast<gui::HistoryDialog*>(&dialog);
        ASSERT_NE(history, nullptr);
        seen = true;
        EXPECT_EQ(history->windowTitle(), "Elenco importazioni");
        const gui::GridView& grid = *history->grid();
        const QTableView& table = *grid.table();
        const QAbstractItemModel& model = *table.model();
        ASSERT_EQ(model.rowCount(), 1);
        ASSERT_EQ(model.columnCount(), 16);
        // Hidden columns are defined but not shown.
        for (const char* field : {"IE42_ID", "IE42_INDPROVIMP", "IE42_DITTA_CG18", "IE42_CODSEDE_CG31"})
            EXPECT_TRUE(table.isColumnHidden(column(grid, field))) << field;
        const int when = column(grid, "IE42_DATAORA");
        EXPECT_FALSE(table.isColumnHidden(when));
        EXPECT_EQ(model.headerData(when, Qt::Horizontal).toString(), "Data e ora");
        // At least the layout's width, and wide enough for the date and time in this font.
        EXPECT_GE(table.columnWidth(when), 1725 / 15);
        EXPECT_GE(table.columnWidth(when),
                  table.fontMetrics().horizontalAdvance(model.index(0, when).data().toString()));
        EXPECT_EQ(model.headerData(when, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignHCenter | Qt::AlignVCenter));
        EXPECT_TRUE(
            QDateTime::fromString(model.index(0, when).data().toString(), "dd/MM/yyyy hh:mm:ss").isValid())
            << model.index(0, when).data().toString().toStdString();
        const int name = column(grid, "CG16_RAGSOANAG");
        EXPECT_EQ(model.index(0, name).data().toString().toStdString(), demo::members().at(0).name);
        EXPECT_EQ(model.index(0, name).data(Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignLeft | Qt::AlignVCenter));
        const int reference = column(grid, "IE42_AZIENDARIF");
        EXPECT_EQ(model.index(0, reference).data(Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignRight | Qt::AlignVCenter));
        EXPECT_EQ(model.index(0, column(grid, "IE42_NOMEFILE")).data().toString().toStdString(),
                  file_.string());
        EXPECT_EQ(model.index(0, column(grid, "IE42_UTENTE")).data().toString().toStdString(),
                  demo::kDemoUser);
        // Check-box columns carry a check state and no text.
        const module::Grid& g = grid.model()->grid();
        for (const char* field :
             {"IE42_FLGESTRATTI", "IE42_FLGSEZ", "IE42_FLGPDC", "IE42_FLGCAU", "IE42_FLGCODIVA"}) {
            const int c = column(grid, field);
            EXPECT_TRUE(model.index(0, c).data().toString().isEmpty()) << field;
            EXPECT_EQ(model.index(0, c).data(Qt::CheckStateRole).toInt() == Qt::Checked,
                      g.Checked(0, static_cast<std::size_t>(c)))
                << field;
        }
        // The group headings over their columns.
        ASSERT_NE(grid.group_headings(), nullptr);
        EXPECT_EQ(grid.group_caption_over(column(grid, "IE42_UTENTE")), "Dati generali");
        EXPECT_EQ(grid.group_caption_over(column(grid, "IE42_FLGPDC")), "Tabelle transcodificate");
        EXPECT_EQ(grid.group_caption_over(column(grid, "IE42_NOMEFILE")), "File");
        EXPECT_EQ(grid.group_caption_over(when), "");
        history->resize(1100, 300);
        screenshot(*history, "history.png");
        click(history->toolbar(), history->close_action());
        EXPECT_FALSE(history->isVisible());
    });
    click(view_->toolbar(), view_->history_action());
    EXPECT_TRUE(seen);
    EXPECT_EQ(errors_shown(), 0);
}

// Without an observer the dialog waits in its own event loop until Chiudi is pressed.
TEST_F(HistoryDialogTest, ChiudiEndsTheModalLoop) {
    bool closed = false;
    QTimer::singleShot(0, [&] {
        if (auto* history = dynamic_cast<gui::HistoryDialog*>(QApplication::activeModalWidget())) {
            EXPECT_EQ(history->grid()->table()->model()->rowCount(), 0);
            history->close_action()->trigger();
            closed = !history->isVisible();
        }
        // Whatever went wrong, the test must not wait for a person.
        if (QWidget* still = QApplication::activeModalWidget()) still->close();
    });
    click(view_->toolbar(), view_->history_action());
    EXPECT_TRUE(closed);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace gui_test
