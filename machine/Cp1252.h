// Code page 1252, the machine's own, to and from UTF-8 (the names on disk). The machine stands
// on its own and does not need the platform layer for this.
#pragma once

#include <string>

namespace quorvel {

// A character that 1252 lacks (or a broken UTF-8 sequence) becomes "?", as on the machine's screen.
std::string Utf8To1252(const std::string& utf8);
std::string Cp1252ToUtf8(const std::string& cp1252);

} // namespace quorvel
