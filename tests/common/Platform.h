#pragma once
// The platform under the tests: Wine or Windows, with or without administrator rights. Where the
// two differ (raw sockets, the shell, oleacc), a test expects what the platform under it does and
// says which; a test that only one of them can run skips itself on the other with the reason.

#include <windows.h>

#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

static_assert(sizeof(TOKEN_ELEVATION) == 4, "TOKEN_ELEVATION is one DWORD on 32- and 64-bit Windows");

namespace test_support {

// Wine's ntdll exports wine_get_version; Windows' never has.
inline bool UnderWine()
{
    using WineVersion = const char*(WINAPI*)();
    static const bool wine = system_library::ntdll.Entry<WineVersion>("wine_get_version") != nullptr;
    return wine;
}

// Whether this process runs with an administrator's full token. Wine gives every process one;
// Windows gives it to an administrator with UAC off (the hosted CI runners) or after "runas".
inline bool Elevated()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    const UniqueKernelHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

inline const char* PlatformName()
{
    return UnderWine() ? "Wine" : Elevated() ? "Windows, as administrator" : "Windows, without administrator rights";
}

// What the toggle of the real Spindrel.exe shows once its capture has started at start-up: Wine
// refuses raw sockets to everyone ("Capture failed"); Windows opens one for an administrator and
// refuses it to anyone else.
inline bool RealCaptureRuns()
{
    return !UnderWine() && Elevated();
}
inline const char* RealCaptureCaption()
{
    if (UnderWine())
        return "State: Stopped\nCapture failed";
    return Elevated() ? "State: Activated\nPush to stop" : "State: Stopped\nNeeds administrator rights";
}

} // namespace test_support

// The first line of a test that only one platform can run: elsewhere it is skipped, saying why.
#define SPINDREL_ONLY_UNDER_WINE(why)                                                                \
    do {                                                                                             \
        if (!test_support::UnderWine())                                                              \
            GTEST_SKIP() << "Wine only (" << test_support::PlatformName() << " here): " << why;      \
    } while (false)
#define SPINDREL_ONLY_ON_WINDOWS(why)                                                                \
    do {                                                                                             \
        if (test_support::UnderWine())                                                               \
            GTEST_SKIP() << "Windows only (Wine here): " << why;                                     \
    } while (false)
