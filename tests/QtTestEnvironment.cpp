#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
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

// One QApplication for the whole program. Settings go to a folder of their own: ctest names one in
// XDG_CONFIG_HOME, and a run without it gets a temporary folder, never the user's settings.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
            m_config = std::make_unique<QTemporaryDir>();
            qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        }
        g_default_handler = qInstallMessageHandler(FilterMessages);
        static int argc = 1;
        static char name[] = "qt_tests";
        static char* argv[] = {name, nullptr};
        m_application = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace
