#pragma once
// Helpers of the capture tests under Wine: loopback UDP sockets in place of the raw ones, with an
// account of every open and close, and a few probes.
#include "engine/CaptureEngine.h"
#include "tests/common/HandleLedger.h"
#include "tests/common/Process.h"
#include "tests/common/ScopedHook.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <mutex>
#include <utility>
#include <vector>

namespace engine_test {

using test_support::ScopedHook;
using test_support::WaitUntil;

// A datagram of this size makes the stand-in's receive fail as on a reset socket (the adapter gone).
constexpr int kResetDatagramSize = 7;

// Opens loopback UDP sockets and keeps account of every open and close. Whatever address the
// engine binds to, the socket is bound to 127.0.0.1; the address asked for is kept.
class LoopbackSockets final : public CaptureSocketSource, public test_support::HandleLedger<SOCKET> {
public:
    int Bind(SOCKET s, std::uint32_t address) override
    {
        asked = address;
        return CaptureSocketSource::Bind(s, ::inet_addr("127.0.0.1"));
    }
    std::atomic<std::uint32_t> asked{0};
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

// The network as the engine sees it, set by a test: the address table (GetIpAddrTable) and the
// interface of the default route (GetBestInterface; 0: no default route).
class NetworkStandIn {
public:
    void Set(std::initializer_list<std::pair<const char*, DWORD>> entries, DWORD routed)
    {
        std::lock_guard<std::mutex> hold(lock_);
        rows_.clear();
        for (const auto& [text, index] : entries)
            rows_.push_back({::inet_addr(text), index});
        routed_ = routed;
    }
    static DWORD WINAPI Addresses(PMIB_IPADDRTABLE table, PULONG size, BOOL)
    {
        std::lock_guard<std::mutex> hold(lock_);
        const ULONG needed = static_cast<ULONG>(sizeof(DWORD) + rows_.size() * sizeof(MIB_IPADDRROW));
        if (!table || *size < needed)
            return *size = needed, ERROR_INSUFFICIENT_BUFFER;
        table->dwNumEntries = static_cast<DWORD>(rows_.size());
        std::copy(rows_.begin(), rows_.end(), table->table);
        return NO_ERROR;
    }
    static DWORD WINAPI BestInterface(IPAddr, PDWORD index)
    {
        std::lock_guard<std::mutex> hold(lock_);
        *index = routed_;
        return routed_ ? NO_ERROR : ERROR_NETWORK_UNREACHABLE;
    }

private:
    static inline std::mutex lock_;
    static inline std::vector<MIB_IPADDRROW> rows_;
    static inline DWORD routed_ = 0;
};

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
