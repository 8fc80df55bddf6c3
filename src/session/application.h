// The life of the client process: the update check before any window, the main window run
// modally for the rest of the process, and the logout when it is gone. The early ends (login
// left, second client of the same person, central database unreachable, socket not bound) end
// the process with -1 inside the run, and nothing is logged out.
#pragma once

#include <filesystem>

#include "mainwnd/main_window.h"

namespace session {

// The folder of the running program file; the updater lives there.
std::filesystem::path ProgramDirectory();

// Runs the client and returns the exit status: 0 after a normal end or when the updater took
// over.
int RunClient(const std::filesystem::path& program_dir, mainwnd::CVEXADlg::Options options = {});

}  // namespace session
