#pragma once
// GeneraRecordsetParametriAttivita: the current company's VAT activities for the import
// year, from the host's activity-parameters service, kept by the window for the rebuild
// of the progressive totals.
namespace importfile {

class ImportWindowContext;

class ActivityParameters {
  public:
    static constexpr const char* kProcedure = "GeneraRecordsetParametriAttivita";

    explicit ActivityParameters(ImportWindowContext& window) : window_(window) {}

    // Sets `error` when the service fails, returns no activity, or a statement fails.
    void GeneraRecordsetParametriAttivita(bool& error) noexcept;

  private:
    ImportWindowContext& window_;
};

}  // namespace importfile
