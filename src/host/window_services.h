#pragma once
// Host classes used by the log and history windows: the grid layout and the three
// file-service objects around saving the log text.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ado/variant.h"
#include "host/api.h"
#include "host/global_services.h"

namespace ado {
class Recordset;
}

namespace host {

class Cinterface;

// Prepares a grid: the calling module, its record set (none), its key field, fixed options.
class LEDGERINTAKE_CONTRACT GridLayout {
  public:
    virtual ~GridLayout() = default;
    virtual void SetCallerModule(Cinterface* module) = 0;
    virtual void SetRecordset(std::shared_ptr<ado::Recordset> recordset) = 0;
    virtual void SetKeyField(const std::string& field) = 0;
    virtual void SetOption(std::string_view name, const ado::Variant& value) = 0;
};

class LEDGERINTAKE_CONTRACT FileObject {
  public:
    virtual ~FileObject() = default;
    virtual void SetProposedName(const std::string& name) = 0;
    virtual void SetOptionFlag(bool flag) = 0;
    virtual void Prepare(std::int32_t mode) = 0;
    virtual std::shared_ptr<HostObject> Document() = 0;
    virtual void Release() = 0;
};

class LEDGERINTAKE_CONTRACT PathObject {
  public:
    virtual ~PathObject() = default;
    virtual void Initialise(std::int32_t kind, const std::string& folder, const std::string& text,
                            std::int32_t option) = 0;
    virtual std::string FullPath() const = 0;
    virtual void TakeDocument(std::shared_ptr<HostObject> document, bool flag) = 0;
    virtual void Release() = 0;
};

class LEDGERINTAKE_CONTRACT FolderObject {
  public:
    virtual ~FolderObject() = default;
    // Called with a file extension ("txt"); returns a folder.
    virtual std::string Call(const std::string& extension) = 0;
    virtual void TakePath(std::shared_ptr<PathObject> path, bool flag) = 0;
    virtual void Release() = 0;
};

}  // namespace host
