// Trace lines: their exact form, the instance identifier, and where they go.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "capture_sink.h"
#include "modulebase/trace.h"
#include "temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

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

TEST(InstanceId, FreshGuidsGiveDistinct32DigitIdentifiersMadeOnce) {
    module::InstanceId a, b;
    const std::regex form("[0-9A-F]{32}");
    EXPECT_TRUE(std::regex_match(a.get(), form)) << a.get();
    EXPECT_TRUE(std::regex_match(b.get(), form)) << b.get();
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a.get(), a.get());

    // No GUID to be had: empty, and made again on the next request.
    int calls = 0;
    module::InstanceId id([&]() -> std::optional<module::Guid> {
        if (++calls == 1) return std::nullopt;
        return module::Guid{.data1 = 1};
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
    const auto ini = scripted::trace_fields(sink->lines[0]), ter = scripted::trace_fields(sink->lines[1]);
    ASSERT_EQ(ini.size(), 5u);
    EXPECT_EQ(ini[2] + ter[2] + ini[4], "INITERFRMCG_STORICO");
    EXPECT_EQ(ini[1], ter[1]);
}

TEST(TraceSink, SilentUnlessTheSettingOrTheEnvironmentNamesStderrOrAFile) {
    EXPECT_EQ(module::make_trace_sink(""), nullptr);

    auto to_stderr = module::make_trace_sink("1");
    ASSERT_NE(to_stderr, nullptr);
    testing::internal::CaptureStderr();
    to_stderr->Write("KVTR:|X|INI|ZIZO_LEDGERINTAKE|Y");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "KVTR:|X|INI|ZIZO_LEDGERINTAKE|Y\n");

    scripted::TempDir dir;
    auto to_file = module::make_trace_sink((dir / "trace.txt").string());
    ASSERT_NE(to_file, nullptr);
    to_file->Write("first");
    to_file->Write("second");
    EXPECT_EQ(scripted::read_lines(dir / "trace.txt"), (Lines{"first", "second"}));

    // A file that cannot be written is not an error of the module.
    auto nowhere = module::make_trace_sink((dir / "missing-folder" / "trace.txt").string());
    ASSERT_NE(nowhere, nullptr);
    nowhere->Write("lost");

    ::setenv(module::kTraceVariable, (dir / "env-trace.txt").string().c_str(), 1);
    auto from_environment = module::trace_sink_from_environment();
    ::setenv(module::kTraceVariable, "", 1);
    ASSERT_NE(from_environment, nullptr);
    from_environment->Write("line");
    EXPECT_EQ(scripted::read_lines(dir / "env-trace.txt"), Lines{"line"});
    EXPECT_EQ(module::trace_sink_from_environment(), nullptr);
}

}  // namespace
