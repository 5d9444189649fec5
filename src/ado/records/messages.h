#pragma once
// The errors record sets raise, with the texts the platform's data-access objects gave,
// so that a description logged by the module reads as users know it.
#include <string>

#include "ado/error.h"

namespace ado::detail {

inline constexpr long kErrObjectOpen = 3705;    // operation not allowed when the object is open
inline constexpr long kErrNotUpdatable = 3251;  // record set does not support updating

inline Error no_current_record() {
    return Error(kErrBofEof,
                 "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
                 "requires a current record.");
}
inline Error object_closed() {
    return Error(kErrNotOpen, "Operation is not allowed when the object is closed.");
}
inline Error object_open() {
    return Error(kErrObjectOpen, "Operation is not allowed when the object is open.");
}
inline Error not_updatable() {
    return Error(
        kErrNotUpdatable,
        "Current Recordset does not support updating. This may be a limitation of the provider, or of "
        "the selected locktype.");
}
inline Error item_not_found() {
    return Error(kErrFieldNotFound,
                 "Item cannot be found in the collection corresponding to the requested name or ordinal.");
}
inline Error bad_arguments() {
    return Error(kErrArgument,
                 "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "
                 "another.");
}

}  // namespace ado::detail
