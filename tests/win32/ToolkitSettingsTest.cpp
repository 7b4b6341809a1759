// The settings file beside the executable: defaults, corrections, what is written back, and the
// files that cannot be written.
#include "toolkit/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/CodePage.h"
#include "tests/win32/ToolkitTestFiles.h"

namespace {

using namespace toolkit_test;

class SettingsFile : public ::testing::Test {
protected:
    std::string path = CIniFile().FileName();
    void SetUp() override { Forget(path); }
    void TearDown() override { Forget(path); }

    std::string Stored(const char* section, const char* key)
    {
        char text[1024];
        ::GetPrivateProfileStringA(section, key, "(missing)", text, sizeof text, path.c_str());
        return text;
    }
};

TEST_F(SettingsFile, NamedAfterTheExecutable)
{
    EXPECT_EQ(path, BesideExe("win32_toolkit.ini"));
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndIsWrittenWithEveryKey)
{
    {
        CSettings settings;
        EXPECT_EQ(settings.idleMilliseconds, 10000u);
        EXPECT_EQ(settings.windowStatus, -1);
        EXPECT_EQ(settings.srcAddr, 120);
        EXPECT_EQ(settings.traffic, 100);
        EXPECT_EQ(settings.logLimitMegabytes, 1);
        EXPECT_EQ(logSizeLimit, 1 << 20);
        EXPECT_STREQ(settings.logFileName, "");
        EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES); // written only at the end
    }
    EXPECT_EQ(Lines(path), DefaultSettingsLines());
}

// The two ranged values come back corrected; "idleseconds" comes back as it was, whatever the
// milliseconds made of it.
TEST_F(SettingsFile, OutOfRangeValuesAreCorrectedAndIdleSecondsComesBackAsRead)
{
    struct Case {
        const char* mbdelete;
        const char* logtype;
        const char* idleseconds;
        int megabytes, type;
        unsigned milliseconds;
    };
    const Case cases[] = {
        {"0", "7", "3", 1, 0, 3000u},
        {"1000", "-1", "0", 1, 0, 0u},
        {"999", "6", "4294967", 999, 6, 4294967000u},
        // Above 4,294,967 seconds the milliseconds wrap at 2^32: 4294968000 - 2^32 = 704.
        {"-5", "0", "4294968", 1, 0, 704u},
        // Read as strtoul reads it: 2^32 - 5 seconds, -5000 milliseconds modulo 2^32.
        {"2", "1", "-5", 2, 1, 4294962296u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mbdelete);
        Forget(path);
        WriteBytes(path, std::string("[log]\r\nmbdelete=") + c.mbdelete + "\r\nlogtype=" + c.logtype +
                             "\r\n[main]\r\nidleseconds=" + c.idleseconds + "\r\n");
        {
            CSettings settings;
            EXPECT_EQ(settings.logLimitMegabytes, c.megabytes);
            EXPECT_EQ(logSizeLimit, c.megabytes * 1048576);
            EXPECT_EQ(settings.logType, c.type);
            EXPECT_EQ(settings.idleMilliseconds, c.milliseconds);
        }
        EXPECT_EQ(Stored("log", "mbdelete"), std::to_string(c.megabytes));
        EXPECT_EQ(Stored("log", "logtype"), std::to_string(c.type));
        EXPECT_EQ(Stored("main", "idleseconds"), c.idleseconds);
    }
}

TEST_F(SettingsFile, OtherValuesAreKeptAsReadAndTheRestOfTheFileStays)
{
    const std::string longLog(300, 'L');
    WriteBytes(path, "; written by hand\r\n[mainwindow]\r\nleft=-7\r\ntop=12px\r\nright=wide\r\n"
                     "[other]\r\nkeep=me\r\n[log]\r\nlogfile=" + longLog + "\r\n[list]\r\nbs=2147483647\r\n");
    {
        CSettings settings;
        EXPECT_EQ(settings.windowLeft, -7);
        EXPECT_EQ(settings.windowTop, 12);
        EXPECT_EQ(settings.windowRight, 0);
        EXPECT_EQ(settings.windowBottom, -1);
        EXPECT_EQ(settings.bs, 2147483647);
        EXPECT_EQ(std::string(settings.logFileName), longLog.substr(0, 259));
    }
    EXPECT_EQ(Stored("mainwindow", "left"), "-7");
    EXPECT_EQ(Stored("mainwindow", "top"), "12");
    EXPECT_EQ(Stored("mainwindow", "right"), "0");
    EXPECT_EQ(Stored("list", "bs"), "2147483647");
    EXPECT_EQ(Stored("log", "logfile"), longLog.substr(0, 259));
    EXPECT_EQ(Stored("other", "keep"), "me");
    EXPECT_NE(ReadBytes(path).find("; written by hand"), std::string::npos);
}

