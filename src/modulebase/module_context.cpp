#include "modulebase/module_context.h"

#include "ado/connection.h"
#include "host/log_object.h"
#include "host/objects.h"
#include "modulebase/host_access.h"
#include "modulebase/routines.h"
#include "modulebase/ui.h"

namespace module {

ModuleContext::ModuleContext(host::Cinterface& module_object,
                             std::shared_ptr<const host::Application> application,
                             std::shared_ptr<TraceSink> trace, GuidSource guid_source)
    : module_object_(module_object),
      application_(std::move(application)),
      trace_(std::move(trace)),
      guid_source_(std::move(guid_source)) {}

std::int32_t ModuleContext::VisualizzaErrore(const host::ErrorInfo& error,
                                             std::string_view procedure) noexcept {
    const std::shared_ptr<host::LogObject> log = state_.log;
    if (!log) {
        suppress([&] {
            need(cls_global(module_object_).Messages(), "ClsGlobal.Messages")
                .Show(kLogNotSetMessage, kLogNotSetTitle);
        });
        return host::kAnswerAbort;
    }
    suppress([&] { log->SetError(error); });
    suppress([&] {
        if (state_.connection) log->SetProviderErrors(state_.connection->Errors());
    });
    std::int32_t answer = host::kAnswerAbort;
    suppress([&] {
        const std::string caption = application_ ? application_->Title() : std::string();
        answer = log->ShowError(caption, "", std::string(procedure), host::kErrorButtons);
    });
    return answer;
}

std::string ModuleContext::FormattaDataSQL(const ado::Variant& value) const noexcept {
    return module::FormattaDataSQL(value, state_.date_object.get());
}

}  // namespace module
