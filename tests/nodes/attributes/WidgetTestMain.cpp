#include <gtest/gtest.h>

#include <QApplication>

// Widget tests need one QApplication for the whole run; the platform comes from QT_QPA_PLATFORM
// (offscreen under ctest).
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
