#include "framework/String.h"

#include <gtest/gtest.h>

#include <string>

TEST(String, FormatGrowsPastItsSmallBuffer)
{
    CString s;
    const std::string longText(1000, 'x');
    s.Format("<%s>%d", longText.c_str(), 42);
    EXPECT_EQ(s.GetLength(), 1004);
    EXPECT_EQ(std::string(s.c_str()), "<" + longText + ">42");
}

TEST(String, NullTextIsEmpty)
{
    CString s(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = "abc";
    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(s, "");
    s.Format(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}
