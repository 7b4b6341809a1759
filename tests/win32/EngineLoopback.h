#pragma once
// Helpers of the capture tests under Wine: loopback UDP sockets in place of the raw ones, with an
// account of every open and close, and a few probes.
#include "engine/Capture.h"

#include <tlhelp32.h>

#include <map>
#include <mutex>
#include <vector>

namespace engine_test {

// Opens loopback UDP sockets and keeps account of every open and close.
class LoopbackSockets final : public CaptureSocketSource {
public:
    SOCKET Open() override
    {
        const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        std::lock_guard<std::mutex> lock(mutex_);
        if (s != INVALID_SOCKET) {
            ++open_[s];
            ++opened_;
        }
        return s;
    }
    void Close(SOCKET s) override
    {
        {
            // Counted before the handle is released: a reuse of its value cannot come first.
            std::lock_guard<std::mutex> lock(mutex_);
            if (--open_[s] < 0)
                ++doubleCloses_;
        }
        ::closesocket(s);
    }
    int StillOpen()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        int count = 0;
        for (const auto& entry : open_)
            count += entry.second > 0 ? entry.second : 0;
        return count;
    }
    int DoubleCloses()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return doubleCloses_;
    }
    int Opened()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return opened_;
    }

private:
    std::mutex mutex_;
    std::map<SOCKET, int> open_;
    int doubleCloses_ = 0;
    int opened_ = 0;
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

template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = 5000)
{
    for (int waited = 0; waited < milliseconds; waited += 10) {
        if (condition())
            return true;
        ::Sleep(10);
    }
    return condition();
}

} // namespace engine_test
