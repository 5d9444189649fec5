// Trace lines: their exact form, the instance identifier, and where they go.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "capture_sink.h"
#include "module/trace.h"
#include "temp_dir.h"

namespace {

std::vector<std::string> read_lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TraceLine, JoinsItsFieldsWithBars) {
    EXPECT_EQ(module::trace_line("0123456789ABCDEF0123456789ABCDEF", "INI", "CLSCG_LEDGERINTAKE"),
              "KVTR:|0123456789ABCDEF0123456789ABCDEF|INI|ZIZO_LEDGERINTAKE|CLSCG_LEDGERINTAKE");
    EXPECT_EQ(module::trace_line("", "TER", "FRMCG_LOG"), "KVTR:||TER|ZIZO_LEDGERINTAKE|FRMCG_LOG");
}

TEST(InstanceId, FormatsTheGuidGroupsPaddedInUpperCase) {
    module::Guid g;
    g.data1 = 0x0A0B0C0D;
    g.data2 = 0x0001;
    g.data3 = 0xABCD;
    g.data4 = {0x00, 0x01, 0x0F, 0x10, 0x7F, 0x80, 0xFE, 0xFF};
    EXPECT_EQ(module::format_instance_id(g), "0A0B0C0D0001ABCD00010F107F80FEFF");
}

TEST(InstanceId, FreshGuidsGiveDistinct32DigitIdentifiers) {
    module::InstanceId a;
    module::InstanceId b;
    const std::regex form("[0-9A-F]{32}");
    EXPECT_TRUE(std::regex_match(a.get(), form)) << a.get();
    EXPECT_TRUE(std::regex_match(b.get(), form)) << b.get();
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a.get(), a.get());  // made once, then kept
}

TEST(InstanceId, IsEmptyWhenNoGuidCanBeHadAndMadeAgainLater) {
    int calls = 0;
    module::InstanceId id([&]() -> std::optional<module::Guid> {
        if (++calls == 1) return std::nullopt;
        module::Guid g;
        g.data1 = 1;
        return g;
    });
    EXPECT_EQ(id.get(), "");
    EXPECT_EQ(id.get(), "00000001000000000000000000000000");
    EXPECT_EQ(id.get(), "00000001000000000000000000000000");
    EXPECT_EQ(calls, 2);
}

TEST(ObjectTrace, WritesIniAtCreationAndTerOnceWithTheSameId) {
    auto sink = std::make_shared<scripted::CaptureSink>();
    {
        module::ObjectTrace trace(sink, "FRMCG_STORICO");
        ASSERT_EQ(sink->lines.size(), 1u);
        trace.finish();
        trace.finish();
    }
    ASSERT_EQ(sink->lines.size(), 2u);
    const auto ini = scripted::trace_fields(sink->lines[0]);
    const auto ter = scripted::trace_fields(sink->lines[1]);
    ASSERT_EQ(ini.size(), 5u);
    EXPECT_EQ(ini[2], "INI");
    EXPECT_EQ(ter[2], "TER");
    EXPECT_EQ(ini[1], ter[1]);
    EXPECT_EQ(ini[4], "FRMCG_STORICO");
}

TEST(TraceSink, SilentUnlessTheSettingNamesStderrOrAFile) {
    EXPECT_EQ(module::make_trace_sink(""), nullptr);

    auto to_stderr = module::make_trace_sink("1");
    ASSERT_NE(to_stderr, nullptr);
    testing::internal::CaptureStderr();
    to_stderr->Write("KVTR:|X|INI|ZIZO_LEDGERINTAKE|Y");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "KVTR:|X|INI|ZIZO_LEDGERINTAKE|Y\n");

    scripted::TempDir dir;
    const auto path = dir / "trace.txt";
    auto to_file = module::make_trace_sink(path.string());
    ASSERT_NE(to_file, nullptr);
    to_file->Write("first");
    to_file->Write("second");
    EXPECT_EQ(read_lines(path), (std::vector<std::string>{"first", "second"}));

    // A file that cannot be written is not an error of the module.
    auto nowhere = module::make_trace_sink((dir / "missing-folder" / "trace.txt").string());
    ASSERT_NE(nowhere, nullptr);
    nowhere->Write("lost");
}

TEST(TraceSink, FollowsTheEnvironmentVariable) {
    scripted::TempDir dir;
    const auto path = dir / "env-trace.txt";
    ::setenv(module::kTraceVariable, path.string().c_str(), 1);
    auto sink = module::trace_sink_from_environment();
    ::setenv(module::kTraceVariable, "", 1);
    ASSERT_NE(sink, nullptr);
    sink->Write("line");
    EXPECT_EQ(read_lines(path), std::vector<std::string>{"line"});
    EXPECT_EQ(module::trace_sink_from_environment(), nullptr);
}

}  // namespace
