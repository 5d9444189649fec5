// ledgerintake-gui: the import window on the desktop. The front end's pieces live in the
// ledgerintake_gui library; main parses the command line, opens the window on the
// database and runs the event loop until the window closes.
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "front_end.h"
#include "gui_options.h"
#include "import_view.h"
#include "session.h"

namespace {

// The command line as Qt left it (its own options, -platform and the like, taken out).
std::vector<std::string> remaining_arguments(const QStringList& arguments) {
    std::vector<std::string> out;
    for (qsizetype i = 1; i < arguments.size(); ++i) out.push_back(arguments[i].toStdString());
    return out;
}

bool headless() {
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}

int run(QApplication& app) {
    const gui::ParsedCommandLine command = gui::parse_command_line(remaining_arguments(app.arguments()));
    if (!command.run) {
        (command.status == 0 ? std::cout : std::cerr) << command.message << (command.status == 0 ? "" : "\n");
        return command.status;
    }
    auto front_end = std::make_shared<gui::FrontEnd>();
    std::unique_ptr<gui::Session> session;
    try {
        session = std::make_unique<gui::Session>(command.options, front_end);
    } catch (const gui::SessionError& e) {
        std::cerr << "ledgerintake-gui: " << e.what() << '\n';
        // On a screen the user sees why; offscreen nobody could close the box.
        if (!headless()) QMessageBox::critical(nullptr, "ledgerintake-gui", QString::fromStdString(e.what()));
        return cli::kExitDatabase;
    }
    gui::ImportView view(*session, *front_end);
    view.show();
    const int status = app.exec();
    front_end->set_parent(nullptr);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Help needs no screen: answered before Qt looks for one.
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            std::cout << gui::parse_command_line({"--help"}).message;
            return cli::kExitOk;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("ledgerintake-gui");
    try {
        return run(app);
    } catch (const std::exception& e) {
        std::cerr << "ledgerintake-gui: internal error: " << e.what() << '\n';
    }
    return cli::kExitInternal;
}
