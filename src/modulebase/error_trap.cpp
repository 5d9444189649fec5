#include "modulebase/error_trap.h"

#include <exception>
#include <new>

#include "ado/error.h"
#include "host/log_object.h"

namespace module {

namespace {
constexpr long kErrOutOfMemory = 7;
constexpr const char* kSource = "ledgerintake";
}  // namespace

host::ErrorInfo current_error_info() noexcept {
    try {
        try {
            throw;
        } catch (const ado::Error& e) {
            return {e.number(), e.description(), e.source()};
        } catch (const host::Error& e) {
            return {e.number(), e.description(), e.source()};
        } catch (const std::bad_alloc&) {
            return {kErrOutOfMemory, "Out of memory", kSource};
        } catch (const std::exception& e) {
            return {host::kErrUnexpected, e.what(), kSource};
        } catch (...) {
            return {host::kErrUnexpected, "Unexpected failure", kSource};
        }
    } catch (...) {
        // Building the information itself failed (no memory for the texts).
        return {};
    }
}

ErrorTrap::ErrorTrap(ErrorReporter& reporter, std::string procedure)
    : reporter_(reporter), procedure_(std::move(procedure)) {}

ErrorTrap& ErrorTrap::on_error(std::function<void()> action) {
    actions_.push_back(std::move(action));
    return *this;
}

ErrorTrap::Resume ErrorTrap::handle(host::ErrorInfo error) noexcept {
    ++errors_;
    // Set first, so that an action can take the error's description (a log row's message).
    last_error_ = error;
    for (auto& action : actions_) {
        try {
            action();
        } catch (...) {
            // A fixed value that cannot be set must not hide the original error.
        }
    }
    std::int32_t answer = host::kAnswerAbort;
    try {
        answer = reporter_.VisualizzaErrore(last_error_, procedure_);
    } catch (...) {
        answer = host::kAnswerAbort;
    }
    switch (answer) {
        case host::kAnswerRetry:
            return Resume::Retry;
        case host::kAnswerIgnore:
            return Resume::Next;
        default:
            left_ = true;
            return Resume::Leave;
    }
}

}  // namespace module
