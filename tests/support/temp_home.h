// A fresh data directory per test: QITAI_HOME points at a new temporary folder, the session
// record, the contact table and both database instances start empty, and the installation
// settings are read anew.
#pragma once

#include <filesystem>

namespace testing_support {

class TempHome {
  public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace testing_support
