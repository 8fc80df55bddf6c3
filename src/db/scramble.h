// The two reversible encodings of the local store: remembered passwords are rotated by one
// byte, server addresses are scrambled with a one-byte key into digit texts. Both work on bytes
// and on texts of up to 999 bytes.
#pragma once

#include <string>
#include <string_view>

namespace db {

// The stored form of a password: its last byte moved to the front.
std::string RotatePassword(std::string_view typed);
// The typed form back: the first byte moved to the end.
std::string UnrotatePassword(std::string_view stored);

// Scrambles a text of n bytes into 3n digit characters.
std::string ScrambleAddress(std::string_view text);
// Restores a scrambled text. Any input is safe: unknown characters and odd lengths give
// some bytes, never a crash.
std::string UnscrambleAddress(std::string_view scrambled);

}  // namespace db
