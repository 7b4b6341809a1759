#include "engine/core/BindAddress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

using engine::ChooseBindAddress;
using engine::LocalAddress;

// Dotted text and interface index -> an entry in network byte order, as the system lists it.
std::vector<LocalAddress> Table(std::initializer_list<std::pair<const char*, std::uint32_t>> entries)
{
    std::vector<LocalAddress> table;
    for (const auto& [text, index] : entries) {
        unsigned a = 0, b = 0, c = 0, d = 0;
        std::sscanf(text, "%u.%u.%u.%u", &a, &b, &c, &d);
        const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                        static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
        LocalAddress entry = {0, index};
        std::memcpy(&entry.address, bytes, sizeof bytes);
        table.push_back(entry);
    }
    return table;
}

int Choose(const std::vector<LocalAddress>& table, std::optional<std::uint32_t> routed = std::nullopt)
{
    return ChooseBindAddress(table.data(), static_cast<int>(table.size()), routed);
}

TEST(EngineBindAddress, TheDefaultRoutesInterfaceWinsThenTheFirstRealAddressThenLinkLocal)
{
    // A virtual adapter listed first, the default route on the second interface.
    const auto machine = Table({{"127.0.0.1", 1}, {"172.20.0.1", 9}, {"192.168.1.5", 7}});
    EXPECT_EQ(Choose(machine, 7), 2);
    // No default route, or one through an interface without a usable address: the first real one.
    EXPECT_EQ(Choose(machine), 1);
    EXPECT_EQ(Choose(Table({{"10.0.0.7", 3}, {"0.0.0.0", 7}, {"169.254.1.1", 7}}), 7), 0);
    EXPECT_EQ(Choose(Table({{"0.0.0.0", 2}, {"169.254.9.9", 4}, {"10.0.0.7", 3}})), 2);
    // One adapter: nothing changes.
    EXPECT_EQ(Choose(Table({{"127.0.0.1", 1}, {"192.168.1.5", 7}}), 7), 1);
    // Link-local only when nothing else exists; 169.253 and 170.254 are not link-local.
    EXPECT_EQ(Choose(Table({{"127.0.0.1", 1}, {"169.254.3.4", 5}, {"169.254.7.7", 6}})), 1);
    EXPECT_EQ(Choose(Table({{"169.254.3.4", 5}, {"169.253.0.1", 6}})), 1);
    EXPECT_EQ(Choose(Table({{"169.254.3.4", 5}, {"170.254.0.1", 6}})), 1);
}

TEST(EngineBindAddress, NothingToCaptureOnGivesMinusOne)
{
    EXPECT_EQ(Choose(Table({{"127.0.0.1", 1}}), 1), -1);
    EXPECT_EQ(Choose(Table({{"0.0.0.0", 2}, {"127.0.0.1", 1}, {"127.8.0.2", 1}})), -1);
    EXPECT_EQ(ChooseBindAddress(nullptr, 3, 1), -1);
    const auto table = Table({{"10.0.0.1", 1}});
    EXPECT_EQ(ChooseBindAddress(table.data(), 0, std::nullopt), -1);
    EXPECT_EQ(ChooseBindAddress(table.data(), -5, std::nullopt), -1);
}

} // namespace
