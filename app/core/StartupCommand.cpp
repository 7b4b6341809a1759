#include "app/core/StartupCommand.h"

#include <cstdio>
#include <cstring>

namespace startup_command {

std::optional<std::string> FromCurrentDirectory(const char* buffer, std::size_t bufferSize, unsigned long answer,
                                                const char* productName)
{
    if (!buffer || !productName || bufferSize == 0 || answer == 0 || answer >= bufferSize)
        return std::nullopt;
    // The answer counts the characters written; a NUL before it ends the directory there.
    const void* nul = std::memchr(buffer, '\0', answer);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : answer;
    if (length == 0)
        return std::nullopt;
    const std::string directory(buffer, length);

    char shortcut[kPathSize];
    const int joined = std::snprintf(shortcut, sizeof shortcut, "%s\\%s.lnk", directory.c_str(), productName);
    if (joined < 0 || static_cast<std::size_t>(joined) >= sizeof shortcut)
        return std::nullopt;

    char commandLine[kPathSize + 16];
    const int made = std::snprintf(commandLine, sizeof commandLine, "\"%s\" -tray", shortcut);
    if (made < 0 || static_cast<std::size_t>(made) >= sizeof commandLine)
        return std::nullopt;
    return std::string(commandLine, static_cast<std::size_t>(made));
}

} // namespace startup_command
