#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "netstatus/InterfaceList.h"
#include "netstatus/StatusTexts.h"

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

TEST(NetStatusTexts, CountersAreUnsigned32Bit)
{
    EXPECT_EQ(netstatus::CounterText(1234), " 1234 ");
    EXPECT_EQ(netstatus::CounterText(0), " 0 ");
    EXPECT_EQ(netstatus::CounterText(2147483648u), " 2147483648 ");
    EXPECT_EQ(netstatus::CounterText(4294967295u), " 4294967295 ");
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
