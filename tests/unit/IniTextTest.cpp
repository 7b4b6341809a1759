// The settings file's text: lookups as the profile functions make them, and changes that leave
// every other byte alone.
#include "toolkit/core/IniText.h"

#include <gtest/gtest.h>

namespace {

using ini_text::Document;

TEST(IniText, LooksUpAsTheProfileFunctionsDo)
{
    const Document file("\xEF\xBB\xBF"
                        "key=before any section\r\n[ Main ]\r\n  AlwaysOnTop = 1 \r\nlogfile=\"C:\\a b \"\r\n"
                        "empty=\r\n;idleseconds=9\r\nno value here\r\n[other]\r\nidleseconds=5\n[log]\nlast=x");
    EXPECT_EQ(file.Get("main", "alwaysontop"), "1");
    EXPECT_EQ(file.Get("MAIN", "logfile"), "C:\\a b ");
    EXPECT_EQ(file.Get("main", "empty"), "");
    EXPECT_EQ(file.Get("main", "idleseconds"), std::nullopt) << "a comment, and another section's key";
    EXPECT_EQ(file.Get("main", "key"), std::nullopt);
    EXPECT_EQ(file.Get("other", "idleseconds"), "5");
    EXPECT_EQ(file.Get("log", "last"), "x");
    EXPECT_EQ(file.Get("missing", "last"), std::nullopt);
}

TEST(IniText, AChangeRewritesOnlyItsValue)
{
    const std::string head = "\xEF\xBB\xBF; mine\r\n[main]\r\ntop = ";
    const std::string rest = " \r\n\xE9t\xE9=caf\xE9\r\n\r\n[other]\r\nkeep=me";
    Document file(head + "12px" + rest);
    EXPECT_TRUE(file.Set("main", "top", "12"));
    EXPECT_EQ(file.Text(), head + "12" + rest);
    EXPECT_FALSE(file.Set("Main", "TOP", "12"));
    EXPECT_EQ(file.Text(), head + "12" + rest);

    // A new key ends its section, before the blank line; a new section ends the file.
    EXPECT_TRUE(file.Set("main", "left", "-1"));
    EXPECT_TRUE(file.Set("log", "logfile", ""));
    EXPECT_EQ(file.Text(),
              head + "12 \r\n\xE9t\xE9=caf\xE9\r\nleft=-1\r\n\r\n[other]\r\nkeep=me\r\n\r\n[log]\r\nlogfile=\r\n");

    // A quoted value equal to the new one stays as it is.
    Document quoted("[log]\nlogfile='C:\\x'");
    EXPECT_FALSE(quoted.Set("log", "logfile", "C:\\x"));
    EXPECT_TRUE(quoted.Set("log", "other", "1"));
    EXPECT_EQ(quoted.Text(), "[log]\nlogfile='C:\\x'\r\nother=1\r\n");

    Document empty;
    EXPECT_TRUE(empty.Set("main", "top", "-1"));
    EXPECT_EQ(empty.Text(), "[main]\r\ntop=-1\r\n");
}

TEST(IniText, TellsUtf8FromOtherTextAndReadsLeadingNumbers)
{
    for (const char* valid : {"", "C:\\log.txt", "caf\xC3\xA9", "\xE7\x8E\x8B\xE8\x8A\xB3", "\xF0\x9F\x98\x80"})
        EXPECT_TRUE(ini_text::IsUtf8(valid)) << valid;
    // Code page 1252's é, a cut sequence, an overlong '/', a surrogate, above U+10FFFF, a stray byte.
    for (const char* invalid : {"caf\xE9", "caf\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_FALSE(ini_text::IsUtf8(invalid)) << invalid;

    EXPECT_EQ(ini_text::LeadingNumber("12px"), 12);
    EXPECT_EQ(ini_text::LeadingNumber("-7"), -7);
    EXPECT_EQ(ini_text::LeadingNumber("+5"), 5);
    EXPECT_EQ(ini_text::LeadingNumber("wide"), 0);
    EXPECT_EQ(ini_text::LeadingNumber("-"), 0);
    EXPECT_EQ(ini_text::LeadingNumber("2147483647"), 2147483647);
    EXPECT_EQ(ini_text::LeadingNumber("4294967295"), -1); // modulo 2^32
}

} // namespace
