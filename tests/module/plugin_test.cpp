// The module library loaded at run time through its one entry point, and driven through
// the host contract only, as a host does. This test links none of the module's code.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "capture_sink.h"
#include "module/ledgerintake_api.h"
#include "modulebase/window.h"
#include "scripted_host.h"
#include "scripted_ui.h"
#include "temp_dir.h"

namespace {

struct CloseLibrary {
    void operator()(void* handle) const { ::dlclose(handle); }
};
using Library = std::unique_ptr<void, CloseLibrary>;

TEST(ModuleLibrary, ExportsOnlyItsEntryPointAndRunsAWholeOpenAndClose) {
    scripted::TempDir dir;
    const auto trace_file = dir / "trace.txt";
    ::setenv("LEDGERINTAKE_TRACE", trace_file.string().c_str(), 1);

    const Library library(::dlopen(LEDGERINTAKE_MODULE_LIBRARY, RTLD_NOW | RTLD_LOCAL));
    ASSERT_NE(library, nullptr) << ::dlerror();
    const auto symbol = [&](const char* name) { return ::dlsym(library.get(), name); };
    auto create = reinterpret_cast<ledgerintake_create_module_fn>(symbol("ledgerintake_create_module"));
    ASSERT_NE(create, nullptr);
    // The module's own code and the data-access layer linked into it stay private.
    EXPECT_EQ(symbol("_ZN6module15ConvertiDataOraB5cxx11ESt17basic_string_viewIcSt11char_traitsIcEE"),
              nullptr);
    EXPECT_EQ(symbol("_ZN3ado10ConnectionC1Ev"), nullptr);

    scripted::Host host;
    host.global->database->connection_string =
        scripted::sqlite_connection_string((dir / "books.db").string());
    auto ui = std::make_shared<scripted::Ui>();
    {
        std::unique_ptr<module::LedgerIntake> object(create());
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->ActiveDll(), object.get());
        EXPECT_EQ(object->ObjApplication()->Title(), "ZIZO_LEDGERINTAKE");
        EXPECT_EQ(std::filesystem::path(object->ObjApplication()->Path()),
                  std::filesystem::weakly_canonical(LEDGERINTAKE_MODULE_LIBRARY).parent_path());

        object->SetClsGlobal(host.global);
        object->SetActiveNavigator(host.navigator);
        object->SetUi(ui);
        EXPECT_TRUE(object->ShowForm().is_empty());
        ASSERT_NE(object->Connection(), nullptr);
        EXPECT_EQ(object->Connection()->State(), ado::adStateOpen);
        EXPECT_EQ(object->CloseForm(), ado::Variant(true));
        EXPECT_TRUE(host.calls->contains("ClsGlobal.DropModuleReferences"));
        EXPECT_EQ(object->ClsGlobal(), nullptr);
    }
    ::setenv("LEDGERINTAKE_TRACE", "", 1);

    // The library traces through the environment's setting: module and window, INI then TER.
    const auto lines = scripted::read_lines(trace_file);
    ASSERT_EQ(lines.size(), 4u);
    std::vector<std::vector<std::string>> f;
    for (const auto& line : lines) f.push_back(scripted::trace_fields(line));
    EXPECT_EQ(f[0][4] + f[1][4], "CLSCG_LEDGERINTAKEFRMCG_LEDGERINTAKE");
    EXPECT_EQ(f[0][1], f[2][1]);
    EXPECT_EQ(f[1][1], f[3][1]);
    EXPECT_NE(f[0][1], f[1][1]);
    EXPECT_EQ(f[0][1].size(), 32u);
}

}  // namespace
