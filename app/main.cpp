// The client: the platform layer, then the process life of session/application.h. The line on
// standard output says who logged in, for scripts that start clients.
#include <QApplication>
#include <cstdio>
#include <utility>

#include "session/application.h"
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

    mainwnd::CVEXADlg::Options options;
    options.logged_in = [] {
        const std::string role = session::RoleName(SessionContext.u_kind);
        std::printf("qitai: logged in as %s %s (%s)\n", SessionContext.qq.c_str(),
                    SessionContext.name.c_str(),
                    role.empty() ? SessionContext.u_kind.c_str() : role.c_str());
        std::fflush(stdout);
    };
    const int status = session::RunClient(session::ProgramDirectory(), std::move(options));
    ui::SetCurrentShell(nullptr);
    return status;
}
