#include "app/core/StartupCommand.h"

namespace startup_command {

std::optional<std::wstring> ShortcutPath(std::wstring_view exePath, std::wstring_view productName)
{
    const std::size_t slash = exePath.rfind(L'\\');
    if (slash == std::wstring_view::npos || slash == 0 || productName.empty())
        return std::nullopt;
    std::wstring path(exePath.substr(0, slash + 1));
    path.append(productName).append(L".lnk");
    if (path.size() >= kMaxPath)
        return std::nullopt;
    return path;
}

std::wstring Folder(std::wstring_view exePath)
{
    const std::size_t slash = exePath.rfind(L'\\');
    if (slash == std::wstring_view::npos)
        return {};
    std::wstring folder(exePath.substr(0, slash));
    if (!folder.empty() && folder.back() == L':')
        folder += L'\\'; // the root of a drive, not its current folder
    return folder;
}

std::wstring CommandLine(std::wstring_view shortcutPath)
{
    std::wstring line = L"\"";
    line.append(shortcutPath).append(L"\" -tray");
    return line;
}

} // namespace startup_command
