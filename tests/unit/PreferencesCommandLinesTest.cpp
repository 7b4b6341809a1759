// The start-with-Windows shortcut and command line, and the client's executable path, at their bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/core/ClientPath.h"
#include "app/core/StartupCommand.h"
#include "app/core/StartupTask.h"

namespace {

using startup_command::CommandLine;
using startup_command::Folder;
using startup_command::ShortcutPath;

TEST(StartupCommand, QuotesTheShortcutBesideTheExecutableAndAddsTray)
{
    EXPECT_EQ(ShortcutPath(L"C:\\App\\Spindrel.exe", L"Spindrel"), L"C:\\App\\Spindrel.lnk");
    EXPECT_EQ(Folder(L"C:\\App\\Spindrel.exe"), L"C:\\App");
    EXPECT_EQ(CommandLine(L"C:\\Program Files\\Spindrel\\Spindrel.lnk"),
              L"\"C:\\Program Files\\Spindrel\\Spindrel.lnk\" -tray");
    // At the root of a drive the working folder is the root, not the drive's current folder.
    EXPECT_EQ(ShortcutPath(L"D:\\Spindrel.exe", L"Spindrel"), L"D:\\Spindrel.lnk");
    EXPECT_EQ(Folder(L"D:\\Spindrel.exe"), L"D:\\");
}

TEST(StartupCommand, StoresNothingRatherThanACutPath)
{
    // "\\Spindrel.lnk" adds 13 characters: a folder of 246 gives 259, which fits MAX_PATH with the
    // NUL; 247 does not. Characters, not bytes: a Cyrillic folder of 246 fits too.
    for (const wchar_t letter : {L'a', L'\u0434'}) {
        const std::wstring fits = L"C:\\" + std::wstring(243, letter);
        EXPECT_EQ(ShortcutPath(fits + L"\\Spindrel.exe", L"Spindrel"), fits + L"\\Spindrel.lnk");
        EXPECT_FALSE(ShortcutPath(fits + letter + L"\\Spindrel.exe", L"Spindrel"));
    }
    EXPECT_FALSE(ShortcutPath(L"Spindrel.exe", L"Spindrel")); // no folder
    EXPECT_FALSE(ShortcutPath(L"\\Spindrel.exe", L"Spindrel"));
}

TEST(StartupCommand, TheRestartAsAdministratorSaysWhereTheWindowWas)
{
    const auto parsed = [](const std::wstring& line) {
        return std::make_pair(startup_command::ParseArguments(line).continuing, startup_command::ParseArguments(line).inTray);
    };
    const std::wstring program = L"\"C:\\A -continue\\Spindrel.exe\" "; // an argument in the name is the name's
    EXPECT_EQ(parsed(program + L"-tray"), std::make_pair(false, false));
    EXPECT_EQ(parsed(program + startup_command::ContinueArguments(true)), std::make_pair(true, false));
    EXPECT_EQ(parsed(program + L"-tray\t" + startup_command::ContinueArguments(false)), std::make_pair(true, true));
    EXPECT_EQ(parsed(L"Spindrel.exe -CONTINUE"), std::make_pair(true, false));
    EXPECT_EQ(parsed(L"Spindrel.exe -continued -continue-trays \"-continue\""), std::make_pair(false, false));
    EXPECT_EQ(parsed(L"\"C:\\unclosed -continue"), std::make_pair(false, false));
}

TEST(StartupTask, OneNamePerExecutableAndEveryPathEscaped)
{
    // zlib's CRC-32 of the UTF-16LE bytes, which the uninstaller gets from ntdll's RtlComputeCrc32.
    EXPECT_EQ(startup_task::TaskName(L"Spindrel", L"C:\\APP\\SPINDREL.EXE"), L"Spindrel 6E0EBCB1");
    EXPECT_EQ(startup_task::TaskName(L"Spindrel", L"C:\\\u0414\u041C\\SPINDREL.EXE"), L"Spindrel 85BACC49");
    const std::wstring xml = startup_task::TaskXml({L"S-1", L"C:\\R&D\\Spindrel.exe", L"C:\\R&D", L"<Spindrel>"});
    EXPECT_NE(xml.find(L"<Command>C:\\R&amp;D\\Spindrel.exe</Command>"), std::wstring::npos) << xml;
    EXPECT_EQ(xml.find(L"R&D"), std::wstring::npos) << xml;
    EXPECT_EQ(xml.find(L"<Spindrel>"), std::wstring::npos) << xml;
}

std::optional<client_path::Client> Locate(const std::string& installPath,
                                          std::size_t bufferSize = client_path::kInstallPathSize)
{
    std::vector<char> buffer(bufferSize, '\0');
    std::memcpy(buffer.data(), installPath.data(), std::min(installPath.size(), bufferSize));
    return client_path::Locate(buffer.data(), buffer.size(), "Tarvo");
}

std::string Executable(const std::string& installPath)
{
    const auto client = Locate(installPath);
    return client ? client->executable + " in " + client->folder : "(none)";
}

TEST(ClientPath, TakesTheFolderWhateverFormItIsWrittenIn)
{
    const std::string expected = "C:\\Program Files\\Tarvo\\Tarvo.exe in C:\\Program Files\\Tarvo";
    for (const char* form : {"C:\\Program Files\\Tarvo", "C:\\Program Files\\Tarvo\\\\", "\"C:\\Program Files\\Tarvo\"",
                             " \t\" C:\\Program Files\\Tarvo\\ \"  ", "C:\\Program Files\\Tarvo\\Tarvo.exe",
                             "C:\\Program Files\\Tarvo/"})
        EXPECT_EQ(Executable(form), expected) << form;
    EXPECT_EQ(Executable("\"C:\\Tarvo\\TARVO.EXE\\\""), "C:\\Tarvo\\TARVO.EXE in C:\\Tarvo");
    // A drive's root is the working folder, not the drive's current folder.
    EXPECT_EQ(Executable("D:\\"), "D:\\Tarvo.exe in D:\\");
    EXPECT_EQ(Executable("D:\\Tarvo.exe"), "D:\\Tarvo.exe in D:\\");
    EXPECT_EQ(Executable("\\\\server\\share\\Tarvo"),
              "\\\\server\\share\\Tarvo\\Tarvo.exe in \\\\server\\share\\Tarvo");
    // Only the last name counts as the executable's.
    EXPECT_EQ(Executable("C:\\Tarvo.exe\\Tarvo"), "C:\\Tarvo.exe\\Tarvo\\Tarvo.exe in C:\\Tarvo.exe\\Tarvo");
    for (const char* none : {"", "  ", "\"\"", "\\", "Tarvo.exe", "\"  \\\""})
        EXPECT_EQ(Executable(none), "(none)") << none;
}

TEST(ClientPath, ABufferFilledWithoutANulIsUnreadable)
{
    const std::size_t size = client_path::kInstallPathSize;
    EXPECT_FALSE(Locate(std::string(size, 'p')));
    // Exactly the buffer: a sanitizer reports any read beyond it.
    std::vector<char> exact(size, 'p');
    EXPECT_FALSE(client_path::Locate(exact.data(), exact.size(), "Tarvo"));
    EXPECT_FALSE(client_path::Locate(nullptr, size, "Tarvo"));
}

} // namespace
