#include "engine/Capture.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "framework/SystemLibrary.h"

std::atomic<int> accelerating{0};
std::atomic<SOCKET> captureSocket{INVALID_SOCKET};

// The layouts filled and read here, the same in both builds.
static_assert(sizeof(sockaddr_in) == 16, "an IPv4 socket address is 16 bytes");
static_assert(sizeof(MIB_IPADDRROW) == 24, "MIB_IPADDRROW is 24 bytes");
static_assert(offsetof(MIB_IPADDRTABLE, table) == 4, "the address rows follow a 4-byte count");

namespace {

// SIO_RCVALL (mstcpip.h): deliver every IP datagram that passes the bound interface.
constexpr DWORD kReceiveAll = 0x98000001;
constexpr DWORD kReceiveAllOn = 1;
// The work buffer of the address query: this many bytes per address asked for.
constexpr ULONG kAddressQueryBytesPerEntry = 28;
// A query that asks for more than this is not believed.
constexpr ULONG kAddressQueryLimit = 1u << 20;

class RawSocketSource final : public CaptureSocketSource {
public:
    SOCKET Open() override
    {
        return ::WSASocketA(AF_INET, SOCK_RAW, IPPROTO_IP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    }
    void Close(SOCKET socket) override { ::closesocket(socket); }
};

// Process-wide: the raw source is declared before the switch so that it outlives it at exit.
RawSocketSource rawSockets;
std::atomic<CaptureSocketSource*> socketSource{&rawSockets};
// IP Helper's address query, taken from the library in the system folder when it is first asked.
// Window's thread only.
DWORD WINAPI SystemIpAddrTable(PMIB_IPADDRTABLE table, PULONG size, BOOL order)
{
    static const auto query = system_library::ipHelper.Entry<decltype(&::GetIpAddrTable)>("GetIpAddrTable");
    return query ? query(table, size, order) : ERROR_NOT_SUPPORTED;
}
std::atomic<IpAddrTableQuery> addressQuery{&SystemIpAddrTable};
// The current capture. Window's thread only. At process exit a worker still waiting keeps its
// capture alive through its own share; both end with the process.
engine::CaptureSwitch<CaptureChannel> captures;

// Binds socket to address and switches receive-all on. False when the socket is of no use (it must
// then be closed).
bool PrepareCaptureSocket(CaptureSocketSource& source, SOCKET socket, std::uint32_t address)
{
    if (source.Bind(socket, address) == SOCKET_ERROR &&
        ::WSAGetLastError() != WSAEINPROGRESS)
        return false;

    // Without receive-all the bound socket still gets what is addressed to it.
    DWORD on = kReceiveAllOn;
    DWORD out = 0;
    DWORD returned = 0;
    ::WSAIoctl(socket, kReceiveAll, &on, sizeof on, &out, sizeof out, &returned, nullptr, nullptr);
    return true;
}

} // namespace

int CaptureSocketSource::Receive(SOCKET socket, char* buffer, int size)
{
    // The sender's address is not used.
    sockaddr_in sender;
    int senderLength = sizeof sender;
    return ::recvfrom(socket, buffer, size, 0, reinterpret_cast<sockaddr*>(&sender), &senderLength);
}

int CaptureSocketSource::Bind(SOCKET socket, std::uint32_t address)
{
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = 0;
    local.sin_addr.s_addr = address;
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local);
}

CaptureSocketSource* SetCaptureSocketSource(CaptureSocketSource* source)
{
    return socketSource.exchange(source ? source : &rawSockets);
}

IpAddrTableQuery SetIpAddrTableQuery(IpAddrTableQuery query)
{
    return addressQuery.exchange(query ? query : &SystemIpAddrTable);
}

int BuildLocalAddressTable(LocalAddress* table, int capacity)
{
    if (!table || capacity <= 0)
        return 0;
    std::memset(table, 0, sizeof *table * static_cast<size_t>(capacity));

    // Rows as DWORDs keep the table aligned. When the buffer is too small the query says how much it
    // needs; the table can grow between two calls, so ask a few times.
    const IpAddrTableQuery query = addressQuery.load();
    ULONG size = static_cast<ULONG>(
        std::min<unsigned long long>(static_cast<unsigned long long>(capacity) * kAddressQueryBytesPerEntry,
                                     kAddressQueryLimit));
    std::vector<DWORD> buffer;
    DWORD result = ERROR_INSUFFICIENT_BUFFER;
    for (int attempt = 0; attempt < 3 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        size = std::max<ULONG>(size, sizeof(MIB_IPADDRTABLE));
        if (size > kAddressQueryLimit)
            return 0;
        buffer.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
        size = static_cast<ULONG>(buffer.size() * sizeof(DWORD));
        result = query(reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data()), &size, FALSE);
    }
    if (result != NO_ERROR)
        return 0;

    const auto* addresses = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
    const size_t rowsThatFit =
        (buffer.size() * sizeof(DWORD) - offsetof(MIB_IPADDRTABLE, table)) / sizeof(MIB_IPADDRROW);
    const size_t count = std::min({static_cast<size_t>(addresses->dwNumEntries), rowsThatFit,
                                   static_cast<size_t>(capacity)});
    for (size_t i = 0; i < count; ++i)
        table[i] = {addresses->table[i].dwAddr, addresses->table[i].dwIndex};
    return static_cast<int>(count);
}

