#include "message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <algorithm>

#include "cli/terminal_front_end.h"

namespace gui {

namespace {

constexpr std::int32_t kButtonsMask = 0x7;
constexpr std::int32_t kIconMask = 0x70;
constexpr std::int32_t kDefaultMask = 0x300;

struct ButtonSet {
    std::int32_t flag;
    std::vector<std::int32_t> buttons;
};

// The platform's button sets: OK, OK/Cancel, Abort/Retry/Ignore, Yes/No/Cancel, Yes/No,
// Retry/Cancel.
const ButtonSet kButtonSets[] = {
    {0, {kBoxOk}},
    {1, {kBoxOk, kBoxCancel}},
    {2, {kBoxAbort, kBoxRetry, kBoxIgnore}},
    {3, {kBoxYes, kBoxNo, kBoxCancel}},
    {4, {kBoxYes, kBoxNo}},
    {5, {kBoxRetry, kBoxCancel}},
};

QMessageBox::StandardButton standard_button(std::int32_t answer) {
    switch (answer) {
        case kBoxCancel:
            return QMessageBox::Cancel;
        case kBoxAbort:
            return QMessageBox::Abort;
        case kBoxRetry:
            return QMessageBox::Retry;
        case kBoxIgnore:
            return QMessageBox::Ignore;
        case kBoxYes:
            return QMessageBox::Yes;
        case kBoxNo:
            return QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon message_icon(Box::Icon icon) {
    switch (icon) {
        case Box::Icon::Warning:
            return QMessageBox::Warning;
        case Box::Icon::Critical:
            return QMessageBox::Critical;
        case Box::Icon::Question:
            return QMessageBox::Question;
        case Box::Icon::Information:
            break;
    }
    return QMessageBox::Information;
}

// The answer closing the box gives: the button that declines, as the platform chose it.
std::int32_t escape_answer(const Box& box) {
    for (std::int32_t answer : {kBoxCancel, kBoxNo, kBoxAbort})
        if (std::find(box.buttons.begin(), box.buttons.end(), answer) != box.buttons.end()) return answer;
    return box.default_button;
}

}  // namespace

std::string dialog_text(const std::string& text) {
    return cli::terminal_lines(text);
}

Box platform_box(const std::string& text, const std::string& title, std::int32_t flags) {
    Box box;
    box.title = title;
    box.text = text;
    box.buttons = {kBoxOk};
    for (const ButtonSet& set : kButtonSets)
        if (set.flag == (flags & kButtonsMask)) box.buttons = set.buttons;
    switch (flags & kIconMask) {
        case 16:
            box.icon = Box::Icon::Critical;
            break;
        case 32:
            box.icon = Box::Icon::Question;
            break;
        case 48:
            box.icon = Box::Icon::Warning;
            break;
        default:
            box.icon = Box::Icon::Information;
            break;
    }
    const std::size_t default_index = static_cast<std::size_t>((flags & kDefaultMask) >> 8);
    box.default_button = box.buttons.at(std::min(default_index, box.buttons.size() - 1));
    return box;
}

std::int32_t run_box(const Box& box, QWidget* parent) {
    QMessageBox dialog(message_icon(box.icon), QString::fromStdString(box.title),
                       QString::fromStdString(dialog_text(box.text)), QMessageBox::NoButton, parent);
    if (!box.detail.empty()) dialog.setInformativeText(QString::fromStdString(dialog_text(box.detail)));
    for (std::int32_t answer : box.buttons) {
        QPushButton* button = dialog.addButton(standard_button(answer));
        button->setProperty("answer", answer);
        if (answer == box.default_button) dialog.setDefaultButton(button);
    }
    dialog.setEscapeButton(standard_button(escape_answer(box)));
    dialog.exec();
    const QAbstractButton* clicked = dialog.clickedButton();
    if (clicked == nullptr) return escape_answer(box);
    return clicked->property("answer").toInt();
}

}  // namespace gui
