#include "common/data_dir.h"

#include <cstdlib>
#include <system_error>

namespace common {

std::filesystem::path DataDir() {
    if (const char* home = std::getenv("QITAI_HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
        return std::filesystem::path(xdg) / "qitai";
    }
    const char* user_home = std::getenv("HOME");
    return std::filesystem::path(user_home != nullptr ? user_home : ".") / ".local" / "share" /
           "qitai";
}

bool EnsureDataDir() {
    std::error_code ec;
    std::filesystem::create_directories(DataDir(), ec);
    return !ec;
}

}  // namespace common
