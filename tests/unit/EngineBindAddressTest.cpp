#include "engine/core/BindAddress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

using engine::ChooseBindAddress;
using engine::LocalAddress;

std::vector<LocalAddress> Table(std::initializer_list<const char*> texts)
{
    std::vector<LocalAddress> table;
    for (const char* text : texts) {
        LocalAddress entry = {};
        std::snprintf(entry.text, sizeof entry.text, "%s", text);
        table.push_back(entry);
    }
    return table;
}

int Choose(const std::vector<LocalAddress>& table)
{
    return ChooseBindAddress(table.data(), static_cast<int>(table.size()));
}

TEST(EngineBindAddress, FirstAddressThatIsNeitherLoopbackNorWildcard)
{
    EXPECT_EQ(Choose(Table({"127.0.0.1", "192.168.1.5"})), 1);
    EXPECT_EQ(Choose(Table({"0.0.0.0", "10.0.0.7", "192.168.1.5"})), 1);
    EXPECT_EQ(Choose(Table({"192.168.1.5", "10.0.0.7"})), 0);
    // The comparison is of whole texts: other loopback addresses and prefixes count as real.
    EXPECT_EQ(Choose(Table({"127.0.0.1", "127.0.0.2"})), 1);
    EXPECT_EQ(Choose(Table({"127.0.0.10"})), 0);
    EXPECT_EQ(Choose(Table({"0.0.0.0", "127.0.0.1", "", "10.1.1.1"})), 2);
}

TEST(EngineBindAddress, FallsBackToEntryZeroAndRefusesAnEmptyTable)
{
    EXPECT_EQ(Choose(Table({"127.0.0.1"})), 0);
    EXPECT_EQ(Choose(Table({"0.0.0.0", "127.0.0.1"})), 0);
    EXPECT_EQ(ChooseBindAddress(nullptr, 0), -1);
    EXPECT_EQ(ChooseBindAddress(nullptr, 3), -1);
    const auto table = Table({"127.0.0.1", "10.0.0.1"});
    EXPECT_EQ(ChooseBindAddress(table.data(), 0), -1);
    EXPECT_EQ(ChooseBindAddress(table.data(), -5), -1);
    // Only the first count entries are looked at.
    EXPECT_EQ(ChooseBindAddress(table.data(), 1), 0);
}

TEST(EngineBindAddress, UnterminatedEntriesAreReadNoFurtherThanTheirField)
{
    // Sixteen characters and no NUL: AddressSanitizer reports any read past the entry.
    auto* table = new LocalAddress[1];
    std::memset(table[0].text, '1', sizeof table[0].text);
    EXPECT_EQ(ChooseBindAddress(table, 1), 0);
    delete[] table;
}

} // namespace
