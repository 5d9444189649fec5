#include "importfile/exercise.h"

#include <memory>

#include "host/components.h"
#include "host/services.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"

namespace importfile {

namespace {

std::int16_t integer_or_zero(const ado::Variant& v) {
    return v.is_empty() || v.is_null() ? 0 : v.to_integer();
}

}  // namespace

void Exercise::DeterminaEsercizioImportazione(bool& failed, std::int16_t& first,
                                              std::int16_t& second) noexcept {
    module::ModuleContext& context = window_.module_context();
    module::ErrorTrap trap(window_.error_reporter(), kProcedure);
    trap.on_error_set(failed, true);

    std::shared_ptr<host::ExerciseService> service;
    if (!trap.run([&] {
            service = module::created(module::host_classes(context.module_object()).CreateExerciseService(),
                                      "the exercise service");
        }))
        return;
    if (!trap.run([&] { service->SetConnection(context.state().connection); })) return;
    if (!trap.run([&] { service->SetCompany(context.state().company.company_code); })) return;
    if (!trap.run([&] { service->SetReferenceDate(window_.controls().TXT_ADATA.text); })) return;
    if (!trap.run([&] { service->Run(); })) return;
    if (!trap.run([&] {
            if (integer_or_zero(service->Status()) != 0) failed = true;
        }))
        return;
    if (!trap.run([&] { first = integer_or_zero(service->FirstValue()); })) return;
    trap.run([&] { second = integer_or_zero(service->SecondValue()); });
}

}  // namespace importfile
