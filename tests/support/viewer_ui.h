#pragma once
// A front end whose Ui also shows logs: it records every log it was given (text and row
// count) and does nothing else.
#include <cstdint>
#include <string>
#include <vector>

#include "log/log_viewer.h"
#include "modulebase/ui.h"
#include "modulebase/window.h"

namespace scripted {

class ViewerUi final : public module::Ui, public importlog::LogViewer {
  public:
    void WindowCreated(module::Window&) override {}
    void ShowModeless(module::Window&) override {}
    void RunModal(module::Window&) override {}
    std::int32_t MessageBox(const std::string&, const std::string&, std::int32_t) override { return 1; }
    void ShowLog(const std::string& text, const ado::RecordsetPtr& rows) override {
        texts.push_back(text);
        row_counts.push_back(rows ? rows->RecordCount() : -1);
    }
    std::vector<std::string> texts;
    std::vector<long> row_counts;
};

}  // namespace scripted
