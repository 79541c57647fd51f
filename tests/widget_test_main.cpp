// main() of the widget tests: the offscreen platform unless the environment names another, set
// before the application object exists, then GoogleTest. Qt's file dialog keeps its state in
// the user's configuration folder; the tests give it a folder of their own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <cstdlib>

#include "tests/temp_directory.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    const rivo::testing::TempDirectory configuration;
    setenv("XDG_CONFIG_HOME", configuration.path().c_str(), 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
