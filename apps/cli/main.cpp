// ledgerintake: the command-line front end. The commands live in the ledgerintake_cli
// library; main only wires the process's streams to them.
#include <unistd.h>

#include <exception>
#include <iostream>

#include "cli_app.h"
#include "exit_status.h"

int main(int argc, char** argv) {
    cli::Console console{std::cout, std::cerr, std::cin, ::isatty(STDIN_FILENO) == 1};
    try {
        return cli::run_cli(argc, argv, console);
    } catch (const std::exception& e) {
        std::cerr << "ledgerintake: internal error: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "ledgerintake: internal error\n";
    }
    return cli::kExitInternal;
}
