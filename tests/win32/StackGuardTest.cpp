// Spindrel.exe's own stack-protector guard, in a probe process that starts the same way: seeded at
// random at every start, and a smashed stack or an overflowing checked copy ends the process at
// once with STATUS_STACK_BUFFER_OVERRUN.
#include <gtest/gtest.h>

#include "tests/common/Process.h"

namespace {

constexpr DWORD kStackBufferOverrun = 0xC0000409;

DWORD RunProbe(const std::string& arguments)
{
    return test_support::RunToEnd(test_support::OwnFolder() + "stack_guard\\stack_guard_probe.exe", arguments, 30000);
}

TEST(StackGuard, IsSeededDifferentlyAtEachStart)
{
    const DWORD first = RunProbe("guard");
    const DWORD second = RunProbe("guard");
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
}

TEST(StackGuard, ASmashedStackOrAnOverflowingCopyEndsTheProcess)
{
    EXPECT_EQ(RunProbe("fill 16"), 0u);
    EXPECT_EQ(RunProbe("copy 8"), 0u);
    EXPECT_EQ(RunProbe("fill 64"), kStackBufferOverrun);
    EXPECT_EQ(RunProbe("copy 40"), kStackBufferOverrun);
}

} // namespace
