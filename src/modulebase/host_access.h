#pragma once
// Reaching host objects from module code. A missing object is an error of the step that
// needed it (host::Error 91, or 429 for a class the host cannot create), never a crash.
#include <memory>
#include <string>
#include <string_view>

#include "host/cinterface.h"
#include "host/components.h"
#include "host/error.h"
#include "host/global_services.h"

namespace module {

template <class T>
T& need(const std::shared_ptr<T>& object, std::string_view what) {
    if (!object)
        throw host::Error(host::kErrObjectNotSet, "Object not set: " + std::string(what), "ledgerintake");
    return *object;
}

template <class T>
T& need(T* object, std::string_view what) {
    if (!object)
        throw host::Error(host::kErrObjectNotSet, "Object not set: " + std::string(what), "ledgerintake");
    return *object;
}

// An object made from a host class; throws when the host returned none.
template <class T>
std::shared_ptr<T> created(std::shared_ptr<T> object, std::string_view what) {
    if (!object)
        throw host::Error(host::kErrCannotCreate, "The host cannot create " + std::string(what),
                          "ledgerintake");
    return object;
}

inline host::GlobalServices& cls_global(const host::Cinterface& module_object) {
    return need(module_object.ClsGlobal(), "ClsGlobal");
}

inline host::Components& host_classes(const host::Cinterface& module_object) {
    return need(cls_global(module_object).Classes(), "ClsGlobal.Classes");
}

}  // namespace module
