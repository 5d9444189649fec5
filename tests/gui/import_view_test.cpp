// The import window on the desktop: a member's file typed and confirmed fills the window,
// Importa runs the import to message 107 with the progress bar painted, and files the
// window refuses leave the focus in the path box.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>

#include "case_name.h"
#include "cli/open_checks.h"
#include "gui_fixture.h"

namespace gui_test {
namespace {

using ImportViewTest = GuiFixture;

TEST_F(ImportViewTest, OpensWithTheWindowsCaptionsAndNothingToImport) {
    EXPECT_EQ(view_->windowTitle().toStdString(), window().Caption());
    EXPECT_EQ(view_->import_action()->text(), "&Importa");
    EXPECT_EQ(view_->history_action()->text(), "&Storico");
    EXPECT_EQ(view_->import_action()->shortcut(), QKeySequence("Alt+I"));
    EXPECT_EQ(view_->history_action()->shortcut(), QKeySequence("Alt+S"));
    EXPECT_FALSE(view_->import_action()->isEnabled());
    EXPECT_TRUE(view_->history_action()->isEnabled());
    EXPECT_TRUE(view_->notice()->text().contains("Eliminazione movimenti importati gruppo IVA."));
    EXPECT_TRUE(view_->notice()->text().startsWith("<p>I movimenti saranno importati"));
    QStringList titles;
    for (const QGroupBox* frame : view_->findChildren<QGroupBox*>()) titles << frame->title();
    for (const char* caption : {"File sorgente", "Informazioni file sorgente", "Limiti di estrazione",
                                "Tabelle da transcodificare", "Azienda in struttura gruppo IVA", "Aiuto"})
        EXPECT_TRUE(titles.contains(caption)) << caption;
    EXPECT_TRUE(view_->check_box("CHK_GESTCODID")->isHidden());
    EXPECT_EQ(view_->check_box("CHK_TABPDC")->text(), "Piano dei conti");
    EXPECT_TRUE(view_->progress_bar()->isHidden());
}

// Closing the window while the box holds a text not yet confirmed: the box loses its focus
// as it is destroyed, and that must not check the text on a view already half gone.
TEST_F(ImportViewTest, AnUnconfirmedTextIsNotCheckedWhenTheViewGoes) {
    QLineEdit* edit = view_->path_edit();
    edit->setFocus();
    edit->setText(QString::fromStdString((dir_ / "missing.xml").string()));
    edit->setModified(true);
    ASSERT_TRUE(edit->hasFocus());
    const std::string before = window().TXT_NOMEFILE.text;
    view_.reset();
    EXPECT_TRUE(message_codes().empty());
    EXPECT_EQ(window().TXT_NOMEFILE.text, before);
}

TEST_F(ImportViewTest, ConfirmingAMemberFileShowsItAndEnablesImport) {
    const std::filesystem::path file = member_file(0);
    type_path(file.string());
    ASSERT_TRUE(window().last_outcome().file_accepted);
    const demo::Member& member = demo::members().at(0);
    EXPECT_EQ(view_->text_box("TXT_RAGSOCEXP")->text().toStdString(), member.name);
    EXPECT_EQ(view_->text_box("TXT_PIVAEXP")->text().toStdString(), member.vat_number);
    EXPECT_EQ(view_->text_box("TXT_CODANAIMP")->text().toStdString(), std::to_string(member.registry_code));
    EXPECT_EQ(view_->text_box("TXT_ADATA")->text().toStdString(), window().TXT_ADATA.text);
    EXPECT_FALSE(view_->text_box("TXT_ADATA")->text().isEmpty());
    EXPECT_TRUE(view_->text_box("TXT_RAGSOCEXP")->isReadOnly());
    const std::pair<const char*, const module::CheckBox*> checks[] = {
        {"CHK_TABSEZ", &window().CHK_TABSEZ},       {"CHK_TABCAU", &window().CHK_TABCAU},
        {"CHK_TABCODIVA", &window().CHK_TABCODIVA}, {"CHK_TABPDC", &window().CHK_TABPDC},
        {"CHK_CLIFOR", &window().CHK_CLIFOR},       {"CHK_ESTRATTI", &window().CHK_ESTRATTI}};
    for (const auto& [name, box] : checks)
        EXPECT_EQ(view_->check_box(name)->checkState(), box->value == 1 ? Qt::Checked : Qt::Unchecked)
            << name;
    EXPECT_TRUE(view_->import_action()->isEnabled());
    EXPECT_EQ(view_->path_edit()->text().toStdString(), file.string());
    EXPECT_TRUE(message_codes().empty());
    screenshot(*view_, "import.png");
}

TEST_F(ImportViewTest, ImportRunsToMessage107WithTheProgressPainted) {
    type_path(member_file(0).string());
    ASSERT_TRUE(view_->import_action()->isEnabled());
    click(view_->toolbar(), view_->import_action());
    ASSERT_TRUE(shown(module::kMsgImportDone)) << ::testing::PrintToString(message_codes());
    const auto& last = front_end_->boxes().back();
    EXPECT_EQ(last.box.code, module::kMsgImportDone);
    EXPECT_EQ(last.box.text, "Importazione ESEGUITA con successo.");
    EXPECT_EQ(errors_shown(), 0);
    EXPECT_GT(view_->progress_repaints(), 0);
    EXPECT_TRUE(view_->progress_bar()->isHidden());
    EXPECT_EQ(view_->cursor().shape(), Qt::ArrowCursor);
    // The window proposes the folder again and waits for the next file.
    EXPECT_FALSE(view_->import_action()->isEnabled());
    EXPECT_TRUE(view_->text_box("TXT_RAGSOCEXP")->text().isEmpty());
}

TEST_F(ImportViewTest, LeavingTheBoxConfirmsOnlyAChangedText) {
    const std::filesystem::path file = member_file(0);
    type_path(file.string());
    click(view_->toolbar(), view_->import_action());
    ASSERT_TRUE(shown(module::kMsgImportDone));
    // The same name again: leaving the box with a new text asks question 113...
    QLineEdit* edit = view_->path_edit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(file.string()));
    view_->text_box("TXT_UTEXP")->setFocus();
    EXPECT_TRUE(shown(module::kMsgForceReimport));
    EXPECT_TRUE(window().last_outcome().file_accepted);
    // ...and leaving it again without a change does not check the file a second time.
    const std::size_t boxes = front_end_->boxes().size();
    edit->setFocus();
    view_->text_box("TXT_UTEXP")->setFocus();
    EXPECT_EQ(front_end_->boxes().size(), boxes);
}

TEST_F(ImportViewTest, ImportConfirmsATypedPathFirst) {
    const std::filesystem::path first = member_file(0), second = member_file(1);
    type_path(first.string());
    ASSERT_TRUE(view_->import_action()->isEnabled());
    // Another path typed over the accepted one, and Importa pressed without leaving the box.
    QLineEdit* edit = view_->path_edit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(second.string()));
    click(view_->toolbar(), view_->import_action());
    ASSERT_TRUE(shown(module::kMsgImportDone));
    // The second file is the one imported: only its name is known to the history.
    type_path(second.string());
    EXPECT_TRUE(shown(module::kMsgForceReimport));
    const std::size_t questions = message_codes().size();
    type_path(first.string());
    EXPECT_EQ(message_codes().size(), questions);
}

