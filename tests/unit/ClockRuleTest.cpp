#include "netstatus/ClockRule.h"

#include <gtest/gtest.h>

namespace {

std::string AfterTicks(int ticks)
{
    std::int32_t h = 0, m = 0, s = 0;
    for (int i = 0; i < ticks; ++i)
        clock_rule::Tick(h, m, s);
    return clock_rule::Format(h, m, s);
}

TEST(ClockRule, CountsAndCarriesAtSixty)
{
    EXPECT_EQ(clock_rule::Format(0, 0, 0), "  0 hrs :  0 mins :  0 secs");
    EXPECT_EQ(AfterTicks(1), "  0 hrs :  0 mins :  1 secs");
    EXPECT_EQ(AfterTicks(59), "  0 hrs :  0 mins : 59 secs");
    EXPECT_EQ(AfterTicks(60), "  0 hrs :  1 mins :  0 secs");
    EXPECT_EQ(AfterTicks(125), "  0 hrs :  2 mins :  5 secs");
    EXPECT_EQ(AfterTicks(3600), "  1 hrs :  0 mins :  0 secs");
    EXPECT_EQ(AfterTicks(360000), " 100 hrs :  0 mins :  0 secs");
}

TEST(ClockRule, HoursHaveNoBoundAndNeverOverflow)
{
    std::int32_t h = 2147483647, m = 59, s = 59;
    clock_rule::Tick(h, m, s); // wraps rather than overflowing
    EXPECT_EQ(m, 0);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(h, -2147483647 - 1);
}

} // namespace
