// The front end's own pieces: the saved log's code page, and the
// answers the terminal front end gives to the module's questions.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "ado/recordset.h"
#include "case_name.h"
#include "cli_process.h"
#include "host/log_object.h"
#include "temp_dir.h"
#include "terminal_front_end.h"
#include "text_output.h"

namespace {

struct ShellCase {
    const char* name;
    std::string text;
    std::string word;
};

class ShellWord : public ::testing::TestWithParam<ShellCase> {};

// The printed word, and bash reading it back as the very bytes it stands for.
TEST_P(ShellWord, IsReadBackByTheShellAsTheText) {
    const ShellCase& c = GetParam();
    const std::string word = cli::shell_word(c.text);
    EXPECT_EQ(word, c.word);
    scripted::TempDir dir;
    const auto out = dir / "out";
    const auto script = dir / "script.sh";
    cli_test::write_file(script, "printf %s " + word + " > " + cli::shell_word(out.string()) + "\n");
    const std::string command = "bash " + cli::shell_word(script.string());
    ASSERT_EQ(std::system(command.c_str()), 0) << word;
    EXPECT_EQ(cli_test::read_file(out), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShellWord,
    ::testing::Values(ShellCase{"Plain", "/tmp/demo/ledgerintake.db", "/tmp/demo/ledgerintake.db"},
                      ShellCase{"Blank", "my books/alfa-2026.xml", "'my books/alfa-2026.xml'"},
                      ShellCase{"Empty", "", "''"}, ShellCase{"Quote", "l'angolo.xml", "'l'\\''angolo.xml'"},
                      ShellCase{"Dollar", "$HOME;rm *", "'$HOME;rm *'"},
                      ShellCase{"Accents", "citt\xC3\xA0.xml", "'citt\xC3\xA0.xml'"},
                      ShellCase{"NotUtf8", "caf\xE9.xml", "$'caf\\xE9.xml'"},
                      ShellCase{"ControlAndQuote", "a\nb'c\\", "$'a\\x0Ab\\'c\\\\'"}),
    scripted::ByName());

TEST(TextOutput, SavedLogIsWindows1252WithQuestionMarksForTheRest) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ASCII\t1\r", "ASCII\t1\r"},
        {"perch\xC3\xA9 \xC3\x88", "perch\xE9 \xC8"},  // é È
        {"\xE2\x82\xAC 10", "\x80 10"},                // €
        {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"},    // curly quotes
        {"\xE2\x86\x92 \xF0\x9F\x98\x80", "? ?"},      // arrow, emoji
        {"bad \xC3 byte", "bad ? byte"},               // cut sequence
        {"\xC2\x81", "?"},                             // a C1 control the code page lacks
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(cli::to_windows_1252(in), out) << in;
}

struct Question {
    const char* name;
    bool interactive;  // at a terminal
    bool yes;          // --yes
    std::string typed;
    std::int16_t answer;
};

class TerminalQuestion : public ::testing::TestWithParam<Question> {};

TEST_P(TerminalQuestion, IsAskedAtATerminalElseAnsweredByTheOptions) {
    const Question& c = GetParam();
    std::ostringstream out, err;
    std::istringstream in(c.typed);
    cli::Console console{out, err, in, c.interactive};
    cli::TerminalFrontEnd front(console,
                                cli::FrontEndOptions{c.yes, cli::OnError::Abort, false, std::nullopt});
    EXPECT_EQ(front.ShowMessage(113, 4, "File già importato. Forza?", "", "t", 256), c.answer);
    ASSERT_EQ(front.messages().size(), 1u);
    EXPECT_EQ(front.messages()[0].answer, c.answer);
}

INSTANTIATE_TEST_SUITE_P(Answers, TerminalQuestion,
                         ::testing::Values(Question{"y at a terminal", true, false, "y\n", 1},
                                           Question{"si at a terminal", true, false, "si\n", 1},
                                           Question{"n at a terminal", true, false, "n\n", 0},
                                           Question{"enter at a terminal is no", true, false, "\n", 0},
                                           Question{"end of input at a terminal is no", true, true, "", 0},
                                           Question{"asked again after junk", true, false, "maybe\nyes\n", 1},
                                           Question{"yes option without a terminal", false, true, "", 1},
                                           Question{"no terminal reads nothing", false, false, "y\n", 0}),
                         scripted::ByName());

TEST(TerminalFrontEnd, ErrorsAreAnsweredAtATerminalElseByOnError) {
    const std::vector<std::tuple<bool, cli::OnError, std::string, std::int32_t>> cases = {
        {true, cli::OnError::Abort, "r\n", host::kAnswerRetry},
        {true, cli::OnError::Abort, "i\n", host::kAnswerIgnore},
        {true, cli::OnError::Ignore, "x\na\n", host::kAnswerAbort},
        {true, cli::OnError::Ignore, "", host::kAnswerAbort},
        {false, cli::OnError::Ignore, "r\n", host::kAnswerIgnore},
        {false, cli::OnError::Abort, "i\n", host::kAnswerAbort},
    };
    for (const auto& [interactive, on_error, typed, answer] : cases) {
        SCOPED_TRACE(typed);
        std::ostringstream out, err;
        std::istringstream in(typed);
        cli::Console console{out, err, in, interactive};
        cli::TerminalFrontEnd front(console, cli::FrontEndOptions{false, on_error, false, std::nullopt});
        EXPECT_EQ(front.ShowError("App", "ApreFileXML", host::ErrorInfo{13, "Type mismatch", "x"}, {}),
                  answer);
        EXPECT_NE(err.str().find("ApreFileXML: Type mismatch [13]"), std::string::npos) << err.str();
        EXPECT_TRUE(out.str().empty());
    }
}

}  // namespace
