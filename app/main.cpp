// The client: starts the platform layer and runs the login window. A confirmed login prints
// who logged in and ends normally; anything else ends with exit status 255 (-1).
#include <QApplication>
#include <cstdio>

#include "session/login.h"
#include "session/session_context.h"
#include "ui/qt/image_list.h"
#include "ui/qt/qt_shell.h"
#include "ui/shell.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("qitai");
    ui::qt::InstallStyle();
    QApplication::setWindowIcon(ui::qt::LoadIcon("128"));
    ui::qt::QtShell shell;
    ui::SetCurrentShell(&shell);

    session::CLogin login;
    const int result = login.DoModal();
    ui::SetCurrentShell(nullptr);
    if (result != ui::kResultOk) {
        return 255;
    }
    const std::string role = session::RoleName(SessionContext.u_kind);
    std::printf("qitai: logged in as %s %s (%s)\n", SessionContext.qq.c_str(),
                SessionContext.name.c_str(),
                role.empty() ? SessionContext.u_kind.c_str() : role.c_str());
    return 0;
}
