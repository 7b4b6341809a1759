#pragma once
// Where the toolkit's two files live, derived from the executable's full path:
//   settings: the path with its extension replaced by ".ini" (C:\Tools\app.exe -> C:\Tools\app.ini;
//             a dot in a directory name is kept: C:\my.dir\app -> C:\my.dir\app.ini);
//   services: "services" in the executable's directory (C:\Tools\services).
// The searches for '.' and '\' step over double-byte characters, whose second byte may be a '\'.

#include <cstddef>

namespace toolkit_paths {

// Tells whether a byte starts a double-byte character in the process's code page.
using LeadBytePredicate = bool (*)(unsigned char);

// The single-byte code pages: no lead bytes.
bool NoLeadBytes(unsigned char);

// The last occurrence of `c` that is a character of its own, or null.
const char* FindLastChar(const char* text, char c, LeadBytePredicate isLeadByte);

// Both write the zero-terminated result into out[size] and return true, or, when the result
// does not fit, write an empty string and return false: no file is then used at all.
bool BuildSettingsPath(const char* modulePath, char* out, std::size_t size, LeadBytePredicate isLeadByte);
bool BuildServicesPath(const char* modulePath, char* out, std::size_t size, LeadBytePredicate isLeadByte);

} // namespace toolkit_paths
