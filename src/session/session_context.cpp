#include "session/session_context.h"

namespace session {

std::string RoleName(const std::string& code) {
    if (code == kRoleManager)
        return "经理";
    if (code == kRoleService)
        return "客服";
    if (code == kRoleTechnician)
        return "技术员";
    if (code == kRoleStorekeeper)
        return "保管员";
    return "";
}

}  // namespace session
