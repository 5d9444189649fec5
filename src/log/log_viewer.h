#pragma once
// Where a closed log with an error row goes to be seen. The log window of the desktop front
// end will implement it; the command-line front end prints or saves the text. A front end
// takes part by making its module::Ui implement this interface as well: the log finds it
// through the module's Ui when it closes.
#include <string>

#include "ado/recordset.h"
#include "host/api.h"

namespace importlog {

class LEDGERINTAKE_CONTRACT LogViewer {
  public:
    virtual ~LogViewer() = default;
    // `text`: the whole log, one line per row, the six columns separated by TAB, every line
    // ended by CR, codes as stored. `rows`: the log record set, lent until the call returns.
    // Runs modally: the import waits until it returns.
    virtual void ShowLog(const std::string& text, const ado::RecordsetPtr& rows) = 0;
};

}  // namespace importlog
