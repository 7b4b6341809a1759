// The capture engine on real sockets under Wine. Wine refuses raw sockets, so a UDP socket on
// 127.0.0.1 stands in for the raw one; the engine binds it, switches it (without effect) into
// receive-all mode and its worker receives on it exactly as on the raw socket.
#include "engine/Capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "tests/win32/EngineLoopback.h"

namespace {

using namespace engine_test;

// Sockets already bound, so that the engine's own bind fails.
class PreboundSockets final : public CaptureSocketSource {
public:
    explicit PreboundSockets(LoopbackSockets& ledger) : ledger_(ledger) {}
    SOCKET Open() override
    {
        const SOCKET s = ledger_.Open();
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        ::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        return s;
    }
    void Close(SOCKET s) override { ledger_.Close(s); }

private:
    LoopbackSockets& ledger_;
};

class RefusedSockets final : public CaptureSocketSource {
public:
    SOCKET Open() override
    {
        ::WSASetLastError(WSAEPROTOTYPE);
        return INVALID_SOCKET;
    }
    void Close(SOCKET) override { ++closes; }
    int closes = 0;
};

const std::uint32_t kLoopback = ::inet_addr("127.0.0.1");

// A worker on a thread of the test's own, so that its exit code can be read.
class Worker {
public:
    explicit Worker(CaptureStart start)
    {
        thread_ = ::CreateThread(nullptr, 0, &Worker::Start, start.worker.release(), 0, nullptr);
    }
    ~Worker()
    {
        if (thread_) {
            ::WaitForSingleObject(thread_, 5000);
            ::CloseHandle(thread_);
        }
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // The exit code once the thread has ended within timeout; STILL_ACTIVE if it has not.
    DWORD ExitCode(DWORD timeout = 5000)
    {
        ::WaitForSingleObject(thread_, timeout);
        DWORD code = 0;
        ::GetExitCodeThread(thread_, &code);
        return code;
    }

private:
    static DWORD WINAPI Start(LPVOID parameter) { return CaptureThreadProc(parameter); }
    HANDLE thread_ = nullptr;
};

int QueuedBytes(SOCKET s)
{
    u_long queued = 0;
    ::ioctlsocket(s, FIONREAD, &queued);
    return static_cast<int>(queued);
}

class EngineCapture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WSADATA data;
        ::WSAStartup(MAKEWORD(1, 1), &data);
    }
    void SetUp() override { accelerating = 1; }
    void TearDown() override { accelerating = 0; }

    LoopbackSockets sockets;
    ScopedHook<CaptureSocketSource*> source{&SetCaptureSocketSource, &sockets};
};

TEST_F(EngineCapture, WorkerDiscardsDatagramsAndEndsWithTheFirstOneAfterSwitchOff)
{
    Worker worker(StartCapture(kLoopback));
    const SOCKET s = captureSocket.load();
    ASSERT_NE(s, INVALID_SOCKET);
    const unsigned short port = PortOf(s);
    ASSERT_NE(port, 0);
    EXPECT_EQ(sockets.Opened(), 1);

    SendTo(port, 1500, 200);
    EXPECT_TRUE(WaitUntil([&] { return QueuedBytes(s) == 0; })) << "the worker takes every datagram";
    ::Sleep(50);
    EXPECT_EQ(worker.ExitCode(0), STILL_ACTIVE);

    accelerating = 0; // switch-off: a quiet link leaves the worker waiting, its socket open
    EXPECT_EQ(worker.ExitCode(300), STILL_ACTIVE);
    EXPECT_EQ(sockets.StillOpen(), 1);

    SendTo(port);
    EXPECT_EQ(worker.ExitCode(), static_cast<DWORD>(engine::kWorkerStopped));
    EXPECT_EQ(sockets.StillOpen(), 0);
    EXPECT_EQ(sockets.DoubleCloses(), 0);
    EXPECT_EQ(captureSocket.load(), INVALID_SOCKET); // never left naming a closed handle
}

