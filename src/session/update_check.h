// The check for published program files at start, before any window: every row of the central
// zsv_update list must have its twin (same FileName, FileVersion and FileDel) among the files
// the updater recorded in the local qupdate table. When one is missing the person is offered
// the updater, the program "update" beside the client's own program file.
#pragma once

#include <filesystem>

namespace session {

// The updater's path for a program directory.
std::filesystem::path UpdaterPath(const std::filesystem::path& program_dir);

// True when the updater has been started and the client must end without opening a window;
// false to go on with the normal start. Without an updater nothing is checked. An updater that
// cannot be started is reported and the client starts normally.
bool CheckForUpdate(const std::filesystem::path& program_dir);

}  // namespace session
