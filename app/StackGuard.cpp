#include "app/StackGuard.h"

#include <windows.h>
#include <ntsecapi.h>

#include <cstdint>

#include "framework/SystemLibrary.h"

extern "C" {
// Read by the prologue and epilogue of every protected function. The value before seeding only
// serves the few functions that return before it.
std::uintptr_t __stack_chk_guard = static_cast<std::uintptr_t>(0x2f8b6d1c5ae3904bULL);

[[noreturn]] void __stack_chk_fail();
[[noreturn]] void __stack_chk_fail_local();
[[noreturn]] void __chk_fail();
}

namespace {

constexpr DWORD kStackBufferOverrun = 0xC0000409; // STATUS_STACK_BUFFER_OVERRUN


// A corrupted stack or an overflowing buffer: nothing of the process can be trusted any more, so it
// ends at once, with the status Windows gives such an end, and runs none of its own code on the way.
[[noreturn]] void Terminate(const char* what)
{
    ::OutputDebugStringA(what);
    ::TerminateProcess(::GetCurrentProcess(), kStackBufferOverrun);
    __builtin_trap();
}

} // namespace

__attribute__((no_stack_protector)) void SeedStackGuard()
{
    // advapi32 is in the import table; its SystemFunction036 is RtlGenRandom.
    const auto generate = system_library::advapi.Entry<decltype(&::SystemFunction036)>("SystemFunction036");
    std::uintptr_t value = 0;
    if (!generate || !generate(&value, sizeof value) || value == 0) {
        // Without the generator: what changes from start to start, as the system's own start-up does.
        LARGE_INTEGER counter = {};
        ::QueryPerformanceCounter(&counter);
        FILETIME now = {};
        ::GetSystemTimeAsFileTime(&now);
        value ^= static_cast<std::uintptr_t>(counter.QuadPart) ^ reinterpret_cast<std::uintptr_t>(&value);
        value ^= (static_cast<std::uintptr_t>(now.dwHighDateTime) << 16) ^ now.dwLowDateTime;
        value ^= static_cast<std::uintptr_t>(::GetCurrentProcessId()) << 8 ^ ::GetCurrentThreadId() ^ ::GetTickCount();
    }
    __stack_chk_guard = value ? value : __stack_chk_guard;
}

extern "C" void __stack_chk_fail()
{
    Terminate("*** stack smashing detected ***: Spindrel terminated\n");
}

extern "C" void __stack_chk_fail_local()
{
    __stack_chk_fail();
}

extern "C" void __chk_fail()
{
    Terminate("*** buffer overflow detected ***: Spindrel terminated\n");
}
