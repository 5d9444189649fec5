#include "refhost/window_services.h"

#include <filesystem>

#include "refhost/host_ui.h"

namespace refhost {

void GridLayout::SetOption(std::string_view name, const ado::Variant& value) {
    options_[std::string(name)] = value;
}

ado::Variant GridLayout::option(const std::string& name) const {
    const auto it = options_.find(name);
    return it == options_.end() ? ado::Variant() : it->second;
}

void FileObject::SetProposedName(const std::string& name) {
    choice_->proposed_name = name;
    choice_->chosen_path.clear();
}

std::shared_ptr<host::HostObject> FileObject::Document() {
    if (!document_) document_ = std::make_shared<host::HostObject>();
    return document_;
}

std::string FolderObject::Call(const std::string& extension) {
    choice_->chosen_path = ui_ ? ui_->ChooseSaveFile(choice_->proposed_name, extension) : std::string();
    if (choice_->chosen_path.empty()) return {};
    return std::filesystem::path(choice_->chosen_path).parent_path().string();
}

void PathObject::Initialise(std::int32_t, const std::string& folder, const std::string&, std::int32_t) {
    folder_ = folder;
}

std::string PathObject::FullPath() const {
    return choice_->chosen_path;
}

}  // namespace refhost
