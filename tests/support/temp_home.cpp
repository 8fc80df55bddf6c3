#include "support/temp_home.h"

#include <cstdlib>
#include <random>
#include <string>

#include "db/cadoex.h"
#include "db/installation.h"
#include "net/contact_table.h"
#include "session/session_context.h"

namespace testing_support {

namespace {
void ResetProcessState() {
    CentralDb.Close();
    CentralDb.CloseRecordset();
    LocalDb.Close();
    LocalDb.CloseRecordset();
    SessionContext = session::Context{};
    ContactTable.Clear();
    db::ReloadInstallation();
}
}  // namespace

TempHome::TempHome() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / ("qitai-test-" + std::to_string(random()));
    } while (std::filesystem::exists(path_));
    std::filesystem::create_directories(path_);
    setenv("QITAI_HOME", path_.c_str(), 1);
    ResetProcessState();
}

TempHome::~TempHome() {
    ResetProcessState();
    unsetenv("QITAI_HOME");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace testing_support
