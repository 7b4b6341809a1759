// The totals past 4 GiB with the real program: network/namespace-test runs this inside a network
// namespace that has only loopback, after more than 4 GiB have gone through it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "res/resource.h"
#include "tests/common/Preferences.h"
#include "tests/common/Process.h"

TEST(Totals, LoopbackShowsMoreThanFourGiBReceived)
{
    if (!std::getenv("SPINDREL_NETWORK_NAMESPACE"))
        GTEST_SKIP() << "run by network/namespace-test, inside a network namespace";
    ASSERT_TRUE(prefs_test::WriteDword("SOFTWARE\\Spindrel", "Network", 0)); // loopback, the only entry
    test_support::SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start() && spindrel.WaitForMainWindow());
    std::string received;
    EXPECT_TRUE(test_support::WaitUntil(
        [&] { return std::strtoull((received = spindrel.ControlText(IDC_BYTES_RECEIVED)).c_str(), nullptr, 10) > 4294967295u; },
        10000)) << "received total \"" << received << "\"";
    EXPECT_EQ(spindrel.ControlText(IDC_INTERFACE_LIST).rfind(" lo ", 0), 0u) << spindrel.ControlText(IDC_INTERFACE_LIST);
    spindrel.PostCommand(ID_EXIT);
    EXPECT_TRUE(spindrel.WaitForExit(10000));
}
