#pragma once
// ClsGlobal of the reference host: the connection string, the company, its settings and
// accounts, the accounting parameters and the user, all from the rows read at start-up;
// notices go to the front end. The module's calls that only inform the host are recorded.
#include <memory>
#include <string>
#include <vector>

#include "host/components.h"
#include "host/global_services.h"
#include "refhost/host_records.h"

namespace refhost {

class HostUi;

class ConnectionSettings final : public host::DatabaseSettings {
  public:
    explicit ConnectionSettings(std::string connection_string) : cs_(std::move(connection_string)) {}
    std::string ConnectionString() const override { return cs_; }

  private:
    std::string cs_;
};

class Company final : public host::CompanyObject {
  public:
    explicit Company(std::shared_ptr<const CompanyRecord> record) : record_(std::move(record)) {}
    ado::Variant Code() const override { return ado::Variant::long_value(record_->code); }
    // Index 1..4; Empty outside.
    ado::Variant StatementPortfolioIndicator(int index) const override;

  private:
    std::shared_ptr<const CompanyRecord> record_;
};

class Settings final : public host::CompanySettings {
  public:
    explicit Settings(std::shared_ptr<const CompanyRecord> record) : record_(std::move(record)) {}
    ado::Variant ChartOfAccountsGroup() const override { return record_->chart_group; }
    ado::Variant SecondSetting() const override { return record_->second_setting; }

  private:
    std::shared_ptr<const CompanyRecord> record_;
};

class Accounts final : public host::AccountTexts {
  public:
    explicit Accounts(std::shared_ptr<const CompanyRecord> record) : record_(std::move(record)) {}
    ado::Variant CustomerAccount() const override { return record_->account_customers; }
    ado::Variant SupplierAccount() const override { return record_->account_suppliers; }

  private:
    std::shared_ptr<const CompanyRecord> record_;
};

class AccountingParameters final : public host::AccountingParameters {
  public:
    explicit AccountingParameters(std::shared_ptr<const CompanyRecord> record) : record_(std::move(record)) {}
    // Index 1..13; Null for a NULL column, Empty outside the range.
    ado::Variant ParametroProposta(int index) const override;

  private:
    std::shared_ptr<const CompanyRecord> record_;
};

class NoticeService final : public host::MessageService {
  public:
    explicit NoticeService(std::shared_ptr<HostUi> ui) : ui_(std::move(ui)) {}
    void Show(const std::string& message, const std::string& title) override;

  private:
    std::shared_ptr<HostUi> ui_;
};

class GlobalServices final : public host::GlobalServices {
  public:
    GlobalServices(std::string connection_string, std::shared_ptr<const CompanyRecord> company,
                   UserRecord user, std::shared_ptr<HostUi> ui, std::shared_ptr<host::Components> components);

    std::shared_ptr<host::DatabaseSettings> Database() override { return database_; }
    std::shared_ptr<host::CompanyObject> Company() override { return company_; }
    std::shared_ptr<host::CompanySettings> Settings() override { return settings_; }
    std::shared_ptr<host::AccountTexts> Accounts() override { return accounts_; }
    std::shared_ptr<host::AccountingParameters> Accounting() override { return accounting_; }
    std::shared_ptr<host::MessageService> Messages() override { return messages_; }
    std::shared_ptr<host::Components> Classes() override { return components_; }
    ado::Variant CurrentUserCode() override { return user_.code; }
    ado::Variant CurrentUserGroup() override { return user_.group; }

    void SetCurrentModule(host::Cinterface* module) override;
    void SetApplication(std::shared_ptr<const host::Application> application) override;
    void ModuleReleasing() override;
    void DropModuleReferences() override;

    // What the module told the host: the module it made current, its application object,
    // and the calls in order ("SetCurrentModule", "SetApplication", "ModuleReleasing",
    // "DropModuleReferences").
    host::Cinterface* current_module() const { return current_module_; }
    std::shared_ptr<const host::Application> application() const { return application_; }
    const std::vector<std::string>& module_calls() const { return module_calls_; }

  private:
    std::shared_ptr<ConnectionSettings> database_;
    std::shared_ptr<refhost::Company> company_;
    std::shared_ptr<refhost::Settings> settings_;
    std::shared_ptr<refhost::Accounts> accounts_;
    std::shared_ptr<refhost::AccountingParameters> accounting_;
    std::shared_ptr<NoticeService> messages_;
    std::shared_ptr<host::Components> components_;
    UserRecord user_;
    host::Cinterface* current_module_ = nullptr;
    std::shared_ptr<const host::Application> application_;
    std::vector<std::string> module_calls_;
};

}  // namespace refhost
