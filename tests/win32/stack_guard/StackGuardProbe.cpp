// A process that starts as Spindrel.exe does, with its stack-protector guard seeded at the entry
// point, and then does what its argument says:
//   guard      ends with the low 31 bits of the guard as its exit code;
//   fill N     writes N bytes into a 16-byte array on the stack and ends with 0;
//   copy N     copies N bytes into an 8-byte array through the checked memcpy and ends with 0.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/StackGuard.h"

extern "C" std::uintptr_t __stack_chk_guard;
extern "C" int mainCRTStartup();

extern "C" __attribute__((no_stack_protector)) int ProbeStartup()
{
    SeedStackGuard();
    return mainCRTStartup();
}

namespace {

// The lengths come from the command line, so neither the compiler nor the checked copy can see
// an overflow coming before it happens.
__attribute__((noinline)) int FillLocal(int count)
{
    char local[16];
    for (int i = 0; i < count; ++i)
        reinterpret_cast<volatile char*>(local)[i] = static_cast<char>(i);
    return local[0];
}

__attribute__((noinline)) int CopyLocal(std::size_t length)
{
    static const char source[64] = "a text that is longer than the array it is copied into";
    char target[8];
    std::memcpy(target, source, length);
    return target[0] == 'a' ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "guard") == 0)
        return static_cast<int>(__stack_chk_guard & 0x7fffffff);
    const int count = argc >= 3 ? std::atoi(argv[2]) : 0;
    if (argc >= 3 && std::strcmp(argv[1], "fill") == 0)
        return FillLocal(count);
    if (argc >= 3 && std::strcmp(argv[1], "copy") == 0)
        return CopyLocal(static_cast<std::size_t>(count));
    return 2;
}
