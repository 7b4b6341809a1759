#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "netstatus/InterfaceList.h"
#include "netstatus/StatusTexts.h"
#include "netstatus/Traffic.h"

namespace {

using netstatus::InterfaceRowView;

// A row as the system lays it out: the description in a fixed 256-byte field.
struct Row {
    Row(const char* description, std::uint32_t bitsPerSecond) : speed(bitsPerSecond)
    {
        std::memset(bytes, 0, sizeof bytes);
        std::memcpy(bytes, description, std::strlen(description));
    }
    InterfaceRowView View() const { return {bytes, sizeof bytes, speed}; }
    unsigned char bytes[256];
    std::uint32_t speed;
};

std::string Entry(const char* description, std::uint32_t speed)
{
    return netstatus::FormatInterfaceEntry(Row(description, speed).View());
}

bool Listed(const char* description)
{
    return netstatus::IsListedEntry(Entry(description, 100000000));
}

TEST(NetStatusEntry, DescriptionSpeedInMbAndTheCutAt38)
{
    EXPECT_EQ(Entry("PCI Fast Ethernet Adapter", 100000000), " PCI Fast Ethernet Adapter 95 Mb");
    EXPECT_EQ(Entry("PCI Fast Ethernet Adapter", 1000000000), " PCI Fast Ethernet Adapter 953 Mb");
    EXPECT_EQ(Entry("PCI Fast Ethernet Adapter", 10000000), " PCI Fast Ethernet Adapter 9 Mb");
    EXPECT_EQ(Entry("PCI Fast Ethernet Adapter", 0), " PCI Fast Ethernet Adapter 0 Mb");
    EXPECT_EQ(Entry("Wireless Network Connection Adapter Number 2", 54000000),
              " Wireless Network Connection Adapter Nu 51 Mb");
    // The largest speed stays unsigned: 4095 Mb, never negative.
    EXPECT_EQ(Entry("Fast", 0xFFFFFFFFu), " Fast 4095 Mb");
    EXPECT_EQ(Entry("", 0), "  0 Mb");
}

TEST(NetStatusEntry, TheCutCountsLettersNotBytes)
{
    // The 38th letter takes three bytes and stays whole; the 39th (two bytes) goes.
    const std::string mixed = std::string(37, 'a') + "\xE7\xBD\x91" + "\xD0\xB6" + "b";
    EXPECT_EQ(Entry(mixed.c_str(), 0), " " + mixed.substr(0, 40) + " 0 Mb");
}

TEST(NetStatusEntry, DescriptionWithoutNulIsReadOnlyToItsField)
{
    unsigned char field[40];
    std::memset(field, 'A', sizeof field);
    EXPECT_EQ(netstatus::FormatInterfaceEntry({field, 5, 0}), " AAAAA 0 Mb");
    EXPECT_EQ(netstatus::FormatInterfaceEntry({field, sizeof field, 0}), " " + std::string(38, 'A') + " 0 Mb");
    EXPECT_EQ(netstatus::FormatInterfaceEntry({nullptr, 0, 2097152}), "  2 Mb");
}

TEST(NetStatusEntry, TheThreeRejectionsAreByteExact)
{
    EXPECT_FALSE(Listed("WAN Miniport (PPTP)"));
    EXPECT_FALSE(Listed("WAN"));
    EXPECT_TRUE(Listed("WAN-side bridge"));
    EXPECT_TRUE(Listed("wan Miniport"));
    EXPECT_TRUE(Listed("A WAN Miniport"));

    EXPECT_FALSE(Listed("isatap.{0A1B2C3D}"));
    EXPECT_TRUE(Listed("ISATAP adapter"));
    EXPECT_TRUE(Listed("isatap adapter"));

    EXPECT_FALSE(Listed("MS TCP Loopback interface"));
    EXPECT_FALSE(Listed("Loopback"));
    EXPECT_TRUE(Listed("Software loopback"));
    // "Loopback" after the 38th character is cut away before the test.
    EXPECT_TRUE(Listed("Intel(R) PRO/1000 MT Network Connection Loopback"));
    EXPECT_FALSE(Listed("Intel(R) PRO/1000 MT Network Loopback"));
}

TEST(NetStatusList, PositionsMapToAcceptedRowsInTableOrder)
{
    const std::vector<Row> rows{{"Realtek PCIe GBE", 1000000000}, {"WAN Miniport (IP)", 0},
                                {"Wireless LAN", 54000000}, {"MS TCP Loopback interface", 10000000},
                                {"VPN adapter", 0}};
    std::vector<InterfaceRowView> views;
    for (const Row& row : rows)
        views.push_back(row.View());
    views[4].index = 17;

    const auto list = netstatus::BuildInterfaceList(views.data(), views.size());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].text, " Realtek PCIe GBE 953 Mb");
    EXPECT_EQ(list[1].text, " Wireless LAN 51 Mb");
    EXPECT_EQ(list[2].text, " VPN adapter 0 Mb");
    std::int32_t map[256];
    for (std::size_t k = 0; k < list.size(); ++k)
        map[k] = list[k].row;
    EXPECT_EQ(map[0], 0);
    EXPECT_EQ(map[1], 2);
    EXPECT_EQ(list[2].index, 17u); // the interface itself, wherever its row moves later
}

