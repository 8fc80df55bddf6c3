// The process-wide record of who is logged in, in which shop and role, where the central server
// is, and the values one window leaves for another. Plain fields, read and written directly on
// the user-interface thread; every text empty and every number 0 at start.
#pragma once

#include <string>

namespace session {

// Role codes, compared as text.
inline constexpr const char* kRoleManager = "1";
inline constexpr const char* kRoleService = "2";
inline constexpr const char* kRoleTechnician = "4";
inline constexpr const char* kRoleStorekeeper = "5";

// Presence codes.
inline constexpr const char* kOnline = "1";
inline constexpr const char* kInvisible = "2";
inline constexpr const char* kLoggedOut = "3";

// The name shown for a role code ("经理" for "1" ...); empty for a code without a name.
std::string RoleName(const std::string& code);

struct Context {
    // Identity, filled by the login.
    std::string qq;
    std::string name;
    std::string u_kind;
    std::string Manager_id;
    std::string Manager;
    std::string company_name;
    std::string online;
    std::string TiCheng_S, TiCheng_E, TiCheng_T, JiBen_S, JiBen_E, JiBen_T, TiCheng_M;
    std::string localIp;

    // Server settings.
    std::string CurrentIp;
    int Port_server = 0;
    std::string webside;
    std::string SaveDialog;

    // Main-window state.
    int soundOn = 0;
    int udpSocket = -1;
    std::string pendingChats;

    // Acting identity: a manager working in an employee's name.
    std::string actingQq, actingName, actingKind, actingByQq, actingByName;
    std::string pickerRoleFilter;

    // Values left by one window for another.
    int workOrderMode = 0;
    std::string SelectedOrderNumber;
    std::string OpenOrderNumber;
    std::string OpenOrderFinished;
    std::string HistoryPhone;
    int returnMode = 0;
};

}  // namespace session

// The one record of the process.
inline session::Context SessionContext;
