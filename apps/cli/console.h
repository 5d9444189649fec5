#pragma once
// Where a command writes and reads: standard output for results, standard error for
// errors and prompts, standard input for answers. Tests pass string streams.
#include <iosfwd>

namespace cli {

struct Console {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    // Standard input is a terminal: questions are asked instead of answered from options.
    bool interactive = false;
};

}  // namespace cli