TEST(NetStatusList, NoPositionOutsideTheList)
{
    const std::uint32_t indexes[3] = {7, 9, 12};
    EXPECT_EQ(netstatus::InterfaceAtPosition(2, 3, indexes), 12u);
    EXPECT_EQ(netstatus::InterfaceAtPosition(-1, 3, indexes), std::nullopt);
    EXPECT_EQ(netstatus::InterfaceAtPosition(3, 3, indexes), std::nullopt);
}

TEST(NetStatusList, StopsAtItsCapacityAndMayBeEmpty)
{
    std::vector<Row> rows;
    rows.emplace_back("WAN Miniport (L2TP)", 0);
    for (int i = 0; i < 300; ++i)
        rows.emplace_back("Adapter", 0);
    std::vector<InterfaceRowView> views;
    for (const Row& row : rows)
        views.push_back(row.View());

    const auto list = netstatus::BuildInterfaceList(views.data(), views.size());
    ASSERT_EQ(list.size(), netstatus::kMaxListedInterfaces);
    EXPECT_EQ(list.front().row, 1);
    EXPECT_EQ(list.back().row, 256);

    EXPECT_TRUE(netstatus::BuildInterfaceList(views.data(), 1).empty());
    EXPECT_TRUE(netstatus::BuildInterfaceList(nullptr, 0).empty());
}

TEST(NetStatusTexts, CountersAreUnsigned64Bit)
{
    EXPECT_EQ(netstatus::CounterText(1234), " 1234 ");
    EXPECT_EQ(netstatus::CounterText(0), " 0 ");
    EXPECT_EQ(netstatus::CounterText(2147483648u), " 2147483648 ");
    EXPECT_EQ(netstatus::CounterText(4294967296u), " 4294967296 ");
    EXPECT_EQ(netstatus::CounterText(UINT64_MAX), " 18446744073709551615 ");
}

TEST(NetStatusTraffic, ThirtyTwoBitCountersAreExtendedAcrossWrapsAndRestartAfterAReset)
{
    netstatus::TrafficMeter meter;
    const auto take = [&meter](std::uint64_t counter, std::uint32_t ms, bool full = false) {
        meter.Take({counter, counter, full}, ms);
        return meter.HasSpeed() ? meter.ReceivedPerSecond() : ~std::uint64_t{0};
    };
    EXPECT_EQ(take(4294967000u, 1000), ~std::uint64_t{0}); // the first reading has no speed
    EXPECT_EQ(take(704, 1000), 1000u);                      // 1,000 bytes over the top
    EXPECT_EQ(netstatus::CounterText(meter.Sent()), " 4294968000 ");
    EXPECT_EQ(take(2000704, 500), 4000000u);
    // Backwards by far more than a wrap could explain: a reset adapter, then the system's count.
    EXPECT_EQ(take(5000, 1000), ~std::uint64_t{0});
    EXPECT_EQ(meter.Received(), 5000u);
    EXPECT_EQ(take(6000, 1000), 1000u);
    bool reset = false;
    EXPECT_EQ(netstatus::ExtendCounter((std::uint64_t{3} << 32) + 4294967295u, 0, reset), std::uint64_t{4} << 32);
    EXPECT_FALSE(reset);

    // The 64-bit counters are taken as they are; one that goes backwards is a reset too.
    meter.Restart();
    take(5041084150u, 1000, true);
    EXPECT_EQ(netstatus::CounterText(meter.Received()), " 5041084150 ");
    EXPECT_EQ(take(5041084150u + 2048, 1000, true), 2048u);
    EXPECT_EQ(take(10, 1000, true), ~std::uint64_t{0});
}

