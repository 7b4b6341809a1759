// The start-with-Windows command line and the client's executable path, at their bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/core/ClientPath.h"
#include "app/core/StartupCommand.h"

namespace {

using startup_command::kPathSize;

// The command line for a current directory, given as the query would answer for a 256-byte buffer.
std::optional<std::string> ForDirectory(const std::string& directory)
{
    std::vector<char> buffer(kPathSize, '\0');
    unsigned long answer = static_cast<unsigned long>(directory.size() + 1); // too long: the size it needs
    if (directory.size() < kPathSize) {
        std::memcpy(buffer.data(), directory.data(), directory.size());
        answer = static_cast<unsigned long>(directory.size());
    }
    return startup_command::FromCurrentDirectory(buffer.data(), buffer.size(), answer, "Spindrel");
}

TEST(StartupCommand, QuotesTheShortcutOfTheCurrentDirectoryAndAddsTray)
{
    EXPECT_EQ(ForDirectory("C:\\App"), "\"C:\\App\\Spindrel.lnk\" -tray");
    EXPECT_EQ(ForDirectory("C:\\Program Files\\Spindrel"), "\"C:\\Program Files\\Spindrel\\Spindrel.lnk\" -tray");
}

TEST(StartupCommand, StoresNothingRatherThanACutPath)
{
    // "\\Spindrel.lnk" adds 13 characters: 242 + 13 = 255 fits with the NUL, 243 does not.
    const std::string fits = "C:\\" + std::string(239, 'a');
    ASSERT_EQ(fits.size(), 242u);
    const auto line = ForDirectory(fits);
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, "\"" + fits + "\\Spindrel.lnk\" -tray");
    EXPECT_FALSE(ForDirectory(fits + "a"));
    EXPECT_FALSE(ForDirectory(std::string(255, 'a')));
    EXPECT_FALSE(ForDirectory(std::string(300, 'a'))); // the query's "needs 301 bytes"
}

TEST(StartupCommand, AFailedQueryOrAnEmptyDirectoryGivesNothing)
{
    char buffer[kPathSize] = "C:\\App";
    EXPECT_FALSE(startup_command::FromCurrentDirectory(buffer, sizeof buffer, 0, "Spindrel"));
    EXPECT_FALSE(startup_command::FromCurrentDirectory(buffer, sizeof buffer, sizeof buffer, "Spindrel"));
    EXPECT_FALSE(startup_command::FromCurrentDirectory(nullptr, sizeof buffer, 6, "Spindrel"));
    char empty[kPathSize] = {};
    EXPECT_FALSE(startup_command::FromCurrentDirectory(empty, sizeof empty, 3, "Spindrel"));
    // An answer longer than the text: the text ends at its NUL.
    EXPECT_EQ(startup_command::FromCurrentDirectory(buffer, sizeof buffer, 20, "Spindrel"),
              "\"C:\\App\\Spindrel.lnk\" -tray");
}

std::optional<std::string> Executable(const std::string& installPath, std::size_t bufferSize = 256)
{
    std::vector<char> buffer(bufferSize, '\0');
    std::memcpy(buffer.data(), installPath.data(), std::min(installPath.size(), bufferSize));
    return client_path::ExecutablePath(buffer.data(), buffer.size(), "Tarvo");
}

TEST(ClientPath, JoinsTheInstallPathAndTheExecutable)
{
    EXPECT_EQ(Executable("C:\\Program Files\\Tarvo"), "C:\\Program Files\\Tarvo\\Tarvo.exe");
    EXPECT_EQ(Executable("C:\\Tarvo\\"), "C:\\Tarvo\\\\Tarvo.exe"); // as stored; the shell accepts it
    EXPECT_EQ(Executable(""), "\\Tarvo.exe");
    const std::string longest(255, 'p');
    EXPECT_EQ(Executable(longest), longest + "\\Tarvo.exe");
}

TEST(ClientPath, ABufferFilledWithoutANulIsUnreadable)
{
    EXPECT_FALSE(Executable(std::string(256, 'p')));
    // Exactly the buffer: a sanitizer reports any read beyond it.
    std::vector<char> exact(256, 'p');
    EXPECT_FALSE(client_path::ExecutablePath(exact.data(), exact.size(), "Tarvo"));
    EXPECT_FALSE(client_path::ExecutablePath(nullptr, 256, "Tarvo"));
}

} // namespace
