#pragma once
// A module object wired to a scripted host, a scripted front end and a captured trace,
// with a database file in a temporary folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "capture_sink.h"
#include "module/application.h"
#include "module/module_object.h"
#include "modulebase/import_window_shell.h"
#include "scripted_host.h"
#include "scripted_ui.h"
#include "temp_dir.h"

namespace module_test {

inline constexpr const char* kTitle = "Importazione di prova";

class ModuleFixture : public ::testing::Test {
  protected:
    ModuleFixture() {
        host.global->database->connection_string =
            scripted::sqlite_connection_string((dir / "books.db").string());
    }

    // Without a factory the module opens the bare window shell: these tests are about the
    // module object and the shell's start-up and shutdown, not about the import window.
    module::ModuleObject& make(module::WindowFactory window_factory = {}) {
        module::ModuleObject::Options options;
        options.trace = trace;
        options.window_factory = window_factory ? std::move(window_factory) : shell_factory;
        options.application =
            std::make_shared<module::ComponentApplication>(kTitle, "/opt/ledgerintake", "1.2.3");
        object = std::make_unique<module::ModuleObject>(std::move(options));
        object->SetClsGlobal(host.global);
        object->SetActiveNavigator(host.navigator);
        object->SetActiveFrame(host.frame);
        object->SetUi(ui);
        return *object;
    }

    scripted::Log& log(std::size_t i = 0) { return *host.components().logs.at(i); }

    static std::unique_ptr<module::ModuleWindow> shell_factory(module::ModuleContext& context) {
        return std::make_unique<module::ImportWindowShell>(context);
    }

    scripted::TempDir dir;
    scripted::Host host;
    std::shared_ptr<scripted::CaptureSink> trace = std::make_shared<scripted::CaptureSink>();
    std::shared_ptr<scripted::Ui> ui = std::make_shared<scripted::Ui>();
    std::unique_ptr<module::ModuleObject> object;
};

}  // namespace module_test
