#include "app/core/StartupCommand.h"

#include "framework/AsciiText.h"

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

namespace startup_command {

namespace {

constexpr std::wstring_view kContinue = L"-continue";
constexpr std::wstring_view kContinueInTray = L"-continue-tray";

} // namespace

StartArguments ParseArguments(std::wstring_view commandLine)
{
    // The program's name ends at its closing quote, or else at the first blank.
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        at = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    }
    while (at < commandLine.size() && !ascii::IsBlank(commandLine[at]))
        ++at;

    StartArguments arguments;
    while (at < commandLine.size()) {
        while (at < commandLine.size() && ascii::IsBlank(commandLine[at]))
            ++at;
        const std::size_t start = at;
        while (at < commandLine.size() && !ascii::IsBlank(commandLine[at]))
            ++at;
        const std::wstring_view argument = commandLine.substr(start, at - start);
        if (ascii::SameName(argument, kContinue)) {
            arguments.continuing = true;
        } else if (ascii::SameName(argument, kContinueInTray)) {
            arguments.continuing = true;
            arguments.inTray = true;
        }
    }
    return arguments;
}

const wchar_t* ContinueArguments(bool windowShown)
{
    return windowShown ? kContinue.data() : kContinueInTray.data();
}

} // namespace startup_command
