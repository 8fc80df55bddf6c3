#include "session/application.h"

#include <system_error>
#include <utility>

#include "session/update_check.h"

namespace session {

std::filesystem::path ProgramDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path(error) : program.parent_path();
}

int RunClient(const std::filesystem::path& program_dir, mainwnd::CVEXADlg::Options options) {
    if (CheckForUpdate(program_dir)) {
        return 0;
    }
    mainwnd::CVEXADlg window(std::move(options));
    window.DoModal();
    window.Logout();
    return 0;
}

}  // namespace session
