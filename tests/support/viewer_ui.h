#pragma once
// A front end that reads every log window it is shown: it records the log text and the
// number of rows (whatever filter the window applied) and closes the window.
#include <cstdint>
#include <string>
#include <vector>

#include "log/log_window.h"
#include "modulebase/ui.h"
#include "modulebase/window.h"

namespace scripted {

class ViewerUi final : public module::Ui {
  public:
    void WindowCreated(module::Window&) override {}
    void ShowModeless(module::Window&) override {}
    void RunModal(module::Window& window) override {
        auto* log = dynamic_cast<importlog::LogWindow*>(&window);
        if (!log) return;
        texts.push_back(log->TestoLog);
        row_counts.push_back(log->RecordSetLog ? log->RecordSetLog->Clone()->RecordCount() : -1);
        log->CMD_CHIUDI_ButtonClick();
    }
    std::int32_t MessageBox(const std::string&, const std::string&, std::int32_t) override { return 1; }
    std::vector<std::string> texts;
    std::vector<long> row_counts;
};

}  // namespace scripted
