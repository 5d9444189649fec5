#pragma once
// A host whose every answer a test sets one by one, and which records the calls the
// module makes, in order, into one shared CallLog ("Navigator.Refresh", ...).
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/variant.h"
#include "host/host.h"

namespace scripted {

// The connection string of an embedded database file, created when missing.
inline std::string sqlite_connection_string(const std::string& path) {
    return "Provider=SQLite;Data Source=" + path + ";Mode=Create";
}

// A column of a free-standing record set.
inline ado::ColumnInfo column(const char* name, int type, long size = 0, int precision = 0, int scale = 0) {
    ado::ColumnInfo c;
    c.name = name;
    c.type = type;
    c.defined_size = size;
    c.precision = precision;
    c.numeric_scale = scale;
    return c;
}

// The VAT activities an activity-parameters service returns: `rows` activities ("471101",
// 1), ("471102", 2)...
inline ado::RecordsetPtr activity_rows(int rows) {
    ado::RowSet set;
    set.columns = {column("CG86_CODATTIVITA", ado::adVarChar, 6), column("CG86_IDATTIVITA", ado::adInteger)};
    for (int i = 1; i <= rows; ++i) set.rows.push_back({"47110" + std::to_string(i), i});
    return ado::Recordset::from_rows(set);
}

class CallLog {
  public:
    // Records a call ("Forms.Register(1001,0,1,'')"); throws when it was told to fail.
    void add(std::string call);
    const std::vector<std::string>& calls() const { return calls_; }
    // The calls recorded since `mark` (a size() taken earlier).
    std::vector<std::string> since(std::size_t mark) const;
    std::size_t size() const { return calls_.size(); }
    bool contains(const std::string& call) const;
    void clear() { calls_.clear(); }

    // Makes the n-th call named `name` from now on ("Forms.CloseAnswer", without its
    // arguments) fail as a host's call fails: it throws host::Error after being recorded.
    void fail(const std::string& name, int nth = 1);
    // Throws when the call `name` was told to fail; for calls the log does not record.
    void may_fail(std::string_view name);

  private:
    std::vector<std::string> calls_;
    std::map<std::string, int, std::less<>> failures_;  // name, calls left before it fails
};
using CallLogPtr = std::shared_ptr<CallLog>;

class Log final : public host::LogObject {
  public:
    explicit Log(CallLogPtr calls) : calls_(std::move(calls)) {}
    void Initialise(host::Cinterface* active_dll) override;
    void SetError(const host::ErrorInfo& error) override;
    void SetProviderErrors(const ado::ProviderErrors& errors) override;
    std::int32_t ShowError(const std::string& caption, const std::string& message,
                           const std::string& procedure, std::int32_t buttons) override;
    void SetDefaultButton(std::int32_t button) override;
    std::int16_t ShowMessage(std::int32_t code, std::int32_t kind, const std::string& text,
                             const std::string& detail, const std::string& caption) override;
    void Terminate() override;

    // Answers of ShowError, taken in turn; `default_answer` once they run out.
    std::deque<std::int32_t> error_answers;
    std::int32_t default_answer = host::kAnswerAbort;
    std::int16_t message_answer = 0;

    host::Cinterface* initialised_with = nullptr;
    std::vector<host::ErrorInfo> errors;
    std::vector<ado::ProviderErrors> provider_errors;
    struct ErrorShown {
        std::string caption, message, procedure;
        std::int32_t buttons = 0;
    };
    std::vector<ErrorShown> shown;
    // The procedures of the errors shown, in order.
    std::vector<std::string> procedures_shown() const {
        std::vector<std::string> procedures;
        for (const auto& e : shown) procedures.push_back(e.procedure);
        return procedures;
    }
    bool terminated = false;

  private:
    CallLogPtr calls_;
};

class Messages final : public host::MessageService {
  public:
    explicit Messages(CallLogPtr calls) : calls_(std::move(calls)) {}
    void Show(const std::string& message, const std::string& title) override;
    std::vector<std::pair<std::string, std::string>> shown;  // message, title

