#include "netstatus/ClockRule.h"

#include <cstdio>

namespace clock_rule {

namespace {
// Counting on past INT32_MAX wraps instead of overflowing (after some 245,000 years of hours).
std::int32_t Next(std::int32_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}
} // namespace

void Tick(std::int32_t& hours, std::int32_t& minutes, std::int32_t& seconds)
{
    seconds = Next(seconds);
    if (seconds == 60) {
        minutes = Next(minutes);
        seconds = 0;
    }
    if (minutes == 60) {
        hours = Next(hours);
        minutes = 0;
    }
}

std::string Format(std::int32_t hours, std::int32_t minutes, std::int32_t seconds)
{
    char text[64];
    std::snprintf(text, sizeof text, " %2d hrs : %2d mins : %2d secs", static_cast<int>(hours),
                  static_cast<int>(minutes), static_cast<int>(seconds));
    return text;
}

} // namespace clock_rule
