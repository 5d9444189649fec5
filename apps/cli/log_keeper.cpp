#include "log_keeper.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/sqltext.h"
#include "module/import_window.h"
#include "module/module_object.h"
#include "refhost/database.h"
#include "refhost/kept_log.h"

namespace cli {

LogKeeper::LogKeeper(const std::filesystem::path& database, module::ModuleObject& object) : object_(object) {
    try {
        connection_ = std::make_shared<ado::Connection>();
        connection_->Open(refhost::connection_string(database));
    } catch (const ado::Error& e) {
        problem_ = "the import log cannot be kept: " + e.description();
        return;
    }
    kept_ = std::make_unique<refhost::KeptLog>(*connection_, [&object] {
        auto* window = dynamic_cast<module::ImportWindow*>(object.CurrentWindow());
        return window ? window->import_state().import_header_id : 0;
    });
    object_.SetLogHook([this](const ado::RecordsetPtr& rows) {
        if (!rows || !problem_.empty()) return;
        try {
            kept_->Take(*rows);
        } catch (const ado::Error& e) {
            problem_ = "the import log could not be kept: " + e.description();
        }
    });
}

bool LogKeeper::header_exists(std::int32_t import_id) const {
    if (!connection_ || connection_->State() != ado::adStateOpen) return false;
    try {
        ado::SqlText sql;
        sql.line(" SELECT COUNT(*) FROM IE42_IMPCOGE WHERE IE42_ID = ").number(import_id);
        return connection_->Execute(sql)->GetFields().Item(0).Value().to_long() > 0;
    } catch (const ado::Error&) {
        return false;
    }
}

LogKeeper::~LogKeeper() {
    object_.SetLogHook(nullptr);
    if (connection_) {
        try {
            connection_->Close();
        } catch (const ado::Error&) {
        }
    }
}

}  // namespace cli
