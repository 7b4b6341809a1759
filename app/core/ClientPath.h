#pragma once
// The path of the client's executable, made from the install path that the client records in
// the registry: "<install path>\\<client>.exe".

#include <cstddef>
#include <optional>
#include <string>

namespace client_path {

// The buffer the install path is read into, its NUL included: MAX_PATH characters in UTF-8.
inline constexpr std::size_t kInstallPathSize = 260 * 3;
// The longest install path used, in characters.
inline constexpr std::size_t kInstallPathCharacters = 255;

// The executable's path from the install path read into `buffer` (bufferSize bytes, zero-filled
// before the read). Nothing when the value filled every byte without a NUL: such a value is
// treated as unreadable, and nothing past the buffer is ever looked at.
std::optional<std::string> ExecutablePath(const char* buffer, std::size_t bufferSize, const char* clientName);

} // namespace client_path
