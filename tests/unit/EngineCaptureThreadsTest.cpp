// Switch-on, switch-off and rapid toggles with real worker threads on loopback UDP sockets. The
// native build runs this under AddressSanitizer and again under ThreadSanitizer.
#include "engine/core/CaptureLoop.h"
#include "tests/common/HandleLedger.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using engine::Received;

// Every socket opened and closed, so that a double close or a leak shows.
using SocketLedger = test_support::HandleLedger<int>;

// The POSIX counterpart of the program's channel: a non-blocking UDP socket on 127.0.0.1 and a
// pipe that wakes the worker's poll.
class UdpChannel {
public:
    UdpChannel(SocketLedger& ledger) : ledger_(&ledger)
    {
        socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ >= 0) {
            ledger_->Opened(socket_);
            ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
            port_ = ntohs(address.sin_port);
        }
        if (::pipe2(wake_, O_NONBLOCK) != 0)
            wake_[0] = wake_[1] = -1;
    }
    UdpChannel(UdpChannel&& other) noexcept
        : ledger_(other.ledger_), socket_(other.socket_), port_(other.port_), wake_{other.wake_[0], other.wake_[1]}
    {
        other.socket_ = -1;
        other.wake_[0] = other.wake_[1] = -1;
    }
    UdpChannel(const UdpChannel&) = delete;
    ~UdpChannel()
    {
        Close();
        for (int fd : wake_)
            if (fd >= 0)
                ::close(fd);
    }

    unsigned short port() const { return port_; }

    Received Receive()
    {
        char buffer[1600];
        if (::recv(socket_, buffer, sizeof buffer, 0) >= 0)
            return Received::Datagram;
        return errno == EAGAIN || errno == EWOULDBLOCK ? Received::Nothing : Received::Failed;
    }
    bool Wait()
    {
        pollfd fds[2] = {{wake_[0], POLLIN, 0}, {socket_, POLLIN, 0}};
        return ::poll(fds, 2, -1) > 0;
    }
    void Wake()
    {
        const char byte = 1;
        (void)!::write(wake_[1], &byte, 1);
    }
    void Close()
    {
        if (socket_ < 0)
            return;
        ledger_->Closing(socket_);
        ::close(socket_);
        socket_ = -1;
    }

private:
    SocketLedger* ledger_;
    int socket_ = -1;
    unsigned short port_ = 0;
    int wake_[2] = {-1, -1};
};

void SendTo(unsigned short port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const char datagram[64] = {};
    ::sendto(fd, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
}

// The window thread's side of the toggle, as the program's OnAccelerate does it, with joinable
// threads so that the test can wait for every worker.
struct Toggle {
    SocketLedger ledger;
    std::atomic<int> accelerating{0};
    engine::CaptureSwitch<UdpChannel> captures;
    std::vector<std::thread> workers;
    std::vector<unsigned> exitCodes;
    std::mutex exitMutex;

    void Click()
    {
        if (accelerating.load() == 0) {
            accelerating.store(1);
            auto session = captures.Replace(UdpChannel(ledger));
            workers.emplace_back([this, session] {
                const unsigned code = session->Run(session->channel(), accelerating);
                std::lock_guard<std::mutex> lock(exitMutex);
                exitCodes.push_back(code);
            });
        } else {
            accelerating.store(0);
        }
    }
    void JoinAll()
    {
        for (auto& worker : workers)
            if (worker.joinable())
                worker.join();
        workers.clear();
    }
};

TEST(EngineCaptureThreads, SwitchOnAgainRetiresTheWaitingWorkerOnAQuietLink)
{
    Toggle toggle;
    toggle.Click();
    toggle.Click();
    toggle.Click(); // on again while the first worker waits and no datagram comes
    toggle.workers.front().join();
    toggle.workers.erase(toggle.workers.begin());
    EXPECT_EQ(toggle.ledger.StillOpen(), 1); // the new capture's socket only
    toggle.Click();
    SendTo(toggle.captures.current()->channel().port());
    toggle.JoinAll();
    EXPECT_EQ(toggle.exitCodes, (std::vector<unsigned>{engine::kWorkerStopped, engine::kWorkerStopped}));
    EXPECT_EQ(toggle.ledger.StillOpen(), 0);
    EXPECT_EQ(toggle.ledger.DoubleCloses(), 0);
}

TEST(EngineCaptureThreads, RapidTogglesUnderTrafficLeaveOneCaptureAtMost)
{
    Toggle toggle;
    std::atomic<bool> sending{true};
    std::atomic<unsigned short> port{0};
    std::thread sender([&] {
        while (sending.load()) {
            if (const unsigned short p = port.load())
                SendTo(p);
        }
    });
    for (int i = 0; i < 400; ++i) {
        toggle.Click();
        if (toggle.accelerating.load())
            port.store(toggle.captures.current()->channel().port());
    }
    // 400 clicks end switched off; switching on once more retires every earlier capture.
    toggle.Click();
    sending.store(false);
    sender.join();
    const std::size_t lastWorker = toggle.workers.size() - 1;
    for (std::size_t i = 0; i < lastWorker; ++i)
        toggle.workers[i].join();
    EXPECT_EQ(toggle.ledger.StillOpen(), 1);
    toggle.Click();
    SendTo(toggle.captures.current()->channel().port());
    toggle.JoinAll();
    EXPECT_EQ(toggle.ledger.Opened(), 201);
    EXPECT_EQ(toggle.ledger.StillOpen(), 0);
    EXPECT_EQ(toggle.ledger.DoubleCloses(), 0);
    EXPECT_EQ(toggle.exitCodes.size(), 201u);
    for (unsigned code : toggle.exitCodes)
        EXPECT_EQ(code, engine::kWorkerStopped);
}

} // namespace
