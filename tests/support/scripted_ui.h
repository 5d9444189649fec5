#pragma once
// A front end for tests: records how windows are shown and runs a scripted user while a
// modal window is up.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "modulebase/ui.h"
#include "modulebase/window.h"

namespace scripted {

class Ui final : public module::Ui {
public:
    void WindowCreated(module::Window& window) override {
        window.SetHandle(next_handle++);
        shown.push_back("created");
    }
    void ShowModeless(module::Window& window) override {
        shown.push_back("modeless:" + window.Caption());
    }
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

}  // namespace scripted