CaptureChannel::CaptureChannel(CaptureSocketSource* source, SOCKET socket)
    : source_(source), socket_(socket)
{
    if (socket_ == INVALID_SOCKET)
        return;
    // Manual-reset events. FD_READ makes the socket non-blocking: the worker waits on the events
    // instead, so that a retirement can wake it without anyone else touching its socket.
    readEvent_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    wakeEvent_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!readEvent_ || !wakeEvent_ || ::WSAEventSelect(socket_, readEvent_.get(), FD_READ) == SOCKET_ERROR)
        Close();
}

CaptureChannel::CaptureChannel(CaptureChannel&& other) noexcept
    : source_(other.source_), socket_(other.socket_), readEvent_(std::move(other.readEvent_)),
      wakeEvent_(std::move(other.wakeEvent_))
{
    other.socket_ = INVALID_SOCKET;
}

engine::Received CaptureChannel::Receive(char* buffer, int size)
{
    if (source_->Receive(socket_, buffer, size) != SOCKET_ERROR)
        return engine::Received::Datagram;
    const int error = ::WSAGetLastError();
    if (error == WSAEWOULDBLOCK)
        return engine::Received::Nothing;
    // In receive-all mode the stack hands over packets longer than the buffer (large-send copies of
    // outgoing TCP, coalesced receives, jumbo frames): the call takes the cut datagram and fails.
    if (error == WSAEMSGSIZE)
        return engine::Received::Datagram;
    return engine::Received::Failed;
}

bool CaptureChannel::Wait()
{
    // The wake event first: a retired capture ends even while datagrams keep coming.
    const HANDLE events[2] = {wakeEvent_.get(), readEvent_.get()};
    const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0)
        return true;
    if (woken == WAIT_OBJECT_0 + 1) {
        // Reset before the next receive: a datagram that comes after that receive sets it again.
        ::ResetEvent(readEvent_.get());
        return true;
    }
    return false;
}

void CaptureChannel::Wake()
{
    if (wakeEvent_)
        ::SetEvent(wakeEvent_.get());
}

void CaptureChannel::Close()
{
    if (socket_ == INVALID_SOCKET)
        return;
    // Forget the handle before it is closed, while it cannot yet name a newer socket.
    SOCKET expected = socket_;
    captureSocket.compare_exchange_strong(expected, INVALID_SOCKET);
    const SOCKET socket = socket_;
    socket_ = INVALID_SOCKET;
    source_->Close(socket);
}

CaptureWorker::~CaptureWorker()
{
    // No thread ran this capture: nobody else can be using its socket.
    if (!ran_ && session_)
        session_->channel().Close();
}

unsigned CaptureWorker::Run()
{
    ran_ = true;
    // The receive buffer lives on the worker's stack; the datagrams are not looked at.
    struct Receiver {
        CaptureChannel& channel;
        char buffer[1600];
        engine::Received Receive() { return channel.Receive(buffer, sizeof buffer); }
        bool Wait() { return channel.Wait(); }
    } receiver{session_->channel(), {}};
    CaptureSession& session = *session_;
    // Posted, never sent: the worker does not wait for the window's thread.
    return session.Run(receiver, accelerating, [this] {
        if (report_.window)
            ::PostMessageA(report_.window, report_.message, report_.capture, 0);
    });
}

CaptureStart StartCapture(std::uint32_t address, CaptureFailureReport report)
{
    CaptureStart start;
    CaptureSocketSource* source = socketSource.load();
    SOCKET socket = source->Open();
    if (socket == INVALID_SOCKET) {
        if (::WSAGetLastError() == WSAEACCES)
            start.outcome = CaptureOutcome::NeedsRights;
    } else if (!PrepareCaptureSocket(*source, socket, address)) {
        source->Close(socket);
        socket = INVALID_SOCKET;
    }
    CaptureChannel channel(source, socket);
    captureSocket.store(channel.socket());
    if (channel.socket() == INVALID_SOCKET) {
        // No socket, or no events for a worker to wait on (the channel closed the socket). Nothing to capture on: the capture before ends all the same.
        captures.RetireCurrent();
        return start;
    }
    start.outcome = CaptureOutcome::Running;
    start.worker = std::make_unique<CaptureWorker>(captures.Replace(std::move(channel)), report);
    return start;
}

void RetireCapture()
{
    captures.RetireCurrent();
}

UINT CaptureThreadProc(LPVOID parameter)
{
    std::unique_ptr<CaptureWorker> worker(static_cast<CaptureWorker*>(parameter));
    if (!worker)
        return engine::kWorkerReceiveFailed;
    return worker->Run();
}
