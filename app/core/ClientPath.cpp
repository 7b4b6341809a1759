#include "app/core/ClientPath.h"

#include <cstdio>
#include <cstring>

namespace client_path {

std::optional<std::string> ExecutablePath(const char* buffer, std::size_t bufferSize, const char* clientName)
{
    if (!buffer || !clientName || bufferSize == 0)
        return std::nullopt;
    const void* nul = std::memchr(buffer, '\0', bufferSize);
    if (!nul)
        return std::nullopt; // the value filled the buffer without a NUL
    const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(nul) - buffer);
    const std::string installPath(buffer, length);

    // The install path as stored: one that ends in a backslash gives two before the name, which
    // the shell accepts.
    char path[kInstallPathSize + 64];
    const int made = std::snprintf(path, sizeof path, "%s\\%s.exe", installPath.c_str(), clientName);
    if (made < 0 || static_cast<std::size_t>(made) >= sizeof path)
        return std::nullopt;
    return std::string(path, static_cast<std::size_t>(made));
}

} // namespace client_path
