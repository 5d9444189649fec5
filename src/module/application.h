#pragma once
// The component's application object: title, path and version of the module library.
#include <string>

#include "host/global_services.h"

namespace module {

class ComponentApplication final : public host::Application {
  public:
    ComponentApplication();
    ComponentApplication(std::string title, std::string path, std::string version);
    std::string Title() const override { return title_; }
    std::string Path() const override { return path_; }
    std::string Version() const override { return version_; }

  private:
    std::string title_;
    std::string path_;
    std::string version_;
};

}  // namespace module
