#pragma once
// One import window on the reference host: the host on the database the options name, the
// module object wired to it and to the desktop front end, and its window opened (ShowForm)
// for the company and user. Closing asks the window (CloseForm); the host may refuse.
#include <memory>
#include <stdexcept>

#include "gui_options.h"

namespace module {
class ImportWindow;
class ModuleObject;
}  // namespace module
namespace refhost {
class ReferenceHost;
}
namespace cli {
class LogKeeper;
}

namespace gui {

class FrontEnd;

// Why the window could not be opened, in words for the user.
class SessionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Session {
  public:
    // Throws SessionError.
    Session(const GuiOptions& options, std::shared_ptr<FrontEnd> front_end);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    module::ImportWindow& window() const { return *window_; }
    // Asks the window to close; true when it is gone (also when it was already closed).
    bool close();
    bool is_open() const { return open_; }

  private:
    std::shared_ptr<FrontEnd> front_end_;
    std::unique_ptr<refhost::ReferenceHost> host_;
    std::unique_ptr<module::ModuleObject> object_;
    std::unique_ptr<cli::LogKeeper> keeper_;  // after the object: it leaves the object's hook first
    module::ImportWindow* window_ = nullptr;
    bool open_ = false;
};

}  // namespace gui
