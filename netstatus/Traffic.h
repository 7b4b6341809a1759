#pragma once
// The chosen interface's traffic: its byte totals as 64-bit counts, the speeds over the last tick,
// and the texts of both (the panel's counters and the notification icon's tooltip). Portable.

#include <cstdint>
#include <string>

namespace netstatus {

// One reading of an interface's two byte counters.
struct CounterReading {
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
    // The system's 64-bit counters; otherwise the 32-bit ones, which wrap at 2^32.
    bool full = false;
};

// The 64-bit total that a 32-bit counter stands for, given the total of the previous tick. A
// step back of less than 2^31 bytes across the top is a wrap (one tick a second cannot wrap a
// 32-bit counter twice below 34 Gbit/s); a larger step back is a counter that started again (a
// reset adapter), and `reset` is set: the total is then the counter itself.
std::uint64_t ExtendCounter(std::uint64_t previousTotal, std::uint32_t counter, bool& reset);

// The totals and speeds of one interface, reading by reading.
class TrafficMeter {
public:
    // Another interface, or none: its first reading gives totals but no speed.
    void Restart() { primed = false; hasSpeed = false; }
    // A reading taken `elapsedMs` after the previous one.
    void Take(const CounterReading& reading, std::uint32_t elapsedMs);

    std::uint64_t Received() const { return received; }
    std::uint64_t Sent() const { return sent; }
    // Bytes a second over the last tick; none after a restart or when a counter went backwards.
    bool HasSpeed() const { return hasSpeed; }
    std::uint64_t ReceivedPerSecond() const { return receivedSpeed; }
    std::uint64_t SentPerSecond() const { return sentSpeed; }

private:
    bool primed = false;
    bool hasSpeed = false;
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
    std::uint64_t receivedSpeed = 0;
    std::uint64_t sentSpeed = 0;
};

// Bytes a second in B/s, KB/s, MB/s or GB/s (steps of 1,024), three significant digits:
// "512 B/s", "1.20 MB/s", "35.0 KB/s", "100 KB/s".
std::string SpeedText(std::uint64_t bytesPerSecond);

// The notification icon's tooltip, in UTF-8: the product's name, and below it the speeds when the
// meter has them: "Spindrel\n↓ 1.20 MB/s  ↑ 35.0 KB/s" (down is received, up is sent).
std::string TrayTipText(const char* productName, const TrafficMeter& meter);

} // namespace netstatus
