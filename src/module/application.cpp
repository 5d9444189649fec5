#include "module/application.h"

#include <dlfcn.h>

#include <filesystem>

#include "modulebase/trace.h"

#ifndef LEDGERINTAKE_VERSION
#define LEDGERINTAKE_VERSION "0.0.0"
#endif

namespace module {

namespace {

const char kAnchor = 0;

// The folder of the binary this code was linked into (the module library when loaded
// as one); empty when the platform cannot tell.
std::string own_folder() {
    Dl_info info{};
    if (dladdr(&kAnchor, &info) == 0 || info.dli_fname == nullptr) return {};
    std::error_code ec;
    const auto path = std::filesystem::weakly_canonical(info.dli_fname, ec);
    return (ec ? std::filesystem::path(info.dli_fname) : path).parent_path().string();
}

}  // namespace

ComponentApplication::ComponentApplication()
    : ComponentApplication(std::string(kProjectName), own_folder(), LEDGERINTAKE_VERSION) {}

ComponentApplication::ComponentApplication(std::string title, std::string path, std::string version)
    : title_(std::move(title)), path_(std::move(path)), version_(std::move(version)) {}

}  // namespace module
