#include "refhost/host_services.h"

#include "ado/connection.h"
#include "ado/types.h"

namespace refhost {
namespace {

// The connection handed in when it is open, else one of the service's own for this run.
class ServiceConnection {
  public:
    ServiceConnection(const std::shared_ptr<ado::Connection>& given, const std::string& connection_string) {
        if (given && given->State() == ado::adStateOpen) {
            use_ = given.get();
        } else {
            own_ = std::make_unique<ado::Connection>();
            own_->Open(connection_string);
            use_ = own_.get();
        }
    }
    ado::Connection& get() { return *use_; }

  private:
    std::unique_ptr<ado::Connection> own_;
    ado::Connection* use_ = nullptr;
};

}  // namespace

void ActivityParametersService::SetConnectionString(const std::string& connection_string) {
    if (!connection_string.empty()) connection_string_ = connection_string;
}

void ActivityParametersService::Run() {
    status_ = 1;
    result_.reset();
    last_error_.clear();
    try {
        ServiceConnection conn(connection_, connection_string_);
        ado::SqlText sql;
        sql.line(" SELECT CG86_IDATTIVITA, CG86_CODATTIVITA, CG86_DESCR FROM CG86_ATTIVITAIVA WITH (NOLOCK)")
            .add(" WHERE CG86_DITTA_CG18 = ")
            .number(company_)
            .add(" AND CG86_ANNO = ")
            .number(year_)
            .add(" ORDER BY CG86_CODATTIVITA");
        result_ = conn.get().Execute(sql);
        status_ = 0;
    } catch (const std::exception& e) {
        result_.reset();
        last_error_ = e.what();
    }
}

void ExerciseService::Run() {
    status_ = 1;
    first_ = second_ = ado::Variant();
    last_error_.clear();
    const auto date = ado::DateTime::parse(ado::trim(date_text_));
    if (!date) {
        last_error_ = "the reference date '" + date_text_ + "' is not a date";
        return;
    }
    try {
        ServiceConnection conn(connection_, connection_string_);
        // The date is written from its parsed parts (digits only), never from the text given.
        const std::string day = date->date_only().compact();
        ado::SqlText sql;
        sql.line(" SELECT EXERCISE_VALUE1, EXERCISE_VALUE2")
            .line(" FROM HOST_EXERCISE WITH (NOLOCK)")
            .line(" WHERE COMPANY_CODE = ")
            .number(company_)
            .line("     AND START_DATE <= '")
            .value(day)
            .add("' AND END_DATE >= '")
            .value(day)
            .add("'")
            .line(" ORDER BY START_DATE DESC");
        const auto rs = conn.get().Execute(sql);
        if (rs->EOF()) {
            last_error_ =
                "no fiscal year of company " + std::to_string(company_) + " contains " + date->iso();
            return;
        }
        first_ = ado::Variant(rs->GetFields().Item("EXERCISE_VALUE1").Value().to_integer());
        second_ = ado::Variant(rs->GetFields().Item("EXERCISE_VALUE2").Value().to_integer());
        status_ = 0;
    } catch (const std::exception& e) {
        first_ = second_ = ado::Variant();
        status_ = 2;
        last_error_ = e.what();
    }
}

}  // namespace refhost
