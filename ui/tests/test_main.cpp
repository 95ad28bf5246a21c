// The GUI tests run on Qt's offscreen platform and OpenAL's null device.
// gtest_discover_tests lists the tests without ctest's environment, so both
// are set here when the caller has not chosen otherwise.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>

#include "shell/game.h"

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform says so every time a window is raised or sized;
// that is no news to the tests.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (previousHandler != nullptr) {
        previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    previousHandler = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    vornakka::prepareApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
