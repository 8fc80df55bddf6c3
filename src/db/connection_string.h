// "KEY=value;KEY=value" connection strings: split once, here, for every engine and the admin tool.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace db {

// One part between semicolons. `key` is trimmed; `value` is as written. A part without "=" or
// with an empty key is not well formed.
struct ConnectionPart {
    std::string key;
    std::string value;
    bool well_formed = false;
};

// The non-blank parts of a connection string, in order.
std::vector<ConnectionPart> SplitConnectionString(const std::string& text);
// The parts joined again ("KEY=value;..."); parts that are not well formed are left out.
std::string JoinConnectionString(const std::vector<ConnectionPart>& parts);
// The first well-formed part whose key is one of `keys` (without regard to case), or nullptr.
ConnectionPart* FindConnectionPart(std::vector<ConnectionPart>& parts,
                                   std::initializer_list<const char*> keys);
// The trimmed value of one key, without regard to case; empty when absent.
std::string ConnectionValue(const std::string& text, const std::string& key);

}  // namespace db
