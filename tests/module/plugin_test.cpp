// The module library loaded at run time through its one entry point, and driven through
// the host contract only, as a host does. This test links none of the module's code.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "capture_sink.h"
#include "module/ledgerintake_api.h"
#include "module/window.h"
#include "scripted_host.h"
#include "scripted_ui.h"
#include "temp_dir.h"

namespace {

class Library {
public:
    explicit Library(const char* path) : handle_(::dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_) ::dlclose(handle_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    void* handle() const { return handle_; }
    void* symbol(const char* name) const { return ::dlsym(handle_, name); }

private:
    void* handle_;
};

std::vector<std::string> read_lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ModuleLibrary, LoadsThroughItsEntryPointAndRunsAWholeOpenAndClose) {
    scripted::TempDir dir;
    const auto trace_file = dir / "trace.txt";
    ::setenv("LEDGERINTAKE_TRACE", trace_file.string().c_str(), 1);

    Library library(LEDGERINTAKE_MODULE_LIBRARY);
    ASSERT_NE(library.handle(), nullptr) << ::dlerror();
    auto create = reinterpret_cast<ledgerintake_create_module_fn>(library.symbol("ledgerintake_create_module"));
    ASSERT_NE(create, nullptr);

    scripted::Host host;
    host.global->database->connection_string = scripted::sqlite_connection_string((dir / "books.db").string());
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
        ASSERT_NE(object->CurrentWindow(), nullptr);
        EXPECT_EQ(object->CurrentWindow()->Caption(), "Importazione movimenti COGE nel gruppo IVA");
        ASSERT_NE(object->Connection(), nullptr);
        EXPECT_EQ(object->Connection()->State(), ado::adStateOpen);
        EXPECT_TRUE(host.calls->contains("Forms.Register(1001,0,1,'')"));

        EXPECT_EQ(object->CloseForm(), ado::Variant(true));
        EXPECT_TRUE(host.calls->contains("ClsGlobal.DropModuleReferences"));
        EXPECT_EQ(object->ClsGlobal(), nullptr);
    }
    ::setenv("LEDGERINTAKE_TRACE", "", 1);

    const auto lines = read_lines(trace_file);
    ASSERT_EQ(lines.size(), 4u);
    const auto module_ini = scripted::trace_fields(lines[0]);
    const auto window_ini = scripted::trace_fields(lines[1]);
    const auto module_ter = scripted::trace_fields(lines[2]);
    const auto window_ter = scripted::trace_fields(lines[3]);
    EXPECT_EQ(module_ini[4], "CLSCG_LEDGERINTAKE");
    EXPECT_EQ(window_ini[4], "FRMCG_LEDGERINTAKE");
    EXPECT_EQ(module_ini[1], module_ter[1]);
    EXPECT_EQ(window_ini[1], window_ter[1]);
    EXPECT_NE(module_ini[1], window_ini[1]);
    EXPECT_EQ(module_ini[1].size(), 32u);
}

TEST(ModuleLibrary, ExportsOnlyItsEntryPoint) {
    Library library(LEDGERINTAKE_MODULE_LIBRARY);
    ASSERT_NE(library.handle(), nullptr) << ::dlerror();
    EXPECT_NE(library.symbol("ledgerintake_create_module"), nullptr);
    // The module's own code and the data-access layer linked into it stay private.
    EXPECT_EQ(library.symbol("_ZN6module15ConvertiDataOraB5cxx11ESt17basic_string_viewIcSt11char_traitsIcEE"), nullptr);
    EXPECT_EQ(library.symbol("_ZN3ado10ConnectionC1Ev"), nullptr);
}

}  // namespace
