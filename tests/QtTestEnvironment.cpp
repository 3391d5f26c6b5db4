#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QTemporaryDir>
#include <QtGlobal>

namespace {

// One QApplication for the whole program. Settings go to a folder of their own: ctest names one in
// XDG_CONFIG_HOME, and a run without it gets a temporary folder, never the user's settings.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
            m_config = std::make_unique<QTemporaryDir>();
            qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        }
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
