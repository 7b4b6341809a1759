// The settings file beside the executable: defaults, corrections, what is written back, and the
// files that cannot be written.
#include "toolkit/Settings.h"

#include <gtest/gtest.h>

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

TEST_F(SettingsFile, OutOfRangeValuesAreCorrectedAndWrittenBackCorrected)
{
    struct Case {
        const char* mbdelete;
        const char* logtype;
        const char* idleseconds;
        int megabytes, type;
        unsigned milliseconds;
        const char* idleWritten;
    };
    const Case cases[] = {
        {"0", "7", "3", 1, 0, 3000u, "3"},
        {"1000", "-1", "0", 1, 0, 0u, "0"},
        {"999", "6", "4294967", 999, 6, 4294967000u, "4294967"},
        // Above 4,294,967 seconds the milliseconds wrap at 2^32: 4294968000 - 2^32 = 704.
        {"-5", "0", "4294968", 1, 0, 704u, "0"},
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
        EXPECT_EQ(Stored("main", "idleseconds"), c.idleWritten);
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

} // namespace
