#include "importfile/activity_parameters.h"

#include <memory>

#include "ado/recordset.h"
#include "host/components.h"
#include "host/services.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"

namespace importfile {

void ActivityParameters::GeneraRecordsetParametriAttivita(bool& error) noexcept {
    module::ModuleContext& context = window_.module_context();
    ImportState& state = window_.import_state();
    module::ErrorTrap trap(window_.error_reporter(), kProcedure);
    trap.on_error_set(error, true);

    module::ChiudiRecordset(state.activity_parameters);
    std::shared_ptr<host::ActivityParametersService> service;
    if (!trap.run([&] {
            service = module::created(
                module::host_classes(context.module_object()).CreateActivityParametersService(),
                "the activity-parameters service");
        }))
        return;
    const module::ModuleState& shared = context.state();
    if (!trap.run([&] { service->SetConnection(shared.connection); })) return;
    if (!trap.run([&] { service->SetConnectionString(shared.connection_string); })) return;
    if (!trap.run([&] { service->SetCompany(shared.company.company_code); })) return;
    if (!trap.run(
            [&] { service->SetYear(ado::Variant(window_.controls().TXT_ADATA.text).to_date().year()); }))
        return;
    if (!trap.run([&] { service->SetOption(true); })) return;
    if (!trap.run([&] { service->Run(); })) return;
    ado::Variant status;
    if (!trap.run([&] { status = service->Status(); })) return;
    trap.run([&] {
        if (status.to_long() != 0) {
            error = true;
            return;
        }
        ado::RecordsetPtr activities = service->Result();
        if (activities && activities->State() == ado::adStateOpen &&
            !(activities->BOF() && activities->EOF()))
            state.activity_parameters = std::move(activities);
        else
            error = true;
    });
}

}  // namespace importfile
