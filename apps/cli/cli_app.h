#pragma once
// The command line of `ledgerintake`: parses it, runs the command and returns the exit
// status (64 for a usage error).
#include "console.h"

namespace cli {

int run_cli(int argc, const char* const* argv, Console& console);

}  // namespace cli
