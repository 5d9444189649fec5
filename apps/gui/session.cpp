#include "session.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "cli/log_keeper.h"
#include "cli/open_checks.h"
#include "front_end.h"
#include "module/import_window.h"
#include "module/module_object.h"
#include "refhost/reference_host.h"

namespace gui {

Session::Session(const GuiOptions& options, std::shared_ptr<FrontEnd> front_end)
    : front_end_(std::move(front_end)) {
    if (auto problem = cli::database_problem(options.database)) throw SessionError(*problem);
    try {
        host_ = std::make_unique<refhost::ReferenceHost>(
            refhost::HostOptions{options.database, options.company, options.user}, front_end_);
    } catch (const refhost::HostError& e) {
        throw SessionError(e.what());
    } catch (const ado::Error& e) {
        throw SessionError("cannot open the database " + options.database.string() + ": " + e.description());
    }
    object_ = std::make_unique<module::ModuleObject>(module::ModuleObject::default_options());
    object_->SetClsGlobal(host_->global_services());
    object_->SetActiveNavigator(host_->navigator());
    object_->SetUi(front_end_);
    // Every import's log is kept, as the command line keeps it (ledgerintake log shows it).
    keeper_ = std::make_unique<cli::LogKeeper>(options.database, *object_);
    object_->ShowForm();
    open_ = true;
    window_ = dynamic_cast<module::ImportWindow*>(object_->CurrentWindow());
    if (window_ == nullptr || !window_->IsLoaded()) {
        close();
        throw SessionError("the import window did not open");
    }
    if (!object_->Connection() || object_->Connection()->State() != ado::adStateOpen) {
        close();
        throw SessionError("the import window could not open the database " + options.database.string());
    }
}

Session::~Session() {
    close();
    keeper_.reset();
}

bool Session::close() {
    if (!open_) return true;
    open_ = !object_->CloseForm().to_bool();
    return !open_;
}

}  // namespace gui
