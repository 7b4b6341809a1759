// Privilege isolation of windows, which only Windows has: a process of a lower integrity level (a
// copy of this test) cannot post to Spindrel's window, except the setup's exit request.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Config.h"
#include "res/resource.h"
#include "tests/common/Platform.h"
#include "tests/common/Process.h"

static_assert(sizeof(TOKEN_MANDATORY_LABEL) == 2 * sizeof(void*), "TOKEN_MANDATORY_LABEL is one SID_AND_ATTRIBUTES");
namespace {
using namespace test_support;
constexpr char kWindowVariable[] = "SPINDREL_TEST_POST_TO";

TEST(Uipi, ALowerProcessReachesSpindrelWithTheExitRequestOnly)
{
    if (const char* target = std::getenv(kWindowVariable)) { // the low-integrity copy
        const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(target, nullptr, 16)));
        EXPECT_TRUE(!::PostMessageA(window, WM_COMMAND, ID_EXIT, 0) && ::GetLastError() == ERROR_ACCESS_DENIED);
        EXPECT_TRUE(::PostMessageA(window, ::RegisterWindowMessageA(config::exitRequestMessage), 0, 0));
        return;
    }
    SPINDREL_ONLY_ON_WINDOWS("Wine has no integrity levels between windows");
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);

    HANDLE own = nullptr, low = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
    const UniqueKernelHandle ownToken(own);
    ASSERT_TRUE(::DuplicateTokenEx(own, 0, nullptr, SecurityImpersonation, TokenPrimary, &low));
    const UniqueKernelHandle lowToken(low);
    SID_IDENTIFIER_AUTHORITY labels = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID lowLevel = nullptr;
    ASSERT_TRUE(::AllocateAndInitializeSid(&labels, 1, SECURITY_MANDATORY_LOW_RID, 0, 0, 0, 0, 0, 0, 0, &lowLevel));
    TOKEN_MANDATORY_LABEL label{{lowLevel, SE_GROUP_INTEGRITY}};
    const bool lowered = ::SetTokenInformation(low, TokenIntegrityLevel, &label, sizeof label + ::GetLengthSid(lowLevel));
    ::FreeSid(lowLevel);
    ASSERT_TRUE(lowered);

    char exe[MAX_PATH * 3] = {}, window[32] = {};
    ::GetModuleFileNameA(nullptr, exe, sizeof exe - 1);
    std::snprintf(window, sizeof window, "%p", static_cast<void*>(spindrel.MainWindow()));
    std::string commandLine = "\"" + std::string(exe) + "\" --gtest_filter=Uipi.*";
    ::SetEnvironmentVariableA(kWindowVariable, window);
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION started{};
    const bool ran = ::CreateProcessAsUserA(low, exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                            &startup, &started);
    ::SetEnvironmentVariableA(kWindowVariable, nullptr);
    ASSERT_TRUE(ran) << ::GetLastError();
    const UniqueKernelHandle child(started.hProcess), thread(started.hThread);
    DWORD code = 1;
    EXPECT_TRUE(::WaitForSingleObject(child.get(), 30000) == WAIT_OBJECT_0 && ::GetExitCodeProcess(child.get(), &code));
    EXPECT_EQ(code, 0u) << "the low-integrity copy's checks failed";
    EXPECT_TRUE(spindrel.WaitForExit(15000)) << "the exit request did not end Spindrel";
}

} // namespace