TEST_F(EngineCapture, TooLongDatagramsAreDiscardedAndAnyOtherReceiveErrorEndsTheWorker)
{
    Worker worker(StartCapture(kLoopback));
    const unsigned short port = PortOf(captureSocket.load());
    SendTo(port, 2000); // longer than the 1600-byte buffer: one datagram, cut and discarded
    SendTo(port);
    EXPECT_EQ(worker.ExitCode(300), STILL_ACTIVE);
    SendTo(port, kResetDatagramSize);
    EXPECT_EQ(worker.ExitCode(), static_cast<DWORD>(engine::kWorkerReceiveFailed));
    EXPECT_EQ(accelerating.load(), 1); // the state stays Activated
    EXPECT_EQ(sockets.StillOpen(), 0);
    EXPECT_EQ(sockets.DoubleCloses(), 0);
}

TEST_F(EngineCapture, FailedCreationOrBindEndsTheWorkerAtOnceWithoutASecondClose)
{
    // The bind fails: StartCapture closes the socket.
    PreboundSockets prebound(sockets);
    {
        ScopedHook bound(&SetCaptureSocketSource, &prebound);
        Worker worker(StartCapture(kLoopback));
        EXPECT_EQ(captureSocket.load(), INVALID_SOCKET);
        EXPECT_EQ(worker.ExitCode(), static_cast<DWORD>(engine::kWorkerReceiveFailed));
        EXPECT_EQ(StartCapture(kLoopback).outcome, CaptureOutcome::Failed);
    }
    EXPECT_EQ(sockets.Opened(), 2);
    EXPECT_EQ(sockets.StillOpen(), 0);
    EXPECT_EQ(sockets.DoubleCloses(), 0);

    // The socket cannot be made at all (raw sockets refused).
    RefusedSockets refused;
    {
        ScopedHook refusing(&SetCaptureSocketSource, &refused);
        Worker worker(StartCapture(kLoopback));
        EXPECT_EQ(captureSocket.load(), INVALID_SOCKET);
        EXPECT_EQ(worker.ExitCode(), static_cast<DWORD>(engine::kWorkerReceiveFailed));
    }
    EXPECT_EQ(refused.closes, 0);

    // A null parameter has nothing to receive on.
    EXPECT_EQ(CaptureThreadProc(nullptr), engine::kWorkerReceiveFailed);
}

TEST_F(EngineCapture, SwitchOnAgainEndsTheWaitingWorkerWhichNeverTouchesTheNewSocket)
{
    Worker first(StartCapture(kLoopback));
    const SOCKET firstSocket = captureSocket.load();
    // Once the worker has taken a datagram it is in its loop (a worker that starts after a
    // switch-off ends at once).
    SendTo(PortOf(firstSocket));
    EXPECT_TRUE(WaitUntil([&] { return QueuedBytes(firstSocket) == 0; }));
    ::Sleep(20);
    accelerating = 0;
    EXPECT_EQ(first.ExitCode(200), STILL_ACTIVE); // waiting, no traffic

    accelerating = 1;
    Worker second(StartCapture(kLoopback));
    const SOCKET secondSocket = captureSocket.load();
    ASSERT_NE(secondSocket, INVALID_SOCKET);
    EXPECT_NE(secondSocket, firstSocket);
    // The first worker ends without a datagram and closes its own socket.
    EXPECT_EQ(first.ExitCode(), static_cast<DWORD>(engine::kWorkerStopped));
    EXPECT_EQ(sockets.StillOpen(), 1);
    EXPECT_EQ(captureSocket.load(), secondSocket);

    // The new socket belongs to the second worker alone, which keeps receiving.
    const unsigned short port = PortOf(secondSocket);
    SendTo(port, 100, 20);
    EXPECT_TRUE(WaitUntil([&] { return QueuedBytes(secondSocket) == 0; }));
    EXPECT_EQ(second.ExitCode(0), STILL_ACTIVE);

    // Switched off, then a switch-on that fails: the waiting worker ends all the same.
    accelerating = 0;
    RefusedSockets refused;
    ScopedHook refusing(&SetCaptureSocketSource, &refused);
    StartCapture(kLoopback);
    EXPECT_EQ(second.ExitCode(), static_cast<DWORD>(engine::kWorkerStopped));
    EXPECT_EQ(sockets.StillOpen(), 0);
    EXPECT_EQ(sockets.DoubleCloses(), 0);
}

