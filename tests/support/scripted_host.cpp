#include "scripted_host.h"

#include <algorithm>

#include "ado/connection.h"

namespace scripted {

std::vector<std::string> CallLog::since(std::size_t mark) const {
    if (mark >= calls_.size()) return {};
    return {calls_.begin() + static_cast<std::ptrdiff_t>(mark), calls_.end()};
}

void CallLog::add(std::string call) {
    calls_.push_back(std::move(call));
    const std::string& added = calls_.back();
    may_fail(std::string_view(added).substr(0, added.find('(')));
}

void CallLog::fail(const std::string& name, int nth) {
    failures_[name] = nth;
}

void CallLog::may_fail(std::string_view name) {
    const auto it = failures_.find(name);
    if (it == failures_.end() || --it->second > 0) return;
    failures_.erase(it);
    throw host::Error(host::kErrHostCall, "Scripted failure of " + std::string(name) + ".");
}

bool CallLog::contains(const std::string& call) const {
    return std::find(calls_.begin(), calls_.end(), call) != calls_.end();
}

void Log::Initialise(host::Cinterface* active_dll) {
    initialised_with = active_dll;
    calls_->add("Log.Initialise");
}

void Log::SetError(const host::ErrorInfo& error) {
    errors.push_back(error);
    calls_->add("Log.SetError(" + error.description + ")");
}

void Log::SetProviderErrors(const ado::ProviderErrors& e) {
    provider_errors.push_back(e);
    calls_->add("Log.SetProviderErrors(" + std::to_string(e.size()) + ")");
}

std::int32_t Log::ShowError(const std::string& caption, const std::string& message,
                            const std::string& procedure, std::int32_t buttons) {
    shown.push_back({caption, message, procedure, buttons});
    calls_->add("Log.ShowError(" + procedure + ")");
    if (error_answers.empty()) return default_answer;
    const std::int32_t answer = error_answers.front();
    error_answers.pop_front();
    return answer;
}

void Log::SetDefaultButton(std::int32_t button) {
    calls_->add("Log.SetDefaultButton(" + std::to_string(button) + ")");
}

std::int16_t Log::ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                              const std::string&, const std::string&) {
    calls_->add("Log.ShowMessage(" + std::to_string(code) + "," + std::to_string(kind) + "," + text + ")");
    return message_answer;
}

void Log::Terminate() {
    terminated = true;
    calls_->add("Log.Terminate");
}

void Messages::Show(const std::string& message, const std::string& title) {
    shown.emplace_back(message, title);
    calls_->add("Messages.Show(" + message + "," + title + ")");
}

void Date::SetDate(const ado::DateTime& date) {
    date_ = date;
    dates_given.push_back(date);
}

std::shared_ptr<ado::Connection> ConnectionFactory::NewConnection() {
    calls_->add("ConnectionFactory.NewConnection");
    if (hand_out_none) return nullptr;
    auto connection = std::make_shared<ado::Connection>();
    handed_out.push_back(connection);
    return connection;
}

void Numbering::SetConnection(std::shared_ptr<ado::Connection> c) {
    connection = std::move(c);
    set("Connection", connection ? ado::Variant("set") : ado::Variant());
    if (!connection) calls_->add("Numbering.SetConnection(none)");
}

ado::Variant Numbering::Run() {
    ++runs;
    calls_->add("Numbering.Run");
    if (!numbers.empty()) {
        number = numbers.front();
        numbers.pop_front();
    }
    return {};
}

std::vector<ado::Variant> Progressive::Reserve(const std::string& connection_string, const std::string& table,
                                               const std::vector<std::pair<std::string, ado::Variant>>& keys,
                                               const std::vector<std::string>& value_columns) {
    reservations.push_back({connection_string, table, keys, value_columns});
    calls_->add("Progressive.Reserve");
    if (!values.empty()) {
        last = values.front();
        values.pop_front();
    }
    return {last};
}