  private:
    CallLogPtr calls_;
};

class Date final : public host::DateObject {
  public:
    explicit Date(CallLogPtr calls) : calls_(std::move(calls)) {}
    void SetDate(const ado::DateTime& date) override;
    std::int32_t ValidityCode() const override { return validity_code; }
    std::string SqlText() const override { return date_.date_only().compact(); }
    std::int32_t validity_code = 0;
    std::vector<ado::DateTime> dates_given;

  private:
    CallLogPtr calls_;
    ado::DateTime date_;
};

class Utility final : public host::UtilityObject {
  public:
    std::string DateFormat() const override { return "dd/mm/yyyy"; }
    std::string DateTimeFormat() const override { return "dd/mm/yyyy hh:nn:ss"; }
};

// New, closed connections; `hand_out_none` makes it return nullptr.
class ConnectionFactory final : public host::ConnectionFactory {
  public:
    explicit ConnectionFactory(CallLogPtr calls) : calls_(std::move(calls)) {}
    std::shared_ptr<ado::Connection> NewConnection() override;
    std::vector<std::shared_ptr<ado::Connection>> handed_out;
    bool hand_out_none = false;

  private:
    CallLogPtr calls_;
};

class ActivityParameters final : public host::ActivityParametersService {
  public:
    void SetConnection(std::shared_ptr<ado::Connection> c) override { connection = std::move(c); }
    void SetConnectionString(const std::string& cs) override { connection_string = cs; }
    void SetCompany(std::int32_t c) override { company = c; }
    void SetYear(std::int32_t y) override { year = y; }
    void SetOption(bool o) override { option = o; }
    void Run() override {
        ++runs;
        if (calls) calls->may_fail("Activity.Run");
    }
    ado::Variant Status() const override { return status; }
    std::shared_ptr<ado::Recordset> Result() const override { return result; }

    CallLogPtr calls;  // set by Components: makes Run failable

    std::shared_ptr<ado::Connection> connection;
    std::string connection_string;
    std::int32_t company = 0, year = 0;
    bool option = false;
    int runs = 0;
    ado::Variant status = 0;
    std::shared_ptr<ado::Recordset> result;
};

class Exercise final : public host::ExerciseService {
  public:
    void SetConnection(std::shared_ptr<ado::Connection> c) override { connection = std::move(c); }
    void SetCompany(std::int32_t c) override { company = c; }
    void SetReferenceDate(const std::string& d) override { reference_date = d; }
    void Run() override {
        ++runs;
        if (calls) calls->may_fail("Exercise.Run");
    }
    ado::Variant Status() const override { return status; }
    ado::Variant FirstValue() const override { return first; }

    CallLogPtr calls;  // set by Components: makes Run failable
    ado::Variant SecondValue() const override { return second; }

    std::shared_ptr<ado::Connection> connection;
    std::int32_t company = 0;
    std::string reference_date;
    int runs = 0;
    ado::Variant status = 0, first, second;
};

// A numbering request: every property set is recorded in order with its role; results
// are set by the test. Detaching (no connection) is also written to the call log.
class Numbering final : public host::NumberingRequest {
  public:
    explicit Numbering(CallLogPtr calls) : calls_(std::move(calls)) {}
    void SetConnection(std::shared_ptr<ado::Connection> c) override;
    void SetConnectionString(const std::string& cs) override { set("ConnectionString", cs); }
    void SetCompany(std::int32_t v) override { set("Company", v); }
    void SetYear(std::int32_t v) override { set("Year", v); }
    void SetOperation(std::int32_t v) override { set("Operation", v); }
    void SetCompanyAgain(std::int32_t v) override { set("CompanyAgain", v); }
    void SetSection(const ado::Variant& v) override { set("Section", v); }
    void SetNumberingKind(std::int32_t v) override { set("NumberingKind", v); }
    void SetUpdateKind(std::int32_t v) override { set("UpdateKind", v); }
    void SetUpdateDate(const ado::Variant& v) override { set("UpdateDate", v); }
    void SetDate(const ado::Variant& v) override { set("Date", v); }
    void SetDocumentNumber(const ado::Variant& v) override { set("DocumentNumber", v); }
    void SetDocumentNumberSecond(const ado::Variant& v) override { set("DocumentNumberSecond", v); }
    ado::Variant Run() override;
    ado::Variant ErrorCode() const override { return error_code; }
    ado::Variant Number() const override { return number; }
    ado::Variant Prefix() const override { return prefix; }

