#pragma once
// Helpers of the capture tests under Wine: loopback UDP sockets in place of the raw ones, with an
// account of every open and close, and a few probes.
#include "engine/Capture.h"
#include "tests/common/HandleLedger.h"
#include "tests/common/Process.h"
#include "tests/common/ScopedHook.h"

#include <tlhelp32.h>

#include <vector>

namespace engine_test {

using test_support::ScopedHook;
using test_support::WaitUntil;

// A datagram of this size makes the stand-in's receive fail as on a reset socket (the adapter gone).
constexpr int kResetDatagramSize = 7;

// Opens loopback UDP sockets and keeps account of every open and close.
class LoopbackSockets final : public CaptureSocketSource, public test_support::HandleLedger<SOCKET> {
public:
    SOCKET Open() override
    {
        const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s != INVALID_SOCKET)
            Opened(s);
        return s;
    }
    void Close(SOCKET s) override
    {
        Closing(s);
        ::closesocket(s);
    }
    int Receive(SOCKET s, char* buffer, int size) override
    {
        const int received = CaptureSocketSource::Receive(s, buffer, size);
        if (received == kResetDatagramSize)
            ::WSASetLastError(WSAENETRESET);
        return received == kResetDatagramSize ? SOCKET_ERROR : received;
    }
};

inline unsigned short PortOf(SOCKET s)
{
    sockaddr_in address = {};
    int length = sizeof address;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

inline void SendTo(unsigned short port, int size = 64, int count = 1)
{
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    address.sin_port = htons(port);
    std::vector<char> datagram(static_cast<size_t>(size), 'x');
    for (int i = 0; i < count; ++i)
        ::sendto(s, datagram.data(), size, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::closesocket(s);
}

// Threads of this process, from a snapshot of the system's.
inline int ThreadCount()
{
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId())
            ++count;
    ::CloseHandle(snapshot);
    return count;
}

} // namespace engine_test
