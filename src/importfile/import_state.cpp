#include "importfile/import_state.h"

#include "modulebase/routines.h"

namespace importfile {

void ImportState::release() noexcept {
    module::ChiudiRecordset(group_structure);
    module::ChiudiRecordset(activity_parameters);
    document.reset();
    file_accepted = false;
}

}  // namespace importfile
