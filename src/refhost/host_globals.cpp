#include "refhost/host_globals.h"

#include "refhost/host_ui.h"

namespace refhost {

ado::Variant Company::StatementPortfolioIndicator(int index) const {
    if (index < 1 || index > 4) return {};
    return record_->indicators[static_cast<std::size_t>(index - 1)];
}

ado::Variant AccountingParameters::ParametroProposta(int index) const {
    if (index < 1 || index > 13) return {};
    return record_->proposals[static_cast<std::size_t>(index - 1)];
}

void NoticeService::Show(const std::string& message, const std::string& title) {
    ui_->ShowNotice(message, title);
}

GlobalServices::GlobalServices(std::string connection_string, std::shared_ptr<const CompanyRecord> company,
                               UserRecord user, std::shared_ptr<HostUi> ui,
                               std::shared_ptr<host::Components> components)
    : database_(std::make_shared<ConnectionSettings>(std::move(connection_string))),
      company_(std::make_shared<refhost::Company>(company)),
      settings_(std::make_shared<refhost::Settings>(company)),
      accounts_(std::make_shared<refhost::Accounts>(company)),
      accounting_(std::make_shared<refhost::AccountingParameters>(company)),
      messages_(std::make_shared<NoticeService>(std::move(ui))),
      components_(std::move(components)),
      user_(std::move(user)) {}

void GlobalServices::SetCurrentModule(host::Cinterface* module) {
    current_module_ = module;
    module_calls_.emplace_back("SetCurrentModule");
}

void GlobalServices::SetApplication(std::shared_ptr<const host::Application> application) {
    application_ = std::move(application);
    module_calls_.emplace_back("SetApplication");
}

void GlobalServices::ModuleReleasing() {
    module_calls_.emplace_back("ModuleReleasing");
}

void GlobalServices::DropModuleReferences() {
    current_module_ = nullptr;
    application_.reset();
    module_calls_.emplace_back("DropModuleReferences");
}

}  // namespace refhost