// GetIpAddrTable stand-ins: this many addresses 10.0.x.y, in that order.
DWORD fakeAddressCount = 0;
DWORD WINAPI FakeAddresses(PMIB_IPADDRTABLE table, PULONG size, BOOL)
{
    const ULONG needed = static_cast<ULONG>(offsetof(MIB_IPADDRTABLE, table) + fakeAddressCount * sizeof(MIB_IPADDRROW));
    if (!size)
        return ERROR_INVALID_PARAMETER;
    if (!table || *size < needed) {
        *size = needed;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    table->dwNumEntries = fakeAddressCount;
    for (DWORD i = 0; i < fakeAddressCount; ++i) {
        table->table[i] = MIB_IPADDRROW{};
        table->table[i].dwAddr = htonl(0x0A000000u | (i + 1));
    }
    return NO_ERROR;
}
DWORD WINAPI FailingAddresses(PMIB_IPADDRTABLE table, PULONG, BOOL)
{
    if (table)
        std::memset(table, 0xAB, 64); // leaves garbage where a count would be
    return ERROR_NOT_SUPPORTED;
}
DWORD WINAPI EndlesslyGrowingAddresses(PMIB_IPADDRTABLE, PULONG size, BOOL)
{
    *size = *size * 2 + 1;
    return ERROR_INSUFFICIENT_BUFFER;
}

TEST(EngineAddressTable, ListsThisMachinesAddressesWithTheirInterfaces)
{
    LocalAddress table[kLocalAddressCapacity];
    std::memset(table, 'z', sizeof table);
    const int count = BuildLocalAddressTable(table, kLocalAddressCapacity);
    ASSERT_GE(count, 1); // Wine reports lo and eth0
    bool loopback = false;
    for (int i = 0; i < count; ++i) {
        EXPECT_NE(table[i].interfaceIndex, 0u);
        loopback = loopback || table[i].address == kLoopback;
    }
    EXPECT_TRUE(loopback);
    for (int i = count; i < kLocalAddressCapacity; ++i)
        EXPECT_EQ(table[i].address | table[i].interfaceIndex, 0u);
}

TEST(EngineAddressTable, MoreAddressesThanFitGiveTheFirstHundredInTheSystemsOrder)
{
    for (DWORD total : {1u, 100u, 116u, 117u, 300u}) {
        fakeAddressCount = total;
        ScopedHook fake(&SetIpAddrTableQuery, &FakeAddresses);
        LocalAddress table[kLocalAddressCapacity];
        const int count = BuildLocalAddressTable(table, kLocalAddressCapacity);
        ASSERT_EQ(count, static_cast<int>(total < 100 ? total : 100)) << total;
        EXPECT_EQ(table[0].address, htonl(0x0A000001u));
        EXPECT_EQ(table[count - 1].address, htonl(count == 100 ? 0x0A000064u : 0x0A000001u));
    }
}

TEST(EngineAddressTable, AFailingQueryGivesAnEmptyTableAndTheCaptureFailsQuietly)
{
    for (IpAddrTableQuery query : {&FailingAddresses, &EndlesslyGrowingAddresses}) {
        ScopedHook failing(&SetIpAddrTableQuery, query);
        LocalAddress table[kLocalAddressCapacity];
        std::memset(table, 'z', sizeof table);
        EXPECT_EQ(BuildLocalAddressTable(table, kLocalAddressCapacity), 0);
        for (const LocalAddress& entry : table)
            EXPECT_EQ(entry.address | entry.interfaceIndex, 0u);
    }
    EXPECT_EQ(BuildLocalAddressTable(nullptr, 100), 0);
}

} // namespace