TEST_F(ImportViewTest, BrowseOpensTheChosenFileInTheProposedFolder) {
    const std::filesystem::path file = member_file(1);
    std::string asked_in;
    front_end_->set_open_chooser([&](const std::string& folder, const std::string& extension) {
        asked_in = folder;
        EXPECT_EQ(extension, "xml");
        return file.string();
    });
    window().TXT_NOMEFILE.text = dir_.path().string();
    window().TXT_NOMEFILE.Refresh();
    QTest::mouseClick(view_->browse_button(), Qt::LeftButton);
    EXPECT_EQ(asked_in, dir_.path().string());
    EXPECT_TRUE(window().last_outcome().file_accepted);
    EXPECT_EQ(view_->text_box("TXT_RAGSOCEXP")->text().toStdString(), demo::members().at(1).name);
}

struct RefusedPath {
    const char* name;
    std::string file;     // written in the folder with `content`, or named only
    std::string content;  // empty: not written
    std::int32_t message;
};

class RefusedPathTest : public GuiFixture, public ::testing::WithParamInterface<RefusedPath> {};

TEST_P(RefusedPathTest, IsToldAndKeepsTheFocusInTheBox) {
    const RefusedPath& c = GetParam();
    const std::filesystem::path path = dir_ / c.file;
    if (!c.content.empty()) std::ofstream(path, std::ios::binary) << c.content;
    type_path(path.string());
    EXPECT_EQ(message_codes(), std::vector<std::int32_t>{c.message});
    EXPECT_FALSE(window().last_outcome().file_accepted);
    EXPECT_FALSE(view_->import_action()->isEnabled());
    EXPECT_TRUE(view_->path_edit()->hasFocus());
    EXPECT_EQ(view_->path_edit()->text().toStdString(), path.string());
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedPathTest,
    ::testing::Values(RefusedPath{"a missing file", "missing.xml", "", module::kMsgFileNotFound},
                      RefusedPath{"a file that is not XML", "broken.xml", "<MovimentiCoGe>",
                                  module::kMsgXmlReadError},
                      RefusedPath{"another XML document", "other.xml", "<?xml version=\"1.0\"?><Other/>",
                                  module::kMsgFileNotPertinent}),
    scripted::ByName());

TEST_F(ImportViewTest, APathWithAQuoteIsRefusedBeforeTheWindowSeesIt) {
    const std::filesystem::path file = member_file(0);
    const std::filesystem::path quoted = dir_ / "l'angolo.xml";
    std::filesystem::copy_file(file, quoted);
    const std::string before = window().TXT_NOMEFILE.text;
    type_path(quoted.string());
    ASSERT_EQ(front_end_->boxes().size(), 1U);
    EXPECT_EQ(front_end_->boxes()[0].box.code, 0);
    EXPECT_NE(front_end_->boxes()[0].box.text.find(cli::kQuoteRefusal), std::string::npos);
    EXPECT_EQ(window().TXT_NOMEFILE.text, before);
    EXPECT_EQ(view_->path_edit()->text().toStdString(), quoted.string());
    EXPECT_TRUE(view_->path_edit()->hasFocus());
    EXPECT_FALSE(view_->import_action()->isEnabled());
}

}  // namespace
}  // namespace gui_test
