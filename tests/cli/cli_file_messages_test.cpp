// The module's messages about the import file are shown with a line naming the file, on the
// terminal and before a question is answered; the other messages are shown as they are.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "case_name.h"
#include "file_messages.h"
#include "temp_dir.h"
#include "terminal_front_end.h"

namespace {

struct MessageCase {
    const char* name;
    std::int32_t code;
    std::int32_t kind;
    std::string text;
    bool interactive;
    std::string typed;
    std::string out, err;  // what the terminal shows
};

class FileMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(FileMessage, NamesTheFileUnderTheMessagesAboutIt) {
    const MessageCase& c = GetParam();
    std::ostringstream out, err;
    std::istringstream in(c.typed);
    cli::Console console{out, err, in, c.interactive};
    const auto front = std::make_shared<cli::TerminalFrontEnd>(
        console, cli::FrontEndOptions{false, cli::OnError::Abort, false, std::nullopt});
    cli::FileNamingUi ui(front, cli::file_line("/data/exports/alfa-2026.xml"));
    ui.ShowMessage(c.code, c.kind, c.text, "", "Importazione", c.kind == 4 ? 256 : 0);
    EXPECT_EQ(out.str(), c.out);
    EXPECT_EQ(err.str(), c.err);
    // The message itself is kept as the string table words it.
    ASSERT_EQ(front->messages().size(), 1u);
    EXPECT_EQ(front->messages()[0].text, c.text);
}

const std::string kLine = "  file: /data/exports/alfa-2026.xml\n";

INSTANTIATE_TEST_SUITE_P(
    Messages, FileMessage,
    ::testing::Values(
        MessageCase{"file not found", 101, 3, "File non trovato.", false, "", "File non trovato.\n" + kLine,
                    ""},
        MessageCase{"xml read error with its reason", 102, 3,
                    "Errore in lettura file xml.\nStart-end tags mismatch (line 4, column 12)", false, "",
                    "Errore in lettura file xml.\nStart-end tags mismatch (line 4, column 12)\n" + kLine, ""},
        MessageCase{"member not in the group", 106, 3, "L'azienda ... dell'anno!", false, "",
                    "L'azienda ... dell'anno!\n" + kLine, ""},
        MessageCase{"question answered by the options", 113, 4, "File già importato. Forza?", false, "",
                    "File già importato. Forza? no (--yes answers yes)\n" + kLine, ""},
        MessageCase{"question asked at a terminal", 113, 4, "File già importato. Forza?", true, "n\n", "",
                    "File già importato. Forza?\n  file: /data/exports/alfa-2026.xml [y/N] "},
        MessageCase{"import done is not about the file", 107, 3, "Importazione ESEGUITA con successo.", false,
                    "", "Importazione ESEGUITA con successo.\n", ""},
        MessageCase{"statements and portfolio is not about the file", 105, 2, "Attenzione!", false, "",
                    "Attenzione!\n", ""}),
    scripted::ByName());

struct LineCase {
    const char* name;
    std::string path;
    std::string line;
};

class FileLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(FileLine, StaysOneLine) {
    EXPECT_EQ(cli::file_line(GetParam().path), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Paths, FileLine,
                         ::testing::Values(LineCase{"plain", "/data/alfa.xml", "  file: /data/alfa.xml"},
                                           LineCase{"blanks and accents as they are",
                                                    "/data/my città/alfa.xml",
                                                    "  file: /data/my città/alfa.xml"},
                                           LineCase{"empty", "", "  file: (no path given)"},
                                           LineCase{"line break as a shell word", "/data/a\nb.xml",
                                                    "  file: $'/data/a\\x0Ab.xml'"},
                                           LineCase{"byte that is not utf 8 as a shell word",
                                                    "/data/caf\xE9.xml", "  file: $'/data/caf\\xE9.xml'"}),
                         scripted::ByName());

// The path is the one the window looks up: blanks around it dropped, relative to the
// current folder, "." and ".." resolved; a folder's path keeps its separator.
TEST(LookedUpPath, IsAbsoluteAndNormalised) {
    scripted::TempDir dir;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::string folder = std::filesystem::current_path().string();
    EXPECT_EQ(cli::looked_up_path("alfa.xml"), folder + "/alfa.xml");
    EXPECT_EQ(cli::looked_up_path("  ./x/../alfa.xml "), folder + "/alfa.xml");
    EXPECT_EQ(cli::looked_up_path("/data/alfa.xml"), "/data/alfa.xml");
    EXPECT_EQ(cli::looked_up_path("exports/"), folder + "/exports/");
    EXPECT_EQ(cli::looked_up_path("   "), "");
    std::filesystem::current_path(here);
}

}  // namespace
