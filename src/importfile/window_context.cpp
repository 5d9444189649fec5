#include "importfile/window_context.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "modulebase/module_context.h"

namespace importfile {

ado::Connection& module_connection(ImportWindowContext& window) {
    const auto& connection = window.module_context().state().connection;
    if (!connection) throw ado::Error(ado::kErrNotOpen, "The module connection is not open.");
    return *connection;
}

}  // namespace importfile
