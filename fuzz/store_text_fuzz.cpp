// Feeds arbitrary bytes to the readers of texts that come out of a store: address unscrambling,
// password rotation and GetField. Besides not crashing, the properties that callers rely on must
// hold for every input: scrambling gives three digits a byte and unscrambles back to the text up
// to its first zero byte, rotation undoes itself, and a field is always a piece of its row.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "db/cadoex.h"
#include "db/scramble.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Any text read from the address columns unscrambles safely, to at most 999 bytes.
    const std::string restored = db::UnscrambleAddress(input);
    Check(restored.size() <= 999);
    Check(restored.find('\0') == std::string::npos);

    // A text written by the client comes back as it was, up to its first zero byte.
    const std::string text = input.substr(0, std::min<std::size_t>(input.find('\0'), 999));
    const std::string scrambled = db::ScrambleAddress(text);
    Check(scrambled.size() == text.size() * 3);
    Check(db::UnscrambleAddress(scrambled) == text);

    Check(db::UnrotatePassword(db::RotatePassword(input)) == input);

    // Fields of a row: the first byte picks the field number, the rest is the row.
    if (size > 0) {
        const int n = static_cast<int>(data[0] % 8) - 1;
        const std::string row = input.substr(1);
        const std::string field = db::CADOEx::GetField(row, n, db::kSeparator);
        Check(field.empty() || row.find(field) != std::string::npos);
        Check(field.find(db::kSeparator) == std::string::npos);
    }
    return 0;
}
