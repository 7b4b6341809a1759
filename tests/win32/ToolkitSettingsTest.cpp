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
    // Read and not changed, so not written: the text stays as the user wrote it.
    EXPECT_EQ(Stored("mainwindow", "left"), "-7");
    EXPECT_EQ(Stored("mainwindow", "top"), "12px");
    EXPECT_EQ(Stored("mainwindow", "right"), "wide");
    EXPECT_EQ(Stored("mainwindow", "bottom"), "-1");
    EXPECT_EQ(Stored("list", "bs"), "2147483647");
    EXPECT_EQ(Stored("log", "logfile"), longLog);
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

// Spindrel runs all day: what the user, a tool or a second copy writes meanwhile survives its exit.
// Only missing keys and corrected values are written, and only while the file still holds them as
// they were read.
TEST_F(SettingsFile, EditsMadeWhileRunningSurviveTheExit)
{
    WriteBytes(path, "[log]\r\nmbdelete=0\r\nlogtype=9\r\n[list]\r\nbs=7\r\n");
    {
        CSettings first;
        {
            CSettings second;
            EXPECT_EQ(second.bs, 7);
        } // the second copy adds the missing keys and corrects both values
        EXPECT_EQ(Stored("log", "mbdelete"), "1");
        WriteBytes(path, ReadBytes(path) + "[extra]\r\nx=1\r\n");
        ::WritePrivateProfileStringA("list", "bs", "8", path.c_str());
        ::WritePrivateProfileStringA("log", "logtype", "5", path.c_str());
        ::WritePrivateProfileStringA("main", "idleseconds", "30", path.c_str());
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    }
    EXPECT_EQ(Stored("list", "bs"), "8");
    EXPECT_EQ(Stored("log", "logtype"), "5");
    EXPECT_EQ(Stored("log", "mbdelete"), "1");
    EXPECT_EQ(Stored("main", "idleseconds"), "30");
    EXPECT_EQ(Stored("extra", "x"), "1");

    // Deleted meanwhile: the keys missing at start are written, those read are not brought back.
    WriteBytes(path, "[list]\r\nbs=7\r\n");
    { CSettings settings; Forget(path); }
    EXPECT_EQ(Stored("list", "bs") + Stored("list", "proto"), "(missing)50");
}

// A file that could not be read at start is never replaced, also when it can be read at exit. A
// new file left by a write cut short is removed and never read. A hidden file stays hidden, and a
// file that cannot be replaced stays as it is, without a new file left beside it.
TEST_F(SettingsFile, TheFileIsReplacedWholeOrNotAtAll)
{
    const std::string fresh = path + ".new";
    WriteBytes(path, "[log]\r\nlogtype=3\r\n");
    {
        HANDLE lock = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        CSettings settings;
        EXPECT_EQ(settings.logType, 0);
        ::CloseHandle(lock);
        WriteBytes(path, "[log]\r\nlogtype=4\r\n");
    }
    EXPECT_EQ(ReadBytes(path), "[log]\r\nlogtype=4\r\n");

    Forget(path);
    WriteBytes(fresh, "[log]\r\nlogtype=5\r\n");
    {
        CSettings settings;
        EXPECT_EQ(settings.logType, 0);
        EXPECT_EQ(::GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(Lines(path), DefaultSettingsLines());

    Forget(path);
    WriteBytes(path, "[log]\r\nlogtype=6\r\n");
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    { CSettings settings; }
    EXPECT_EQ(Stored("list", "proto"), "50");
    EXPECT_TRUE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(::GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);

    Forget(path);
    WriteBytes(path, "[log]\r\nlogtype=6\r\n");
    {
        CSettings settings;
        // Open without sharing its deletion: the file cannot be replaced while this is open.
        HANDLE open = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(open, INVALID_HANDLE_VALUE);
        settings.PutText("list", "proto", "50");
        EXPECT_FALSE(settings.Flush());
        EXPECT_EQ(ReadBytes(path), "[log]\r\nlogtype=6\r\n");
        EXPECT_EQ(::GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
        ::CloseHandle(open);
    }
}

TEST_F(SettingsFile, GarbageIsReadWithoutHarm)
{
    static const char head[] = "[main]\0alwaysontop=\0\xff\xfe\x01\r\n";
    std::string garbage(head, sizeof head - 1); // with its zeros, without the literal's own
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
TEST_F(SettingsFile, AnEarlierReleasesTextIsReadAndOtherTextIsLeftAlone)
{
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
    ASSERT_EQ(code_page::SystemCodePage(), 1252u);
    const std::string other = "[other]\r\nname=M\xFCller\r\n"; // another program's, in 1252
    WriteBytes(path, "[log]\r\nlogfile=C:\\Users\\Ren\xE9\\caf\xE9.log\r\n" + other);
    {
        CSettings settings;
        EXPECT_STREQ(settings.logFileName, "C:\\Users\\Ren\xC3\xA9\\caf\xC3\xA9.log");
    }
    // Read and not changed, so left in the code page it was written in.
    const std::string written = ReadBytes(path);
    EXPECT_EQ(written.find("[log]\r\nlogfile=C:\\Users\\Ren\xE9\\caf\xE9.log\r\n"), 0u) << written;
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
