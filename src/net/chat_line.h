// The header of a transcript line, for received and sent chat text alike:
// "name(account) h:m:s\r\n  " with the local time and no leading zeros ("客服一(10001) 9:5:7").
#pragma once

#include <ctime>
#include <string>

namespace net {

std::string ChatLineHeader(const std::string& name, const std::string& account,
                           const std::tm& local_time);
// The same at the present local time.
std::string ChatLineHeader(const std::string& name, const std::string& account);

}  // namespace net
