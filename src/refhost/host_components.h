#pragma once
// The classes of the reference host: log objects that show through the front end,
// connections, date and utility objects, the activity-parameters and exercise services,
// the numbering and progressive-number services and the rebuild of the progressive totals.
// the grid layout and the file services of the log window's save.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "ado/datetime.h"
#include "host/components.h"
#include "host/log_object.h"
#include "host/objects.h"
#include "refhost/window_services.h"

namespace refhost {

class HostUi;

// Keeps the error and provider errors handed over until the error is shown.
class LogObject final : public host::LogObject {
  public:
    explicit LogObject(std::shared_ptr<HostUi> ui) : ui_(std::move(ui)) {}
    void Initialise(host::Cinterface* active_dll) override { active_dll_ = active_dll; }
    void SetError(const host::ErrorInfo& error) override { error_ = error; }
    void SetProviderErrors(const ado::ProviderErrors& errors) override { provider_errors_ = errors; }
    // Answers 3, 4 or 5; any other answer of the front end counts as 3 (abort).
    std::int32_t ShowError(const std::string& caption, const std::string& message,
                           const std::string& procedure, std::int32_t buttons) override;
    void SetDefaultButton(std::int32_t button) override { default_button_ = button; }
    std::int16_t ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                             const std::string& detail, const std::string& caption) override;
    void Terminate() override { terminated_ = true; }

    host::Cinterface* initialised_with() const { return active_dll_; }
    bool terminated() const { return terminated_; }

  private:
    std::shared_ptr<HostUi> ui_;
    host::Cinterface* active_dll_ = nullptr;
    host::ErrorInfo error_;
    ado::ProviderErrors provider_errors_;
    std::int32_t default_button_ = 0;
    bool terminated_ = false;
};

class ConnectionFactory final : public host::ConnectionFactory {
  public:
    explicit ConnectionFactory(std::filesystem::path statement_trace = {})
        : statement_trace_(std::move(statement_trace)) {}
    std::shared_ptr<ado::Connection> NewConnection() override;

  private:
    std::filesystem::path statement_trace_;
};

// SQL text 'YYYYMMDD' (without quotes); valid for the years 1753..9999, the range of the
// server's date type.
class DateObject final : public host::DateObject {
  public:
    void SetDate(const ado::DateTime& date) override { date_ = date; }
    std::int32_t ValidityCode() const override;
    std::string SqlText() const override;

  private:
    std::optional<ado::DateTime> date_;
};

class UtilityObject final : public host::UtilityObject {
  public:
    std::string DateFormat() const override { return "dd/mm/yyyy"; }
    std::string DateTimeFormat() const override { return "dd/mm/yyyy hh:nn:ss"; }
};

class Components final : public host::Components {
  public:
    // `connection_string`: what the services use when no open connection is handed to them.
    // `statement_trace`: the file every connection handed out traces to (none when empty).
    Components(std::shared_ptr<HostUi> ui, std::string connection_string,
               std::filesystem::path statement_trace = {})
        : ui_(std::move(ui)),
          connection_string_(std::move(connection_string)),
          statement_trace_(std::move(statement_trace)) {}

    std::shared_ptr<host::LogObject> CreateLogObject() override;
    std::shared_ptr<host::ConnectionFactory> CreateConnectionFactory() override;
    std::shared_ptr<host::DateObject> CreateDateObject() override;
    std::shared_ptr<host::UtilityObject> CreateUtilityObject() override;
    std::shared_ptr<host::ActivityParametersService> CreateActivityParametersService() override;
    std::shared_ptr<host::ExerciseService> CreateExerciseService() override;
    std::shared_ptr<host::NumberingRequest> CreateNumberingRequest() override;
    std::shared_ptr<host::ProgressiveNumberService> CreateProgressiveNumberService() override;
    std::shared_ptr<host::RebuildService> CreateRebuildService() override;
    std::shared_ptr<host::GridLayout> CreateGridLayout() override;
    std::shared_ptr<host::FileObject> CreateFileObject() override;
    std::shared_ptr<host::FolderObject> CreateFolderObject() override;
    std::shared_ptr<host::PathObject> CreatePathObject() override;

  private:
    std::shared_ptr<HostUi> ui_;
    std::string connection_string_;
    std::filesystem::path statement_trace_;
    // A new file object starts a save; the folder and path objects made after it share it.
    std::shared_ptr<SaveChoice> save_ = std::make_shared<SaveChoice>();
};

}  // namespace refhost
