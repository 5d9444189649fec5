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
    if (code_numbering) module::suppress([&] { code_numbering->SetConnection(nullptr); });
    code_numbering.reset();
    progressive_numbers.reset();
    document.reset();
    file_accepted = false;
}

}  // namespace importfile
