#include "refhost/host_navigator.h"

namespace refhost {

void FormRegistry::Register(std::int32_t window_handle, std::int32_t reserved, std::int16_t state,
                            const std::string& /*text*/) {
    calls_->push_back("Register(" + std::to_string(window_handle) + "," + std::to_string(reserved) + "," +
                      std::to_string(state) + ")");
    if (state != 0)
        open_.insert(window_handle);
    else
        open_.erase(window_handle);
}

void FormRegistry::RemoveMenuItem(std::int32_t window_handle) {
    calls_->push_back("RemoveMenuItem(" + std::to_string(window_handle) + ")");
}

Navigator::Navigator()
    : calls_(std::make_shared<std::vector<std::string>>()), forms_(std::make_shared<FormRegistry>(calls_)) {}

ado::Variant Navigator::Notify() {
    calls_->emplace_back("Notify");
    return {};
}

void Navigator::SetFrameStatus(std::int16_t status) {
    calls_->push_back("SetFrameStatus(" + std::to_string(status) + ")");
}

void Navigator::Refresh() {
    calls_->emplace_back("Refresh");
}

void Navigator::ClearCurrentModule() {
    calls_->emplace_back("ClearCurrentModule");
}

}  // namespace refhost
