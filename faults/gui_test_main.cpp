// The main of the GUI fault tests: Qt's offscreen platform and OpenAL's null
// device unless the caller chose otherwise (the test list is discovered
// without ctest's environment).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>

#include "shell/game.h"

namespace {

// Keys the focused control does not want and the offscreen platform's "not
// supported" are what a monkey brings about; they are no news.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")) ||
        message.startsWith(QLatin1String("Keyboard event not accepted"))) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    vornakka::prepareApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
