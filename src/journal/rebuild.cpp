#include "journal/rebuild.h"

#include <memory>

#include "ado/recordset.h"
#include "host/components.h"
#include "host/services.h"
#include "importfile/exercise.h"
#include "importfile/progress.h"
#include "importfile/window_context.h"
#include "modulebase/error_trap.h"
#include "modulebase/host_access.h"
#include "modulebase/module_context.h"
#include "modulebase/routines.h"
#include "modulebase/scoped_recordset.h"

namespace journal {

namespace {

constexpr std::int32_t kRebuilds = 5;

// One instance of the rebuild service for one rebuild: its two object properties are
// cleared and the instance released however the rebuild ends.
class RebuildInstance {
  public:
    explicit RebuildInstance(std::shared_ptr<host::RebuildService> service) : service_(std::move(service)) {}
    ~RebuildInstance() {
        if (service_) module::suppress([&] { service_->ClearObjectProperties(); });
    }
    RebuildInstance(const RebuildInstance&) = delete;
    RebuildInstance& operator=(const RebuildInstance&) = delete;
    host::RebuildService* operator->() const { return service_.get(); }
    host::RebuildParameters& parameters() const { return service_->Parameters(); }

  private:
    std::shared_ptr<host::RebuildService> service_;
};

}  // namespace

void Rebuild::RicostruzioneProgressiviContabiliIVA(bool& error) noexcept {
    module::ModuleContext& context = window_.module_context();
    module::ErrorTrap trap(window_.error_reporter(), kProcedure);
    trap.on_error([&] {
        importfile::AggiornaProgressBar(window_, importfile::kProgressEnd);
        window_.controls().MousePointer = module::kPointerDefault;
        error = true;
    });

    importfile::AggiornaProgressBar(window_, importfile::kProgressStart, kRebuilds);
    window_.controls().MousePointer = module::kPointerHourglass;

    const module::ModuleState& shared = context.state();
    const std::int32_t company = shared.company.company_code;
    std::int32_t year = 0;
    if (!trap.run([&] { year = ado::Variant(window_.controls().TXT_ADATA.text).to_date().year(); })) return;

    const auto new_instance = [&] {
        return std::make_unique<RebuildInstance>(module::created(
            module::host_classes(context.module_object()).CreateRebuildService(), "the rebuild service"));
    };
    // A result code other than 0 marks the rebuild failed; the later ones still run.
    const auto run = [&](const RebuildInstance& instance, std::int32_t operation) {
        return trap.run([&] {
            instance->Run(operation);
            if (instance->ResultCode() != 0) error = true;
        });
    };
    const auto step = [&] { importfile::AggiornaProgressBar(window_, importfile::kProgressStep); };

    // 1. The exercise as a whole.
    {
        std::unique_ptr<RebuildInstance> instance;
        if (!trap.run([&] { instance = new_instance(); })) return;
        if (!trap.run([&] {
                host::RebuildParameters& p = instance->parameters();
                p.SetConnectionString(shared.connection_string);
                p.SetCompany(company);
                p.SetRunFlag(true);
            }))
            return;
        std::int16_t first = 0, second = 0;
        importfile::Exercise(window_).DeterminaEsercizioImportazione(error, first, second);
        if (!trap.run([&] {
                instance->parameters().SetFirstExercise(first);
                instance->parameters().SetSecondExercise(second);
            }))
            return;
        if (!run(*instance, 1) || !run(*instance, 2)) return;
    }
    step();

    // The parameters of the rebuilds of the year (2 to 5), the activity flag for 4 and 5.
    const auto year_instance = [&](bool per_activity, std::unique_ptr<RebuildInstance>& instance) {
        return trap.run([&] { instance = new_instance(); }) && trap.run([&] {
            host::RebuildParameters& p = instance->parameters();
            p.SetConnectionString(shared.connection_string);
            p.SetCompany(company);
            p.SetYear(year);
            p.SetRunFlag(true);
            if (per_activity) p.SetActivityFlag(true);
        });
    };

    // 2 and 3. The year.
    for (const std::int32_t operation : {3, 4}) {
        std::unique_ptr<RebuildInstance> instance;
        if (!year_instance(false, instance)) return;
        if (!run(*instance, operation)) return;
        step();
    }

    // 4 and 5. Once per VAT activity of the company; without any the rebuild has failed.
    for (const std::int32_t operation : {5, 6}) {
        std::unique_ptr<RebuildInstance> instance;
        if (!year_instance(true, instance)) return;
        module::ScopedRecordset activities;
        if (!trap.run([&] {
                const ado::RecordsetPtr& source = window_.import_state().activity_parameters;
                if (source && source->State() == ado::adStateOpen) activities = source->Clone();
            }))
            return;
        bool has_rows = false;
        if (!trap.run([&] {
                has_rows = activities && !(activities->BOF() && activities->EOF());
                if (has_rows) activities->MoveFirst();
            }))
            return;
        if (!has_rows) error = true;
        while (has_rows) {
            bool at_end = false;
            if (!trap.run([&] {
                    at_end = activities->EOF();
                    if (at_end) return;
                    instance->parameters().SetActivityCode((*activities)["CG86_CODATTIVITA"].Value());
                    instance->parameters().SetActivityId((*activities)["CG86_IDATTIVITA"].Value());
                }))
                return;
            if (at_end) break;
            if (!run(*instance, operation)) return;
            if (!trap.run([&] { activities->MoveNext(); })) return;
        }
        step();
    }

    importfile::AggiornaProgressBar(window_, importfile::kProgressEnd);
    window_.controls().MousePointer = module::kPointerDefault;
}

}  // namespace journal
