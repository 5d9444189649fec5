#pragma once
// A record set a procedure opens for itself and closes whatever way it leaves
// (ChiudiRecordset on destruction).
#include <utility>

#include "ado/recordset.h"
#include "modulebase/routines.h"

namespace module {

class ScopedRecordset {
  public:
    ScopedRecordset() = default;
    explicit ScopedRecordset(ado::RecordsetPtr recordset) : recordset_(std::move(recordset)) {}
    ~ScopedRecordset() { ChiudiRecordset(recordset_); }
    ScopedRecordset(const ScopedRecordset&) = delete;
    ScopedRecordset& operator=(const ScopedRecordset&) = delete;

    ScopedRecordset& operator=(ado::RecordsetPtr recordset) {
        ChiudiRecordset(recordset_);
        recordset_ = std::move(recordset);
        return *this;
    }
    ado::Recordset* operator->() const { return recordset_.get(); }
    ado::Recordset& operator*() const { return *recordset_; }
    explicit operator bool() const { return static_cast<bool>(recordset_); }
    // Hands the record set over to a longer-lived owner; this one no longer closes it.
    ado::RecordsetPtr release() { return std::exchange(recordset_, nullptr); }

  private:
    ado::RecordsetPtr recordset_;
};

}  // namespace module