TEST_F(SettingsFile, FileThatCannotBeWrittenIsLeftAsItWas)
{
    const std::string content = "[log]\r\nmbdelete=5000\r\nlogtype=3\r\n";
    WriteBytes(path, content);
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        CSettings settings;
        EXPECT_EQ(settings.logLimitMegabytes, 1);
        EXPECT_EQ(settings.logType, 3);
    }
    EXPECT_EQ(ReadBytes(path), content);

    // A folder that does not exist, and a path too long for the file name's 500 bytes.
    const std::string missing = BesideExe("no-such-folder\\settings.ini");
    { CSettings settings(missing.c_str()); }
    EXPECT_EQ(::GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string tooLong = BesideExe(std::string(CIniFile::kFileNameSize, 'x'));
    CSettings overlong(tooLong.c_str());
    EXPECT_STREQ(overlong.FileName(), "");
    EXPECT_EQ(overlong.windowTop, -1);
    EXPECT_EQ(overlong.proto, 50);
}

TEST_F(SettingsFile, GarbageIsReadWithoutHarm)
{
    std::string garbage("[main]\0alwaysontop=\0\xff\xfe\x01\r\n", 27);
    garbage += std::string(1 << 20, 'g') + "\r\n[log]\r\nlogtype=4\r\nlogfile=" + std::string(5000, 'f');
    WriteBytes(path, garbage);
    {
        CSettings settings;
        EXPECT_EQ(settings.logType, 4);
        EXPECT_EQ(std::string(settings.logFileName), std::string(259, 'f'));
    }
    EXPECT_EQ(Stored("log", "logtype"), "4");
    EXPECT_EQ(Stored("list", "proto"), "50");
}

// This test runs as Spindrel does, with UTF-8 as its code page, on a system whose code page is
// 1252, in which earlier releases wrote their text.
TEST_F(SettingsFile, AnEarlierReleasesTextIsReadAndWrittenBackAsUtf8AndOtherTextIsLeftAlone)
{
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
    ASSERT_EQ(code_page::SystemCodePage(), 1252u);
    const std::string other = "[other]\r\nname=M\xFCller\r\n"; // another program's, in 1252
    WriteBytes(path, "[log]\r\nlogfile=C:\\Users\\Ren\xE9\\caf\xE9.log\r\n" + other);
    {
        CSettings settings;
        EXPECT_STREQ(settings.logFileName, "C:\\Users\\Ren\xC3\xA9\\caf\xC3\xA9.log");
    }
    const std::string written = ReadBytes(path);
    EXPECT_EQ(written.find("[log]\r\nlogfile=C:\\Users\\Ren\xC3\xA9\\caf\xC3\xA9.log\r\n"), 0u) << written;
    EXPECT_NE(written.find(other), std::string::npos) << written;

    // Read again and saved, the file stays as it is, to the byte.
    { CSettings settings; }
    EXPECT_EQ(ReadBytes(path), written);

    // 259 characters of a longer UTF-8 value, though they take 518 bytes.
    std::string cyrillic;
    for (int i = 0; i < 300; ++i)
        cyrillic += "\xD0\xB4";
    Forget(path);
    WriteBytes(path, "[log]\r\nlogfile=" + cyrillic + "\r\n");
    CSettings settings;
    EXPECT_EQ(std::string(settings.logFileName), cyrillic.substr(0, 2 * 259));
}

// Where Windows does not honour the manifest, the process's code page is the system's: the seam
// names 1252 in place of this process's UTF-8. The folders go in their short form, the file's name
// stays; a path the code page holds is kept. (ToolkitStartupTest runs a program without the manifest.)
TEST(ModulePath, AFolderTheCodePageCannotHoldIsTakenInItsShortForm)
{
    const std::wstring folder = code_page::ToWide(BesideExe("\xD0\x94\xD0\xBC"));
    const std::wstring file = folder + L"\\long name.ini";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(code_page::FromWide(file), "x");
    const std::string fallback = code_page::PathFromWide(file, 1252);
    EXPECT_TRUE(std::all_of(fallback.begin(), fallback.end(), [](char c) { return c > 0; })) << fallback;
    EXPECT_EQ(fallback.substr(fallback.size() - 14), "\\long name.ini");
    EXPECT_EQ(ReadBytes(fallback), "x");
    EXPECT_EQ(code_page::PathFromWide(L"C:\\Zo\u00EB", 1252), "C:\\Zo\xEB");
    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace
