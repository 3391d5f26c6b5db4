#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler g_default_handler = nullptr;

// The offscreen platform warns about every window feature it lacks (raise, keyboard grabs);
// those lines would bury the test output.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support"))) {
        return;
    }
    g_default_handler(type, context, message);
}

}  // namespace

// Widget tests need one QApplication for the whole run; the platform comes from QT_QPA_PLATFORM
// (offscreen under ctest).
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    g_default_handler = qInstallMessageHandler(FilterMessages);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