TEST(NetStatusTraffic, SpeedsInThreeDigitsAndTheTooltip)
{
    const std::pair<std::uint64_t, const char*> speeds[] = {
        {0, "0 B/s"}, {1023, "1023 B/s"}, {1024, "1.00 KB/s"}, {10234, "9.99 KB/s"}, {10235, "10.0 KB/s"},
        {35840, "35.0 KB/s"}, {102348, "99.9 KB/s"}, {102400, "100 KB/s"}, {1048063, "1023 KB/s"},
        {1048064, "1.00 MB/s"}, {1258291, "1.20 MB/s"}, {1073741824, "1.00 GB/s"},
        {std::uint64_t{2000} << 30, "2000 GB/s"}, {UINT64_MAX, "67108864 GB/s"}};
    for (const auto& [bytes, text] : speeds)
        EXPECT_EQ(netstatus::SpeedText(bytes), text) << bytes;

    netstatus::TrafficMeter meter;
    meter.Take({1000, 1000, true}, 1000);
    EXPECT_EQ(netstatus::TrayTipText("Spindrel", meter), "Spindrel"); // the first tick
    meter.Take({1000 + 1258291, 1000 + 35840, true}, 1000);
    EXPECT_EQ(netstatus::TrayTipText("Spindrel", meter), "Spindrel\n\xE2\x86\x93 1.20 MB/s  \xE2\x86\x91 35.0 KB/s");
    meter.Restart(); // another interface
    meter.Take({7, 7, true}, 1000);
    EXPECT_EQ(netstatus::TrayTipText("Spindrel", meter), "Spindrel");
}

TEST(NetStatusTexts, ConnectionTypeWordsKeepTheirOrder)
{
    EXPECT_EQ(netstatus::ConnectionTypeText(0x02), " LAN ");
    EXPECT_EQ(netstatus::ConnectionTypeText(0x02 | 0x04), " LAN  Proxy ");
    EXPECT_EQ(netstatus::ConnectionTypeText(0x01 | 0x02), " LAN  Modem ");
    EXPECT_EQ(netstatus::ConnectionTypeText(0x12), " LAN "); // what Wine answers: LAN and "RAS installed"
    EXPECT_EQ(netstatus::ConnectionTypeText(0x01 | 0x20), " Modem  Offline ");
    EXPECT_EQ(netstatus::ConnectionTypeText(0x27), " LAN  Modem  Offline  Proxy ");
    EXPECT_EQ(netstatus::ConnectionTypeText(0x40), "");
    EXPECT_EQ(netstatus::ConnectionTypeText(0), "");
}

TEST(NetStatusTexts, NotConnectedKeepsTheLastType)
{
    CString type, status;
    netstatus::ApplyConnectionState(true, 0x02, type, status);
    EXPECT_EQ(type, " LAN ");
    EXPECT_EQ(status, " Connected");

    netstatus::ApplyConnectionState(false, 0x04, type, status);
    EXPECT_EQ(type, " LAN ");
    EXPECT_EQ(status, "N/A");

    netstatus::ApplyConnectionState(true, 0x40, type, status);
    EXPECT_EQ(type, "");
    EXPECT_EQ(status, " Connected");

    CString never, neverStatus;
    netstatus::ApplyConnectionState(false, 0, never, neverStatus);
    EXPECT_EQ(never, "");
    EXPECT_EQ(neverStatus, "N/A");
}

} // namespace
