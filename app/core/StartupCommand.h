#pragma once
// The start-with-Windows entry: the shortcut "<product>.lnk" in the executable's own folder, and
// the command line that starts it at logon, the shortcut's path in double quotes, then " -tray".
// Kept apart from the registry so that its bounds can be tested on their own. Paths are UTF-16,
// as the system gives them, so that any folder name is carried whole.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace startup_command {

// MAX_PATH: the shortcut's path, its NUL included, must fit in as many characters.
inline constexpr std::size_t kMaxPath = 260;

// The shortcut "<productName>.lnk" beside the executable at exePath. Nothing when the path names
// no folder, or when the shortcut's path would not fit in kMaxPath characters: no half-made path
// is ever stored.
std::optional<std::wstring> ShortcutPath(std::wstring_view exePath, std::wstring_view productName);

// The executable's folder, the shortcut's working folder ("D:\" for "D:\Spindrel.exe").
std::wstring Folder(std::wstring_view exePath);

// "\"<shortcut>\" -tray".
std::wstring CommandLine(std::wstring_view shortcutPath);

} // namespace startup_command

namespace startup_command {

// What a start was told by its command line. "-tray", which the starts at logon carry, changes
// nothing. "-continue" comes from the restart as administrator: the new copy goes on with the
// session of the one it replaces, so it does not start Tarvo again; "-continue-tray" says the
// same of a copy that sat in the notification area, whose successor starts there too.
struct StartArguments {
    bool continuing = false;
    bool inTray = false;
};

// The arguments of a whole command line, the program's name first (quoted or not, as Windows
// passes it). Unknown arguments are ignored; names are compared without regard to case.
StartArguments ParseArguments(std::wstring_view commandLine);

// The arguments of the restart as administrator: "-continue", or "-continue-tray" when the
// window of the copy that restarts is not shown.
const wchar_t* ContinueArguments(bool windowShown);

} // namespace startup_command
