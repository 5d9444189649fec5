#pragma once
// The error trap every procedure of the module uses.
//
// A procedure creates one trap with its own name, declares the fixed values its trap sets
// on an error (a failure flag, a cancel flag), and runs each fallible statement through it:
//
//     bool failed = false;
//     ErrorTrap trap(reporter, "DeterminaEsercizioImportazione");
//     trap.on_error_set(failed, true);
//     if (!trap.run([&] { service.Run(); })) return;
//
// On a failure the trap applies its fixed values, asks the error routine (VisualizzaErrore)
// and follows the answer: retry runs the same statement again, ignore goes on with the next
// one (run returns true), abort leaves the procedure (run returns false and every later run
// of the same trap does nothing). The procedure's result is whatever it holds then.
//
// Statements that run "with errors suppressed" go through suppress() instead: nothing
// escapes and nobody is asked.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/error.h"

namespace module {

// The error routine a trap reports to.
class ErrorReporter {
  public:
    virtual ~ErrorReporter() = default;
    // Shows the error of `procedure` and answers 3 (abort), 4 (retry) or 5 (ignore); any other
    // answer counts as abort. Never throws.
    virtual std::int32_t VisualizzaErrore(const host::ErrorInfo& error,
                                          std::string_view procedure) noexcept = 0;
};

// The error information of the exception being handled (call it inside a catch block):
// ado::Error and host::Error keep their number, description and source; any other
// std::exception becomes an error with its what() text.
host::ErrorInfo current_error_info() noexcept;

class ErrorTrap {
  public:
    ErrorTrap(ErrorReporter& reporter, std::string procedure);
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Runs on every trapped error before the error routine is asked, in the order added.
    ErrorTrap& on_error(std::function<void()> action);
    template <class T, class V>
    ErrorTrap& on_error_set(T& target, V value) {
        return on_error([&target, value] { target = value; });
    }

    // Runs one statement. True: go on with the next statement (it succeeded, or the error
    // was ignored). False: leave the procedure (the error was answered with abort, now or
    // by an earlier statement of this trap).
    template <class F>
    bool run(F&& statement) noexcept {
        if (left_) return false;
        for (;;) {
            try {
                statement();
                return true;
            } catch (...) {
                switch (handle(current_error_info())) {
                    case Resume::Retry:
                        continue;
                    case Resume::Next:
                        return true;
                    case Resume::Leave:
                        return false;
                }
            }
        }
    }

    const std::string& procedure() const noexcept { return procedure_; }
    bool left() const noexcept { return left_; }
    // Number of errors trapped so far (each retry that fails again counts).
    int errors() const noexcept { return errors_; }
    // The last trapped error; already set while the on_error actions run.
    const host::ErrorInfo& last_error() const noexcept { return last_error_; }

  private:
    enum class Resume { Retry, Next, Leave };
    Resume handle(host::ErrorInfo error) noexcept;

    ErrorReporter& reporter_;
    std::string procedure_;
    std::vector<std::function<void()>> actions_;
    host::ErrorInfo last_error_;
    int errors_ = 0;
    bool left_ = false;
};

// Runs a statement with errors suppressed: any failure is swallowed.
template <class F>
void suppress(F&& statement) noexcept {
    try {
        statement();
    } catch (...) {
    }
}

// Runs an expression with errors suppressed; `fallback` when it fails.
template <class T, class F>
T suppress_or(T fallback, F&& expression) noexcept {
    try {
        return expression();
    } catch (...) {
        return fallback;
    }
}

}  // namespace module
