#pragma once
#include <string>
#include <string_view>

// Texts are Windows-1252 on disk and UTF-8 in memory.
namespace qz::cp1252 {

// Every Windows-1252 byte has a UTF-8 form; the five unassigned bytes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string ToUtf8(std::string_view windows1252);

// Characters outside Windows-1252, and malformed UTF-8 sequences, become "?".
std::string FromUtf8(std::string_view utf8);

} // namespace qz::cp1252