    std::vector<std::pair<std::string, ado::Variant>> properties;  // role, value, in order
    std::shared_ptr<ado::Connection> connection;
    int runs = 0;
    ado::Variant error_code = 0, number, prefix;
    // Numbers handed out by the runs in turn (each run moves the next into `number`);
    // `number` stays as it is once they run out.
    std::deque<ado::Variant> numbers;

  private:
    void set(const char* role, const ado::Variant& v) { properties.emplace_back(role, v); }
    CallLogPtr calls_;
};

// A progressive-number service: each reservation is recorded ("Progressive.Reserve", which
// a test can make fail) and answers the next of `values` in turn, then `last` for good.
class Progressive final : public host::ProgressiveNumberService {
  public:
    explicit Progressive(CallLogPtr calls) : calls_(std::move(calls)) {}
    std::vector<ado::Variant> Reserve(const std::string& connection_string, const std::string& table,
                                      const std::vector<std::pair<std::string, ado::Variant>>& keys,
                                      const std::vector<std::string>& value_columns) override;

    struct Reservation {
        std::string connection_string, table;
        std::vector<std::pair<std::string, ado::Variant>> keys;
        std::vector<std::string> value_columns;
    };
    std::vector<Reservation> reservations;
    std::deque<ado::Variant> values;
    ado::Variant last;

  private:
    CallLogPtr calls_;
};

// A rebuild service: every parameter given and every operation run is written, in order,
// to `calls` ("Rebuild.Run(3)", "Rebuild.Year(2024)", ...); result codes come from
// `results` by operation (0 when not set). "Rebuild.Run" may be made to fail.
class Rebuild final : public host::RebuildService, public host::RebuildParameters {
  public:
    Rebuild(CallLogPtr calls, std::map<std::int32_t, std::int32_t> results)
        : calls_(std::move(calls)), results_(std::move(results)) {}
    host::RebuildParameters& Parameters() override { return *this; }
    void Run(std::int32_t operation) override {
        calls_->add("Rebuild.Run(" + std::to_string(operation) + ")");
        result_ = results_.count(operation) ? results_.at(operation) : 0;
    }
    std::int32_t ResultCode() const override { return result_; }
    void ClearObjectProperties() override { calls_->add("Rebuild.Clear"); }

    void SetConnectionString(const std::string& cs) override {
        calls_->add("Rebuild.ConnectionString(" + cs + ")");
    }
    void SetCompany(std::int32_t v) override { calls_->add("Rebuild.Company(" + std::to_string(v) + ")"); }
    void SetRunFlag(bool v) override { calls_->add(std::string("Rebuild.RunFlag(") + (v ? "1" : "0") + ")"); }
    void SetFirstExercise(std::int16_t v) override {
        calls_->add("Rebuild.First(" + std::to_string(v) + ")");
    }
    void SetSecondExercise(std::int16_t v) override {
        calls_->add("Rebuild.Second(" + std::to_string(v) + ")");
    }
    void SetYear(std::int32_t v) override { calls_->add("Rebuild.Year(" + std::to_string(v) + ")"); }
    void SetActivityFlag(bool v) override {
        calls_->add(std::string("Rebuild.ActivityFlag(") + (v ? "1" : "0") + ")");
    }
    void SetActivityCode(const ado::Variant& v) override {
        calls_->add("Rebuild.ActivityCode(" + (v.is_null() ? std::string("null") : v.text_or_empty()) + ")");
    }
    void SetActivityId(const ado::Variant& v) override {
        calls_->add("Rebuild.ActivityId(" + (v.is_null() ? std::string("null") : v.text_or_empty()) + ")");
    }

