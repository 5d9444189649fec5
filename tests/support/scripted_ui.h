#pragma once
// A front end for tests: records how windows are shown and runs a scripted user while a
// modal window is up.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "modulebase/controls.h"
#include "modulebase/ui.h"
#include "modulebase/window.h"
#include "scripted_host.h"

namespace scripted {

class Ui final : public module::Ui {
  public:
    void WindowCreated(module::Window& window) override {
        window.SetHandle(next_handle++);
        shown.push_back("created");
    }
    void ShowModeless(module::Window& window) override { shown.push_back("modeless:" + window.Caption()); }
    void RunModal(module::Window& window) override {
        shown.push_back("modal:" + window.Caption());
        if (user) user(window);
        shown.push_back(window.IsLoaded() ? "modal returned (open)" : "modal returned (closed)");
    }
    std::int32_t MessageBox(const std::string& text, const std::string& title, std::int32_t flags) override {
        boxes.push_back(title + ":" + text + ":" + std::to_string(flags));
        return box_answer;
    }

    // What the user does while a modal window is up (e.g. close it).
    std::function<void(module::Window&)> user;
    std::vector<std::string> shown;
    std::vector<std::string> boxes;
    std::int32_t box_answer = 1;
    std::int32_t next_handle = 1001;
};

// The front end's side of a path box: it answers as a box without a view does, and each
// operation can be made to fail through the call log ("PathBox.Usable", "PathBox.FileOf",
// "PathBox.RefreshText", "PathBox.RefreshList"). It records nothing.
class PathBoxView final : public module::PathBox::View {
  public:
    explicit PathBoxView(CallLogPtr calls) : calls_(std::move(calls)) {}
    bool Usable(const std::string& text) override {
        calls_->may_fail("PathBox.Usable");
        return module::PathBox::local_usable(text);
    }
    module::PathBox::File FileOf(const std::string& text) override {
        calls_->may_fail("PathBox.FileOf");
        return module::PathBox::local_file(text);
    }
    void RefreshText(const std::string&) override { calls_->may_fail("PathBox.RefreshText"); }
    void RefreshList(const std::string&) override { calls_->may_fail("PathBox.RefreshList"); }

  private:
    CallLogPtr calls_;
};

}  // namespace scripted
