#pragma once
// The navigator of the reference host: it has no menus or frames to update, so it records
// what the module tells it; its form registry keeps the open windows and allows every close.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/navigator.h"

namespace refhost {

using CallRecord = std::shared_ptr<std::vector<std::string>>;

class FormRegistry final : public host::FormRegistry {
  public:
    explicit FormRegistry(CallRecord calls) : calls_(std::move(calls)) {}
    void Register(std::int32_t window_handle, std::int32_t reserved, std::int16_t state,
                  const std::string& text) override;
    std::int32_t CloseAnswer() const override { return 0; }
    void RemoveMenuItem(std::int32_t window_handle) override;

    // Handles of the windows registered open and not unregistered since.
    const std::set<std::int32_t>& open_windows() const { return open_; }

  private:
    CallRecord calls_;
    std::set<std::int32_t> open_;
};

class Navigator final : public host::Navigator {
  public:
    Navigator();
    ado::Variant Notify() override;
    std::shared_ptr<host::FormRegistry> Forms() override { return forms_; }
    void SetFrameStatus(std::int16_t status) override;
    void Refresh() override;
    void ClearCurrentModule() override;

    // Calls in order: "Notify", "Refresh", "SetFrameStatus(2)", "Register(7,0,1)",
    // "RemoveMenuItem(7)", "ClearCurrentModule".
    const std::vector<std::string>& calls() const { return *calls_; }
    const FormRegistry& forms() const { return *forms_; }

  private:
    CallRecord calls_;
    std::shared_ptr<FormRegistry> forms_;
};

}  // namespace refhost
