// The program's capture (the build with datagram sockets, which Wine allows) in a network namespace
// that has only loopback, set up by network/namespace-test: it waits for the network, starts by
// itself when an address and a default route appear, and waits again when they go.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/resource.h"
#include "tests/common/Process.h"

namespace {

using namespace test_support;

// Changes this namespace's network with the system's own tool (Wine starts Unix programs).
void Network(const char* commands)
{
    RunToEnd("Z:\\bin\\sh", std::string("-c \"") + commands + "\"", 20000);
}

TEST(Network, WaitsForAnAddressStartsByItselfAndWaitsAgainWhenItGoes)
{
    if (!std::getenv("SPINDREL_NETWORK_NAMESPACE"))
        GTEST_SKIP() << "run by network/namespace-test, inside a network namespace";
    const std::string folder = OwnFolder() + "capturing\\";
    SpindrelProcess spindrel(folder + "SpindrelCapturing.exe");
    ASSERT_TRUE(spindrel.Start("", folder));
    const HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    const std::string waiting = "State: Waiting for network\nPush to stop";
    EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATE), waiting);
    EXPECT_EQ(::SendDlgItemMessageA(window, IDC_ACCELERATE, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::Sleep(1500);
    EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATED_TIME), " 0 hrs :  0 mins :  0 secs");

    Network("ip link add name spd0 type veth peer name spd1 && ip addr add 10.213.0.2/24 dev spd0 && "
            "ip link set spd0 up && ip link set spd1 up && ip route add default via 10.213.0.1 dev spd0");
    DWORD start = ::GetTickCount();
    EXPECT_TRUE(WaitUntil([&] { return spindrel.ControlText(IDC_ACCELERATE) == "State: Activated\nPush to stop"; }, 10000))
        << spindrel.ControlText(IDC_ACCELERATE);
    std::printf("activated %lu ms after the address came\n", ::GetTickCount() - start);
    EXPECT_TRUE(WaitUntil([&] { return spindrel.ControlText(IDC_ACCELERATED_TIME) != " 0 hrs :  0 mins :  0 secs"; }, 3000));

    Network("ip addr del 10.213.0.2/24 dev spd0");
    start = ::GetTickCount();
    EXPECT_TRUE(WaitUntil([&] { return spindrel.ControlText(IDC_ACCELERATE) == waiting; }, 10000));
    std::printf("waiting %lu ms after the address went\n", ::GetTickCount() - start);
    EXPECT_EQ(::SendDlgItemMessageA(window, IDC_ACCELERATE, BM_GETCHECK, 0, 0), BST_CHECKED);

    spindrel.PostCommand(ID_EXIT);
    EXPECT_TRUE(spindrel.WaitForExit(10000));
}

} // namespace
