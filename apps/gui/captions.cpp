#include "captions.h"

#include <QAction>
#include <QKeySequence>
#include <QStringList>

#include "message_box.h"

namespace gui {

void set_caption(QAction& action, const std::string& caption) {
    const QString text = qtext(caption);
    if (action.text() == text) return;
    action.setText(text);
    action.setShortcut(QKeySequence::mnemonic(text));
}

QString notice_html(const std::string& text) {
    QString html;
    const QStringList lines = qtext(dialog_text(text)).split('\n');
    for (const QString& line : lines) html += "<p>" + line.toHtmlEscaped() + "</p>";
    return html;
}

}  // namespace gui
