#include "app/core/ClientPath.h"

#include <cstring>
#include <string_view>

#include "framework/AsciiText.h"

namespace client_path {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string_view WithoutTrailingSeparators(std::string_view path)
{
    while (!path.empty() && IsSeparator(path.back()))
        path.remove_suffix(1);
    return path;
}

} // namespace

std::optional<Client> Locate(const char* buffer, std::size_t bufferSize, const char* clientName)
{
    if (!buffer || !clientName || bufferSize == 0)
        return std::nullopt;
    const void* nul = std::memchr(buffer, '\0', bufferSize);
    if (!nul)
        return std::nullopt; // the value filled the buffer without a NUL

    std::string_view path =
        ascii::Trimmed(std::string_view{buffer, static_cast<std::size_t>(static_cast<const char*>(nul) - buffer)});
    if (!path.empty() && path.front() == '"') {
        path.remove_prefix(1);
        path = ascii::Trimmed(path.substr(0, path.find('"')));
    }
    path = WithoutTrailingSeparators(path);

    const std::string executableName = std::string(clientName) + ".exe";
    std::string_view folder = path;
    const std::size_t separator = path.find_last_of("\\/");
    const bool namesExecutable =
        ascii::SameName(separator == std::string_view::npos ? path : path.substr(separator + 1),
                        std::string_view(executableName));
    if (namesExecutable)
        folder = separator == std::string_view::npos ? std::string_view()
                                                     : WithoutTrailingSeparators(path.substr(0, separator));
    if (folder.empty())
        return std::nullopt;

    Client client;
    client.folder.assign(folder);
    client.executable = namesExecutable ? std::string(path) : client.folder + '\\' + executableName;
    // "C:" alone is the drive's current folder, not its root.
    if (client.folder.back() == ':')
        client.folder += '\\';
    return client;
}

} // namespace client_path
