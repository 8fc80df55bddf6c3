// Where the per-user files live: $QITAI_HOME, else $XDG_DATA_HOME/qitai, else
// ~/.local/share/qitai. Clients of different people on one machine share it.
#pragma once

#include <filesystem>

namespace common {

std::filesystem::path DataDir();
// DataDir(), created when missing. Returns false when it cannot be created.
bool EnsureDataDir();

}  // namespace common
