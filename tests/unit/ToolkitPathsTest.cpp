// Where the settings file and the services file are, from the executable's path.
#include "toolkit/core/ToolkitPaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace toolkit_paths;

// Shift-JIS: a lead byte in 0x81-0x9F or 0xE0-0xFC; its second byte may be '\' (0x5C).
bool ShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string Settings(const std::string& module, LeadBytePredicate lead = NoLeadBytes, std::size_t size = 780)
{
    std::string out(size, '?');
    const bool fits = BuildSettingsPath(module.c_str(), out.data(), size, lead);
    EXPECT_EQ(fits, out[0] != '\0');
    return out.c_str();
}

std::string Services(const std::string& module, LeadBytePredicate lead = NoLeadBytes, std::size_t size = 780)
{
    std::string out(size, '?');
    const bool fits = BuildServicesPath(module.c_str(), out.data(), size, lead);
    EXPECT_EQ(fits, out[0] != '\0');
    return out.c_str();
}

TEST(ToolkitPaths, SettingsFileReplacesTheExtension)
{
    EXPECT_EQ(Settings("C:\\Tools\\app.exe"), "C:\\Tools\\app.ini");
    EXPECT_EQ(Settings("C:\\Tools\\app.old.exe"), "C:\\Tools\\app.old.ini");
    EXPECT_EQ(Settings("C:\\my.dir\\app"), "C:\\my.dir\\app.ini"); // the dot of a folder is kept
    EXPECT_EQ(Settings("C:\\Tools\\app"), "C:\\Tools\\app.ini");
    EXPECT_EQ(Settings("app.exe"), "app.ini");
    EXPECT_EQ(Settings("app"), "app.ini");
}

TEST(ToolkitPaths, ServicesFileIsInTheExecutablesFolder)
{
    EXPECT_EQ(Services("C:\\Tools\\app.exe"), "C:\\Tools\\services");
    EXPECT_EQ(Services("C:\\app"), "C:\\services");
    EXPECT_EQ(Services("app.exe"), "services");
}

TEST(ToolkitPaths, SecondByteOfADoubleByteCharacterIsNoSeparator)
{
    // "x\x95\\" is x and one double-byte character, not a folder named "x\x95".
    EXPECT_EQ(Services("C:\\dir\\x\x95\\y.exe", ShiftJisLeadByte), "C:\\dir\\services");
    EXPECT_EQ(Services("C:\\dir\\x\x95\\y.exe"), "C:\\dir\\x\x95\\services");
    EXPECT_EQ(Settings("C:\\dir\\a.b\x95\\c", ShiftJisLeadByte), "C:\\dir\\a.ini");
    // A lead byte at the very end stands alone.
    EXPECT_EQ(Settings("C:\\dir\\a\x95", ShiftJisLeadByte), "C:\\dir\\a\x95.ini");
}

TEST(ToolkitPaths, ResultsThatDoNotFitNameNoFile)
{
    // Both fields hold a path of MAX_PATH characters in UTF-8: 780 bytes with the final zero.
    const std::string fits779 = "C:\\" + std::string(767, 'd') + "\\a.exe";
    EXPECT_EQ(Services(fits779).size(), 779u);
    const std::string needs780 = "C:\\" + std::string(768, 'd') + "\\a.exe";
    EXPECT_EQ(Services(needs780), "");

    const std::string fits = "C:\\" + std::string(770, 'd') + "\\x";
    EXPECT_EQ(Settings(fits + ".exe").size(), 779u);
    EXPECT_EQ(Settings(fits + "x.exe"), "");
    EXPECT_EQ(Settings(std::string(10000, 'x')), "");
}

} // namespace
