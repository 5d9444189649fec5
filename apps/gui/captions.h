#pragma once
// Texts of the view models on widgets: UTF-8 to QString, captions with their mnemonics,
// and the rich-text notice (CR LF between paragraphs) as HTML paragraphs.
#include <QString>
#include <string>

class QAction;

namespace gui {

inline QString qtext(const std::string& text) {
    return QString::fromStdString(text);
}

// A button's caption on its action; a leading mnemonic ("&Importa") becomes its Alt
// shortcut, as the toolbar shows the text without it.
void set_caption(QAction& action, const std::string& caption);

// Each line of `text` (CR LF, LF or CR between them) as an HTML paragraph, escaped.
QString notice_html(const std::string& text);

}  // namespace gui
