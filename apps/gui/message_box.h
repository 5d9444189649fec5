#pragma once
// Every dialog the front end asks a question with, as data: the module's messages and
// questions, trapped errors (abort/retry/ignore), the host's notices and the platform's
// message box. A Box is shown as a QMessageBox whose buttons answer the platform's codes.
#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace gui {

// The platform's answers, which are also the buttons a box can have.
enum BoxAnswer : std::int32_t {
    kBoxOk = 1,
    kBoxCancel = 2,
    kBoxAbort = 3,
    kBoxRetry = 4,
    kBoxIgnore = 5,
    kBoxYes = 6,
    kBoxNo = 7,
};

struct Box {
    enum class Icon { Information, Warning, Critical, Question };

    std::int32_t code = 0;  // the string-table id of a module message, 0 for the others
    std::string title;
    std::string text;
    std::string detail;                 // shown under the text
    std::vector<std::int32_t> buttons;  // BoxAnswer codes, in the order shown
    std::int32_t default_button = kBoxOk;
    Icon icon = Icon::Information;
};

// The box for the platform's message-box flags (buttons in the low three bits, icon in
// 16..64, the default button in 256/512).
Box platform_box(const std::string& text, const std::string& title, std::int32_t flags);

// Shows the box modally over `parent` and returns the code of the button pressed; closing
// the box answers its cancelling button (cancel, no, abort, else the default).
std::int32_t run_box(const Box& box, QWidget* parent);

// Module text (CR LF or lone CR line ends) as a dialog shows it.
std::string dialog_text(const std::string& text);

}  // namespace gui
