#pragma once
// ClsGlobal: the host's global services object, and the small objects reached from it.
// Values that the host may not have (a company without settings, an unset code) come
// back as Variants, Empty or Null when missing; the module applies its own defaults.
#include <memory>
#include <string>

#include "ado/variant.h"
#include "host/api.h"

namespace host {

class Cinterface;
class Components;

// A host object the module only stores and hands back (status bar, menu item, host window).
class LEDGERINTAKE_CONTRACT HostObject {
  public:
    virtual ~HostObject() = default;
};

// The component's own application object: title, path and version of the module library.
// Its title is the caption of error displays.
class LEDGERINTAKE_CONTRACT Application {
  public:
    virtual ~Application() = default;
    virtual std::string Title() const = 0;
    virtual std::string Path() const = 0;
    virtual std::string Version() const = 0;
};

class LEDGERINTAKE_CONTRACT DatabaseSettings {
  public:
    virtual ~DatabaseSettings() = default;
    virtual std::string ConnectionString() const = 0;
};

// The current company.
class LEDGERINTAKE_CONTRACT CompanyObject {
  public:
    virtual ~CompanyObject() = default;
    virtual ado::Variant Code() const = 0;
    // The four statement/portfolio indicators, index 1..4; the module compares each with 1.
    virtual ado::Variant StatementPortfolioIndicator(int index) const = 0;
};

// The company's settings: the first is the chart-of-accounts group, the second is kept only.
class LEDGERINTAKE_CONTRACT CompanySettings {
  public:
    virtual ~CompanySettings() = default;
    virtual ado::Variant ChartOfAccountsGroup() const = 0;
    virtual ado::Variant SecondSetting() const = 0;
};

// The two account texts used on customer rows and supplier rows.
class LEDGERINTAKE_CONTRACT AccountTexts {
  public:
    virtual ~AccountTexts() = default;
    virtual ado::Variant CustomerAccount() const = 0;
    virtual ado::Variant SupplierAccount() const = 0;
};

// The accounting parameters: standard proposal codes ParametroProposta01..13 (index 1..13).
class LEDGERINTAKE_CONTRACT AccountingParameters {
  public:
    virtual ~AccountingParameters() = default;
    virtual ado::Variant ParametroProposta(int index) const = 0;
};

// Message display used before the module's log object exists. The answer is not used.
class LEDGERINTAKE_CONTRACT MessageService {
  public:
    virtual ~MessageService() = default;
    virtual void Show(const std::string& message, const std::string& title) = 0;
};

class LEDGERINTAKE_CONTRACT GlobalServices {
  public:
    virtual ~GlobalServices() = default;

    // Each may return nullptr when the host has no such object.
    virtual std::shared_ptr<DatabaseSettings> Database() = 0;
    virtual std::shared_ptr<CompanyObject> Company() = 0;
    virtual std::shared_ptr<CompanySettings> Settings() = 0;
    virtual std::shared_ptr<AccountTexts> Accounts() = 0;
    virtual std::shared_ptr<AccountingParameters> Accounting() = 0;
    virtual std::shared_ptr<MessageService> Messages() = 0;
    // Creates the objects the module makes from the host's classes (log object, services...).
    virtual std::shared_ptr<Components> Classes() = 0;

    // The current user, written into the import history and the master documents.
    virtual ado::Variant CurrentUserCode() = 0;
    virtual ado::Variant CurrentUserGroup() = 0;

    // The module that is current in the host (the module's ActiveDll); nullptr clears it.
    virtual void SetCurrentModule(Cinterface* module) = 0;
    // Takes the module's application object.
    virtual void SetApplication(std::shared_ptr<const Application> application) = 0;
    // Told when the module is being released (its window unloads).
    virtual void ModuleReleasing() = 0;
    // Drops the two references the host keeps to the module (current module, application).
    virtual void DropModuleReferences() = 0;
};

}  // namespace host
