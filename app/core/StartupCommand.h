#pragma once
// The command line of the start-with-Windows entry: a shortcut named "<product>.lnk" in the
// process's current directory, in double quotes, then " -tray". Kept apart from the registry so
// that its bounds can be tested on their own.

#include <cstddef>
#include <optional>
#include <string>

namespace startup_command {

// The buffer the current directory is read into; the shortcut's path, with its NUL, must fit in
// as many bytes.
inline constexpr std::size_t kPathSize = 256;

// The command line for the current directory held in `buffer` (bufferSize bytes), where `answer`
// is what the current-directory query returned for that buffer: 0 when it failed, the length
// without the NUL when the directory fitted, the size it needs when it did not.
// Nothing when the query failed, the directory did not fit, the directory is empty, or the
// shortcut's path would not fit in kPathSize bytes: no half-made command line is ever stored.
std::optional<std::string> FromCurrentDirectory(const char* buffer, std::size_t bufferSize, unsigned long answer,
                                                const char* productName);

} // namespace startup_command
