#include "db/connection_string.h"

#include "common/text.h"

namespace db {

std::vector<ConnectionPart> SplitConnectionString(const std::string& text) {
    std::vector<ConnectionPart> parts;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(';', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string part = text.substr(pos, end - pos);
        pos = end + 1;
        if (common::Trim(part).empty()) {
            continue;
        }
        const std::size_t eq = part.find('=');
        if (eq == std::string::npos) {
            parts.push_back({common::Trim(part), "", false});
            continue;
        }
        const std::string key = common::Trim(part.substr(0, eq));
        parts.push_back({key, part.substr(eq + 1), !key.empty()});
    }
    return parts;
}

std::string JoinConnectionString(const std::vector<ConnectionPart>& parts) {
    std::string out;
    for (const ConnectionPart& part : parts) {
        if (part.well_formed) {
            out += (out.empty() ? "" : ";") + part.key + "=" + part.value;
        }
    }
    return out;
}

ConnectionPart* FindConnectionPart(std::vector<ConnectionPart>& parts,
                                   std::initializer_list<const char*> keys) {
    for (ConnectionPart& part : parts) {
        for (const char* key : keys) {
            if (part.well_formed && common::EqualsNoCase(part.key, key)) {
                return &part;
            }
        }
    }
    return nullptr;
}

std::string ConnectionValue(const std::string& text, const std::string& key) {
    std::vector<ConnectionPart> parts = SplitConnectionString(text);
    const ConnectionPart* part = FindConnectionPart(parts, {key.c_str()});
    return part != nullptr ? common::Trim(part->value) : std::string();
}

}  // namespace db
