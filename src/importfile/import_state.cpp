#include "importfile/import_state.h"

#include "host/services.h"
#include "modulebase/error_trap.h"
#include "modulebase/routines.h"

namespace importfile {

void ImportState::release() noexcept {
    module::ChiudiRecordset(group_structure);
    module::ChiudiRecordset(activity_parameters);
    module::ChiudiRecordset(account_proposal);
    module::ChiudiRecordset(customer_supplier_map);
    for (auto* request : {&code_numbering, &registration_numbering, &numbering_update}) {
        if (*request) module::suppress([&] { (*request)->SetConnection(nullptr); });
        request->reset();
    }
    progressive_numbers.reset();
    document.reset();
    file_accepted = false;
}

}  // namespace importfile
