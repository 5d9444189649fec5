#pragma once
// The reference host's grid layout and the three file-service objects around saving the
// log text. The file object takes the proposed name, the folder object asks the front end
// where to save (HostUi::ChooseSaveFile) and returns that folder, and the path object gives
// the full path chosen; the three share what was chosen through the Components that made
// them.
#include <map>
#include <memory>
#include <string>

#include "host/window_services.h"

namespace refhost {

class HostUi;

// Records what the module set; a front end draws the grid from the window's own columns.
class GridLayout final : public host::GridLayout {
  public:
    void SetCallerModule(host::Cinterface* module) override { caller_ = module; }
    void SetRecordset(std::shared_ptr<ado::Recordset> recordset) override {
        recordset_ = std::move(recordset);
    }
    void SetKeyField(const std::string& field) override { key_field_ = field; }
    void SetOption(std::string_view name, const ado::Variant& value) override;

    host::Cinterface* caller() const { return caller_; }
    const std::string& key_field() const { return key_field_; }
    // The option's value (Empty when it was never set).
    ado::Variant option(const std::string& name) const;

  private:
    host::Cinterface* caller_ = nullptr;
    std::shared_ptr<ado::Recordset> recordset_;
    std::string key_field_;
    std::map<std::string, ado::Variant, std::less<>> options_;
};

// One save in progress: the name the module proposes and the path the user chose.
struct SaveChoice {
    std::string proposed_name;
    std::string chosen_path;  // "" until chosen, or when declined
};

class FileObject final : public host::FileObject {
  public:
    explicit FileObject(std::shared_ptr<SaveChoice> choice) : choice_(std::move(choice)) {}
    void SetProposedName(const std::string& name) override;
    void SetOptionFlag(bool flag) override { option_flag_ = flag; }
    void Prepare(std::int32_t) override {}
    std::shared_ptr<host::HostObject> Document() override;
    void Release() override {}

  private:
    std::shared_ptr<SaveChoice> choice_;
    std::shared_ptr<host::HostObject> document_;
    bool option_flag_ = false;
};

class FolderObject final : public host::FolderObject {
  public:
    FolderObject(std::shared_ptr<SaveChoice> choice, std::shared_ptr<HostUi> ui)
        : choice_(std::move(choice)), ui_(std::move(ui)) {}
    // Asks the front end for the file; returns its folder ("" when declined).
    std::string Call(const std::string& extension) override;
    void TakePath(std::shared_ptr<host::PathObject>, bool) override {}
    void Release() override {}

  private:
    std::shared_ptr<SaveChoice> choice_;
    std::shared_ptr<HostUi> ui_;
};

class PathObject final : public host::PathObject {
  public:
    explicit PathObject(std::shared_ptr<SaveChoice> choice) : choice_(std::move(choice)) {}
    void Initialise(std::int32_t kind, const std::string& folder, const std::string& text,
                    std::int32_t option) override;
    // The path the user chose; "" when they declined.
    std::string FullPath() const override;
    void TakeDocument(std::shared_ptr<host::HostObject>, bool) override {}
    void Release() override {}

  private:
    std::shared_ptr<SaveChoice> choice_;
    std::string folder_;
};

}  // namespace refhost
