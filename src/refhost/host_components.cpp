#include "refhost/host_components.h"

#include "ado/connection.h"
#include "refhost/host_services.h"
#include "refhost/host_ui.h"
#include "refhost/numbering_services.h"
#include "refhost/rebuild_service.h"

namespace refhost {

std::int32_t LogObject::ShowError(const std::string& caption, const std::string& message,
                                  const std::string& procedure,
                                  std::int32_t /*buttons: always abort/retry/ignore*/) {
    host::ErrorInfo shown = std::move(error_);
    ado::ProviderErrors provider = std::move(provider_errors_);
    error_ = {};
    provider_errors_.clear();
    // The module passes no message of its own; should a caller give one, it leads the text.
    if (!message.empty())
        shown.description = shown.description.empty() ? message : message + "\n" + shown.description;
    const std::int32_t answer = ui_->ShowError(caption, procedure, shown, provider);
    if (answer == host::kAnswerRetry || answer == host::kAnswerIgnore) return answer;
    return host::kAnswerAbort;
}

std::int16_t LogObject::ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                                    const std::string& detail, const std::string& caption) {
    return ui_->ShowMessage(code, kind, text, detail, caption, default_button_);
}

std::shared_ptr<ado::Connection> ConnectionFactory::NewConnection() {
    auto connection = std::make_shared<ado::Connection>();
    if (!statement_trace_.empty()) connection->SetStatementTrace(statement_trace_.string());
    return connection;
}

std::int32_t DateObject::ValidityCode() const {
    if (!date_) return 1;
    return date_->year() >= 1753 && date_->year() <= 9999 ? 0 : 1;
}

std::string DateObject::SqlText() const {
    return date_ ? date_->date_only().compact() : std::string();
}

std::shared_ptr<host::LogObject> Components::CreateLogObject() {
    return std::make_shared<LogObject>(ui_);
}

std::shared_ptr<host::ConnectionFactory> Components::CreateConnectionFactory() {
    return std::make_shared<ConnectionFactory>(statement_trace_);
}

std::shared_ptr<host::DateObject> Components::CreateDateObject() {
    return std::make_shared<DateObject>();
}

std::shared_ptr<host::UtilityObject> Components::CreateUtilityObject() {
    return std::make_shared<UtilityObject>();
}

std::shared_ptr<host::ActivityParametersService> Components::CreateActivityParametersService() {
    return std::make_shared<ActivityParametersService>(connection_string_);
}

std::shared_ptr<host::ExerciseService> Components::CreateExerciseService() {
    return std::make_shared<ExerciseService>(connection_string_);
}

std::shared_ptr<host::NumberingRequest> Components::CreateNumberingRequest() {
    return std::make_shared<NumberingRequest>(connection_string_);
}

std::shared_ptr<host::ProgressiveNumberService> Components::CreateProgressiveNumberService() {
    return std::make_shared<ProgressiveNumberService>(connection_string_);
}

// The rebuild works on the database its parameters name, never on a default one.
std::shared_ptr<host::RebuildService> Components::CreateRebuildService() {
    return std::make_shared<RebuildService>();
}

std::shared_ptr<host::GridLayout> Components::CreateGridLayout() {
    return std::make_shared<GridLayout>();
}

std::shared_ptr<host::FileObject> Components::CreateFileObject() {
    save_ = std::make_shared<SaveChoice>();
    return std::make_shared<FileObject>(save_);
}

std::shared_ptr<host::FolderObject> Components::CreateFolderObject() {
    return std::make_shared<FolderObject>(save_, ui_);
}

std::shared_ptr<host::PathObject> Components::CreatePathObject() {
    return std::make_shared<PathObject>(save_);
}

}  // namespace refhost
