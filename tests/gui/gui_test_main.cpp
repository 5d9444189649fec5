// The tests need one QApplication for the whole run; without a display they use Qt's
// offscreen platform, whose notes about window hints are left out of the output. The time
// zone, locale and statement trace are fixed here, whatever the caller's environment.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <ctime>

namespace {

QtMessageHandler qt_handler = nullptr;

void filter_messages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("does not support propagateSizeHints")) return;
    qt_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::unsetenv("LEDGERINTAKE_TRACE");
    qt_handler = qInstallMessageHandler(filter_messages);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