  private:
    CallLogPtr calls_;
    std::map<std::int32_t, std::int32_t> results_;
    std::int32_t result_ = 0;
};

// Records what a window asked of its grid layout.
class GridLayout final : public host::GridLayout {
  public:
    void SetCallerModule(host::Cinterface* module) override { caller = module; }
    void SetRecordset(std::shared_ptr<ado::Recordset> rows) override { recordset = std::move(rows); }
    void SetKeyField(const std::string& field) override { key_field = field; }
    void SetOption(std::string_view name, const ado::Variant& value) override {
        options.emplace_back(std::string(name), value);
    }
    host::Cinterface* caller = nullptr;
    std::shared_ptr<ado::Recordset> recordset;
    std::string key_field;
    std::vector<std::pair<std::string, ado::Variant>> options;
};

// The host's classes. Each Create* hands out what the matching member holds (log objects
// and date objects are made fresh each time and kept in `logs`/`dates`); a class whose
// `refuse_*` flag is set is not created (nullptr). Services not scripted here return the
// object a test put in the member, or nullptr.
class Components final : public host::Components {
  public:
    explicit Components(CallLogPtr calls) : calls_(std::move(calls)) {
        activity->calls = calls_;
        exercise->calls = calls_;
    }
    std::shared_ptr<host::LogObject> CreateLogObject() override;
    std::shared_ptr<host::ConnectionFactory> CreateConnectionFactory() override;
    std::shared_ptr<host::DateObject> CreateDateObject() override;
    std::shared_ptr<host::UtilityObject> CreateUtilityObject() override;
    std::shared_ptr<host::ActivityParametersService> CreateActivityParametersService() override {
        return activity;
    }
    std::shared_ptr<host::ExerciseService> CreateExerciseService() override { return exercise; }
    std::shared_ptr<host::NumberingRequest> CreateNumberingRequest() override {
        return numbering ? numbering() : nullptr;
    }
    std::shared_ptr<host::ProgressiveNumberService> CreateProgressiveNumberService() override {
        return progressive;
    }
    std::shared_ptr<host::RebuildService> CreateRebuildService() override {
        return rebuild ? rebuild() : nullptr;
    }
    std::shared_ptr<host::GridLayout> CreateGridLayout() override { return grid_layout; }
    std::shared_ptr<host::FileObject> CreateFileObject() override { return file; }
    std::shared_ptr<host::FolderObject> CreateFolderObject() override { return folder; }
    std::shared_ptr<host::PathObject> CreatePathObject() override { return path; }

    // Set up every log object the module creates.
    std::function<void(Log&)> configure_log;
    std::vector<std::shared_ptr<Log>> logs;
    std::vector<std::shared_ptr<Date>> dates;
    std::shared_ptr<ConnectionFactory> connection_factory;
    bool refuse_log = false;
    bool refuse_connection_factory = false;
    std::int32_t date_validity_code = 0;

    std::shared_ptr<ActivityParameters> activity = std::make_shared<ActivityParameters>();
    std::shared_ptr<Exercise> exercise = std::make_shared<Exercise>();
    std::function<std::shared_ptr<host::NumberingRequest>()> numbering;
    std::shared_ptr<host::ProgressiveNumberService> progressive;
    std::function<std::shared_ptr<host::RebuildService>()> rebuild;
    std::shared_ptr<host::GridLayout> grid_layout = std::make_shared<GridLayout>();
    std::shared_ptr<host::FileObject> file;
    std::shared_ptr<host::FolderObject> folder;
    std::shared_ptr<host::PathObject> path;

  private:
    CallLogPtr calls_;
};

class Company final : public host::CompanyObject {
  public:
    ado::Variant Code() const override { return code; }
    ado::Variant StatementPortfolioIndicator(int index) const override;
    ado::Variant code = 1;
    ado::Variant indicators[4] = {0, 0, 0, 0};
};

class Settings final : public host::CompanySettings {
  public:
    ado::Variant ChartOfAccountsGroup() const override { return group; }
    ado::Variant SecondSetting() const override { return second; }
    ado::Variant group = 1;
    ado::Variant second = 0;
};

class Accounts final : public host::AccountTexts {
  public:
    ado::Variant CustomerAccount() const override { return customer; }
    ado::Variant SupplierAccount() const override { return supplier; }
    ado::Variant customer = "1101";
    ado::Variant supplier = "2101";
};

// The accounting parameters: the standard proposal codes ParametroProposta01..13 (index
// 1..13), Empty until a test sets them. Every read may be made to fail with
// calls->fail("Accounting.ParametroProposta", n): the n-th read from then on throws.
class AccountingParameters final : public host::AccountingParameters {
  public:
    explicit AccountingParameters(CallLogPtr calls) : calls_(std::move(calls)) {}
    ado::Variant ParametroProposta(int index) const override;
    // proposal[0] is ParametroProposta01.
    ado::Variant proposal[13];
    mutable int reads = 0;