std::shared_ptr<host::LogObject> Components::CreateLogObject() {
    calls_->add("Classes.CreateLogObject");
    if (refuse_log) return nullptr;
    auto log = std::make_shared<Log>(calls_);
    if (configure_log) configure_log(*log);
    logs.push_back(log);
    return log;
}

std::shared_ptr<host::ConnectionFactory> Components::CreateConnectionFactory() {
    calls_->add("Classes.CreateConnectionFactory");
    if (refuse_connection_factory) return nullptr;
    if (!connection_factory) connection_factory = std::make_shared<ConnectionFactory>(calls_);
    return connection_factory;
}

std::shared_ptr<host::DateObject> Components::CreateDateObject() {
    calls_->add("Classes.CreateDateObject");
    auto date = std::make_shared<Date>(calls_);
    date->validity_code = date_validity_code;
    dates.push_back(date);
    return date;
}

std::shared_ptr<host::UtilityObject> Components::CreateUtilityObject() {
    calls_->add("Classes.CreateUtilityObject");
    return std::make_shared<Utility>();
}

ado::Variant Company::StatementPortfolioIndicator(int index) const {
    return index >= 1 && index <= 4 ? indicators[index - 1] : ado::Variant();
}

ado::Variant AccountingParameters::ParametroProposta(int index) const {
    ++reads;
    calls_->may_fail("Accounting.ParametroProposta");
    if (index < 1 || index > 13)
        throw host::Error(host::kErrHostCall, "No proposal setting " + std::to_string(index) + ".");
    return proposal[index - 1];
}

Global::Global(CallLogPtr calls)
    : database(std::make_shared<scripted::Database>()),
      company(std::make_shared<scripted::Company>()),
      settings(std::make_shared<scripted::Settings>()),
      accounts(std::make_shared<scripted::Accounts>()),
      accounting(std::make_shared<scripted::AccountingParameters>(calls)),
      messages(std::make_shared<scripted::Messages>(calls)),
      components(std::make_shared<scripted::Components>(calls)),
      calls_(std::move(calls)) {}

void Global::SetCurrentModule(host::Cinterface* module) {
    current_module = module;
    calls_->add(module ? "ClsGlobal.SetCurrentModule" : "ClsGlobal.SetCurrentModule(none)");
}

void Global::SetApplication(std::shared_ptr<const host::Application> app) {
    application = std::move(app);
    calls_->add("ClsGlobal.SetApplication");
}

void Global::ModuleReleasing() {
    calls_->add("ClsGlobal.ModuleReleasing");
}

void Global::DropModuleReferences() {
    current_module = nullptr;
    application.reset();
    calls_->add("ClsGlobal.DropModuleReferences");
}

void FormRegistry::Register(std::int32_t window_handle, std::int32_t reserved, std::int16_t state,
                            const std::string& text) {
    calls_->add("Forms.Register(" + std::to_string(window_handle) + "," + std::to_string(reserved) + "," +
                std::to_string(state) + ",'" + text + "')");
}

void FormRegistry::RemoveMenuItem(std::int32_t window_handle) {
    calls_->add("Forms.RemoveMenuItem(" + std::to_string(window_handle) + ")");
}

Navigator::Navigator(CallLogPtr calls)
    : forms(std::make_shared<FormRegistry>(calls)), calls_(std::move(calls)) {}

ado::Variant Navigator::Notify() {
    calls_->add("Navigator.Notify");
    return true;
}

std::shared_ptr<host::FormRegistry> Navigator::Forms() {
    return forms;
}

void Navigator::SetFrameStatus(std::int16_t status) {
    calls_->add("Navigator.SetFrameStatus(" + std::to_string(status) + ")");
}

void Navigator::Refresh() {
    calls_->add("Navigator.Refresh");
}

void Navigator::ClearCurrentModule() {
    calls_->add("Navigator.ClearCurrentModule");
}

Host::Host() : global(std::make_shared<Global>(calls)), navigator(std::make_shared<Navigator>(calls)) {}

}  // namespace scripted
