#include "log/log_states.h"

namespace importlog {

std::string error_state_filter() {
    std::string filter;
    for (auto state : kErrorStates) {
        if (!filter.empty()) filter += " OR ";
        filter += "STATO = " + std::to_string(state);
    }
    return filter;
}

}  // namespace importlog
