// The command line of ledgerintake-gui: the database resolved as the command-line front
// end resolves it, company codes refused as it refuses them, help and unknown options.
#include <gtest/gtest.h>

#include <cstdlib>

#include "case_name.h"
#include "gui_options.h"

namespace {

struct OptionsCase {
    const char* name;
    std::vector<std::string> arguments;
    bool run;
    int status;
    std::int32_t company;
    std::string user;
    std::string message_part;  // found in the message when not running
};

class CommandLine : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(CommandLine, IsReadOrRefused) {
    const OptionsCase& c = GetParam();
    const gui::ParsedCommandLine parsed = gui::parse_command_line(c.arguments);
    EXPECT_EQ(parsed.run, c.run);
    EXPECT_EQ(parsed.status, c.status);
    if (c.run) {
        EXPECT_EQ(parsed.options.company, c.company);
        EXPECT_EQ(parsed.options.user, c.user);
    } else {
        EXPECT_NE(parsed.message.find(c.message_part), std::string::npos) << parsed.message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    ::testing::Values(
        OptionsCase{"nothing", {}, true, 0, 1, "admin", ""},
        OptionsCase{"company and user", {"--company", "7", "--user", "mrossi"}, true, 0, 7, "mrossi", ""},
        OptionsCase{"highest company", {"--company=2147483647"}, true, 0, 2147483647, "admin", ""},
        OptionsCase{"company zero", {"--company", "0"}, false, 64, 0, "", "'0' is not a company code"},
        OptionsCase{
            "company with a sign", {"--company", "+3"}, false, 64, 0, "", "'+3' is not a company code"},
        OptionsCase{
            "company too large", {"--company", "2147483648"}, false, 64, 0, "", "is not a company code"},
        OptionsCase{"company blank", {"--company", ""}, false, 64, 0, "", "'' is not a company code"},
        OptionsCase{"unknown option", {"--frob"}, false, 64, 0, "", "--frob"},
        OptionsCase{"a file argument", {"member.xml"}, false, 64, 0, "", "member.xml"},
        OptionsCase{"help", {"--help"}, false, 0, 0, "", "--db"}),
    scripted::ByName());

TEST(DatabaseOption, IsTheOptionElseTheVariableElseTheCurrentFolder) {
    ::setenv("LEDGERINTAKE_DB", "/books/from-variable.db", 1);
    EXPECT_EQ(gui::parse_command_line({"--db", "/books/given.db"}).options.database, "/books/given.db");
    EXPECT_EQ(gui::parse_command_line({}).options.database, "/books/from-variable.db");
    ::unsetenv("LEDGERINTAKE_DB");
    EXPECT_EQ(gui::parse_command_line({}).options.database,
              std::filesystem::current_path() / "ledgerintake.db");
}

}  // namespace
