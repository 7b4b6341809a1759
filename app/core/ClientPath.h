#pragma once
// The client's executable and its folder, from the install path that the client records in the
// registry. Programs and people write that value in several forms, all of which name the same
// folder: "C:\Program Files\Tarvo", the same in double quotes, with blanks around it, with a
// trailing backslash, or naming the executable itself ("C:\Program Files\Tarvo\Tarvo.exe").

#include <cstddef>
#include <optional>
#include <string>

namespace client_path {

// The buffer the install path is read into, its NUL included: MAX_PATH characters in UTF-8.
inline constexpr std::size_t kInstallPathSize = 260 * 3;
// The longest install folder used, in characters.
inline constexpr std::size_t kInstallPathCharacters = 255;

struct Client {
    std::string executable; // "<folder>\<client>.exe"
    std::string folder;     // the folder the client starts in; a drive's root ends in '\'
};

// The client from the install path read into `buffer` (bufferSize bytes, zero-filled before the
// read; environment variables already expanded). Nothing when the value filled every byte
// without a NUL (nothing past the buffer is ever looked at) or names no folder.
std::optional<Client> Locate(const char* buffer, std::size_t bufferSize, const char* clientName);

} // namespace client_path
