// The path box's file object: a regular file or not (a folder is not a file), and the
// full path of what the text names.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "modulebase/controls.h"
#include "temp_dir.h"

namespace {

TEST(PathBox, TheFileObjectTellsARegularFileFromAFolderAndGivesAFullPath) {
    scripted::TempDir dir;
    std::filesystem::create_directories(dir / "in" / "folder.xml");
    std::ofstream(dir / "in" / "member.xml") << "<MovimentiCoGe/>";
    const std::vector<std::tuple<std::string, bool, std::filesystem::path>> cases = {
        // text, exists, full path
        {(dir / "in" / "member.xml").string(), true, dir / "in" / "member.xml"},
        {(dir / "in" / "." / "x" / ".." / "member.xml").string() + "  ", true, dir / "in" / "member.xml"},
        {(dir / "in" / "folder.xml").string(), false, dir / "in" / "folder.xml"},
        {"relative/member.xml", false, std::filesystem::current_path() / "relative" / "member.xml"},
        {(dir / "in").string() + "/", false, {}},
        {std::string("in\0x.xml", 8), false, {}}};
    for (const auto& [text, exists, full_path] : cases) {
        SCOPED_TRACE(text);
        module::PathBox box;
        box.text = text;
        EXPECT_EQ(box.usable(), !full_path.empty());
        EXPECT_EQ(box.file_exists(), exists);
        EXPECT_EQ(box.full_path(), full_path);
    }
}

}  // namespace
