#include "net/chat_line.h"

namespace net {

std::string ChatLineHeader(const std::string& name, const std::string& account,
                           const std::tm& local_time) {
    return name + "(" + account + ") " + std::to_string(local_time.tm_hour) + ":" +
           std::to_string(local_time.tm_min) + ":" + std::to_string(local_time.tm_sec) + "\r\n  ";
}

std::string ChatLineHeader(const std::string& name, const std::string& account) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ChatLineHeader(name, account, local);
}

}  // namespace net