  private:
    CallLogPtr calls_;
};

class Database final : public host::DatabaseSettings {
  public:
    std::string ConnectionString() const override { return connection_string; }
    std::string connection_string;
};

class Global final : public host::GlobalServices {
  public:
    explicit Global(CallLogPtr calls);
    std::shared_ptr<host::DatabaseSettings> Database() override { return database; }
    std::shared_ptr<host::CompanyObject> Company() override {
        calls_->may_fail("ClsGlobal.Company");
        return company;
    }
    std::shared_ptr<host::CompanySettings> Settings() override { return settings; }
    std::shared_ptr<host::AccountTexts> Accounts() override { return accounts; }
    std::shared_ptr<host::AccountingParameters> Accounting() override { return accounting; }
    std::shared_ptr<host::MessageService> Messages() override { return messages; }
    std::shared_ptr<host::Components> Classes() override { return components; }
    ado::Variant CurrentUserCode() override { return user_code; }
    ado::Variant CurrentUserGroup() override { return user_group; }
    void SetCurrentModule(host::Cinterface* module) override;
    void SetApplication(std::shared_ptr<const host::Application> application) override;
    void ModuleReleasing() override;
    void DropModuleReferences() override;

    std::shared_ptr<scripted::Database> database;
    std::shared_ptr<scripted::Company> company;
    std::shared_ptr<scripted::Settings> settings;
    std::shared_ptr<scripted::Accounts> accounts;
    std::shared_ptr<host::AccountingParameters> accounting;
    std::shared_ptr<scripted::Messages> messages;
    std::shared_ptr<scripted::Components> components;
    ado::Variant user_code = "USER1";
    ado::Variant user_group = "GROUP1";
    host::Cinterface* current_module = nullptr;
    std::shared_ptr<const host::Application> application;

  private:
    CallLogPtr calls_;
};

class FormRegistry final : public host::FormRegistry {
  public:
    explicit FormRegistry(CallLogPtr calls) : calls_(std::move(calls)) {}
    void Register(std::int32_t window_handle, std::int32_t reserved, std::int16_t state,
                  const std::string& text) override;
    std::int32_t CloseAnswer() const override {
        calls_->add("Forms.CloseAnswer");
        return close_answer;
    }
    void RemoveMenuItem(std::int32_t window_handle) override;
    // Non-zero refuses the close.
    std::int32_t close_answer = 0;

  private:
    CallLogPtr calls_;
};

class Navigator final : public host::Navigator {
  public:
    explicit Navigator(CallLogPtr calls);
    ado::Variant Notify() override;
    std::shared_ptr<host::FormRegistry> Forms() override;
    void SetFrameStatus(std::int16_t status) override;
    void Refresh() override;
    void ClearCurrentModule() override;
    std::shared_ptr<scripted::FormRegistry> forms;  // nullptr: no registry

  private:
    CallLogPtr calls_;
};

class Frame final : public host::Frame {
  public:
    ado::Variant Value(std::string_view name) const override {
        return name == "Status" ? status : ado::Variant();
    }
    ado::Variant status = std::int16_t{2};
};

// One scripted host: the global services object, a navigator with a registry, a frame and
// the shared call log.
struct Host {
    Host();
    CallLogPtr calls = std::make_shared<CallLog>();
    std::shared_ptr<Global> global;
    std::shared_ptr<Navigator> navigator;
    std::shared_ptr<Frame> frame = std::make_shared<Frame>();
    Components& components() { return *global->components; }
    FormRegistry& forms() { return *navigator->forms; }
};

}  // namespace scripted
