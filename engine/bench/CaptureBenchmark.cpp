// Datagrams per second through the capture worker, against a bare recvfrom loop on the same kind of
// socket, in the same run. Prints its figures; it is not a test.
//
// Both receivers are timed on a queue that is already full, so that the receive path is measured and
// not the sender: each round queues a batch of small datagrams on a loopback UDP socket (the stand-in
// for the raw socket), then one datagram longer than the 1600-byte buffer, whose receive fails and
// ends either loop (the worker takes such a datagram as one discarded, so the stand-in turns that
// failure into a reset for it). The timed part of each is the loop and the closing of its socket.
// The rounds of the two alternate, so that a drift of the machine's speed touches both alike.
#include "engine/Capture.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

std::atomic<long> allocations{0};

constexpr int kBatch = 3000;     // datagrams queued per round; they fit a 4 MB receive buffer
constexpr int kRounds = 40;      // rounds per receiver
constexpr int kDatagramSize = 64;
constexpr int kEndMarkerSize = 2000;

SOCKET OpenBigBufferSocket()
{
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    int size = 4 << 20;
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    return s;
}

class LoopbackSockets final : public CaptureSocketSource {
public:
    SOCKET Open() override { return OpenBigBufferSocket(); }
    void Close(SOCKET s) override { ::closesocket(s); }
    int Receive(SOCKET s, char* buffer, int size) override
    {
        const int received = CaptureSocketSource::Receive(s, buffer, size);
        if (received == SOCKET_ERROR && ::WSAGetLastError() == WSAEMSGSIZE)
            ::WSASetLastError(WSAECONNRESET);
        return received;
    }
};

unsigned short PortOf(SOCKET s)
{
    sockaddr_in address = {};
    int length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

void Fill(SOCKET sender, unsigned short port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    address.sin_port = htons(port);
    static char datagram[kEndMarkerSize] = {};
    for (int i = 0; i < kBatch; ++i)
        ::sendto(sender, datagram, kDatagramSize, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::sendto(sender, datagram, kEndMarkerSize, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Timed {
    LARGE_INTEGER start, end;
    long allocations;
};

// The bare loop: what the worker would be with nothing around its receive call.
struct BareJob {
    SOCKET socket;
    Timed timed;
    int received;
};
DWORD WINAPI BareLoop(LPVOID parameter)
{
    auto* job = static_cast<BareJob*>(parameter);
    const long before = allocations.load();
    ::QueryPerformanceCounter(&job->timed.start);
    char buffer[1600];
    sockaddr_in sender;
    for (;;) {
        int senderLength = sizeof sender;
        if (::recvfrom(job->socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender), &senderLength) ==
            SOCKET_ERROR)
            break;
        ++job->received;
    }
    ::closesocket(job->socket);
    ::QueryPerformanceCounter(&job->timed.end);
    job->timed.allocations = allocations.load() - before;
    return 0;
}

struct WorkerJob {
    CaptureWorker* worker;
    Timed timed;
    UINT exitCode;
};
DWORD WINAPI WorkerLoop(LPVOID parameter)
{
    auto* job = static_cast<WorkerJob*>(parameter);
    const long before = allocations.load();
    ::QueryPerformanceCounter(&job->timed.start);
    job->exitCode = CaptureThreadProc(job->worker);
    ::QueryPerformanceCounter(&job->timed.end);
    job->timed.allocations = allocations.load() - before;
    return 0;
}

bool Join(HANDLE thread)
{
    const bool ended = ::WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0;
    ::CloseHandle(thread);
    return ended;
}

} // namespace

// Counts every allocation of the process; the receivers should make none per datagram.
void* operator new(std::size_t size)
{
    allocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main()
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(1, 1), &data);
    LoopbackSockets loopback;
    SetCaptureSocketSource(&loopback);
    const SOCKET sender = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);

    double bareSeconds = 0, workerSeconds = 0;
    long bareDatagrams = 0, workerDatagrams = 0, bareAllocations = 0, workerAllocations = 0;
    std::vector<double> bareRates, workerRates, ratios;

    // The bare loop on a socket of its own; the time of one round, or a negative one on failure.
    auto runBare = [&]() -> double {
        BareJob bare = {OpenBigBufferSocket(), {}, 0};
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        ::bind(bare.socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        Fill(sender, PortOf(bare.socket));
        if (!Join(::CreateThread(nullptr, 0, &BareLoop, &bare, 0, nullptr)) || bare.received != kBatch) {
            std::printf("bare loop: %d of %d datagrams; the receive buffer is too small\n", bare.received, kBatch);
            return -1;
        }
        bareAllocations += bare.timed.allocations;
        return Seconds(bare.timed.start, bare.timed.end);
    };
    // The worker, exactly as a switch-on starts it.
    auto runWorker = [&]() -> double {
        accelerating = 1;
        WorkerJob worker = {StartCapture(::inet_addr("127.0.0.1")).worker.release(), {}, 0};
        Fill(sender, PortOf(captureSocket.load()));
        if (!Join(::CreateThread(nullptr, 0, &WorkerLoop, &worker, 0, nullptr)) ||
            worker.exitCode != engine::kWorkerReceiveFailed) {
            std::printf("the worker did not end on the long datagram\n");
            return -1;
        }
        workerAllocations += worker.timed.allocations;
        return Seconds(worker.timed.start, worker.timed.end);
    };

    for (int round = 0; round < kRounds; ++round) {
        // Alternating which goes first, so that neither always follows the other.
        double b = 0, w = 0;
        if (round % 2 == 0) {
            b = runBare();
            w = runWorker();
        } else {
            w = runWorker();
            b = runBare();
        }
        if (b <= 0 || w <= 0)
            return 1;
        bareSeconds += b;
        workerSeconds += w;
        bareDatagrams += kBatch;
        workerDatagrams += kBatch;
        bareRates.push_back(kBatch / b);
        workerRates.push_back(kBatch / w);
        ratios.push_back(b / w);
    }
    ::closesocket(sender);

    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double bareRate = bareDatagrams / bareSeconds;
    const double workerRate = workerDatagrams / workerSeconds;
    std::printf("capture benchmark: %d rounds of %d datagrams of %d bytes on loopback UDP\n", kRounds, kBatch,
                kDatagramSize);
    std::printf("bare recvfrom loop: %10.0f datagrams/s (median round %10.0f), %ld allocations\n", bareRate,
                median(bareRates), bareAllocations);
    std::printf("capture worker:     %10.0f datagrams/s (median round %10.0f), %ld allocations\n", workerRate,
                median(workerRates), workerAllocations);
    std::printf("ratio worker/bare:  %.3f overall, %.3f median of the rounds (goal: at least 0.95)\n",
                workerRate / bareRate, median(ratios));
    std::printf("allocations per datagram in the worker: %.6f\n",
                static_cast<double>(workerAllocations) / static_cast<double>(workerDatagrams));
    return 0;
}
