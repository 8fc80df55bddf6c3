#include "support/qt_app.h"

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "ui/qt/qt_shell.h"

namespace testing_support {

void EnsureQtApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "qitai-tests";
    static char* argv[] = {name, nullptr};
    // The application lives until the process ends and is never destroyed: gtest's main owns
    // the end of the program, and destroying it among the static objects would run after the
    // toolkit's own globals are gone. The pointer keeps it reachable for the leak checker.
    static QApplication* application = std::make_unique<QApplication>(argc, argv).release();
    (void)application;
    ui::qt::InstallStyle();
}

}  // namespace testing_support
