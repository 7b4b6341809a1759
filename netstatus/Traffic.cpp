#include "netstatus/Traffic.h"

#include <cstdio>

namespace netstatus {

std::uint64_t ExtendCounter(std::uint64_t previousTotal, std::uint32_t counter, bool& reset)
{
    constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;
    const std::uint32_t previous = static_cast<std::uint32_t>(previousTotal);
    const std::uint64_t wraps = previousTotal - previous;
    if (counter >= previous)
        return wraps + counter;
    // The bytes that passed if the counter went over the top.
    const std::uint64_t across = kWrap - previous + counter;
    if (across < (kWrap >> 1))
        return wraps + kWrap + counter;
    reset = true;
    return counter;
}

void TrafficMeter::Take(const CounterReading& reading, std::uint32_t elapsedMs)
{
    bool reset = false;
    std::uint64_t nowReceived = reading.received;
    std::uint64_t nowSent = reading.sent;
    if (!reading.full && primed) {
        nowReceived = ExtendCounter(received, static_cast<std::uint32_t>(reading.received), reset);
        nowSent = ExtendCounter(sent, static_cast<std::uint32_t>(reading.sent), reset);
    }
    if (primed && (nowReceived < received || nowSent < sent))
        reset = true;

    hasSpeed = primed && !reset;
    if (hasSpeed) {
        const std::uint64_t ms = elapsedMs ? elapsedMs : 1;
        receivedSpeed = (nowReceived - received) * 1000 / ms;
        sentSpeed = (nowSent - sent) * 1000 / ms;
    }
    received = nowReceived;
    sent = nowSent;
    primed = true;
}

std::string SpeedText(std::uint64_t bytesPerSecond)
{
    static const char* const kUnits[] = {"B/s", "KB/s", "MB/s", "GB/s"};
    // Beyond any interface's speed, and far from overflowing the hundredths below.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 56;
    const std::uint64_t bytes = bytesPerSecond < kLimit ? bytesPerSecond : kLimit;
    char text[32];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%u B/s", static_cast<unsigned>(bytes));
        return text;
    }
    std::uint64_t unit = 1024;
    for (int k = 1;; ++k, unit *= 1024) {
        const bool last = k == 3;
        const std::uint64_t hundredths = (bytes * 100 + unit / 2) / unit;
        if (hundredths < 1000) {
            std::snprintf(text, sizeof text, "%u.%02u %s", static_cast<unsigned>(hundredths / 100),
                          static_cast<unsigned>(hundredths % 100), kUnits[k]);
            return text;
        }
        const std::uint64_t tenths = (bytes * 10 + unit / 2) / unit;
        if (tenths < 1000) {
            std::snprintf(text, sizeof text, "%u.%u %s", static_cast<unsigned>(tenths / 10),
                          static_cast<unsigned>(tenths % 10), kUnits[k]);
            return text;
        }
        const std::uint64_t whole = (bytes + unit / 2) / unit;
        // 1,024 of a unit (after rounding) is one of the next.
        if (whole < 1024 || last) {
            // Below 2^26 at the limit above.
            std::snprintf(text, sizeof text, "%u %s", static_cast<unsigned>(whole), kUnits[k]);
            return text;
        }
    }
}

std::string TrayTipText(const char* productName, const TrafficMeter& meter)
{
    std::string tip = productName;
    if (meter.HasSpeed()) {
        // U+2193 and U+2191, the down and up arrows.
        tip += "\n\xE2\x86\x93 " + SpeedText(meter.ReceivedPerSecond());
        tip += "  \xE2\x86\x91 " + SpeedText(meter.SentPerSecond());
    }
    return tip;
}

} // namespace netstatus
