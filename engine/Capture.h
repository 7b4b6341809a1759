#pragma once
// The acceleration engine's parts: the local address table and the raw receive-all capture with its
// worker. The program drives them through CaptureEngine (engine/CaptureEngine.h), which owns the
// capture's whole life.

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/core/BindAddress.h"
#include "engine/core/CaptureLoop.h"
#include "framework/Handles.h"

using engine::LocalAddress;

constexpr int kLocalAddressCapacity = 100;

// 1 while acceleration is on (capturing, or waiting for an address to capture on), 0 when it is
// off. Written by the window's thread; read by every worker before each receive.
extern std::atomic<int> accelerating;

// The socket of the current capture while it is open. INVALID_SOCKET when its creation or its bind
// failed, and once its worker has closed it: it never names a closed handle.
extern std::atomic<SOCKET> captureSocket;

// Fills table with up to capacity local IPv4 addresses and their interfaces, in the system's order,
// and returns how many. When the system cannot report its addresses the table is left zeroed and 0
// is returned.
int BuildLocalAddressTable(LocalAddress* table, int capacity);

// Where capture sockets come from, how a datagram is taken from one, and where they go back to.
// The program uses raw IPv4 sockets; tests put a loopback UDP socket in their place (Wine refuses
// raw sockets).
class CaptureSocketSource {
public:
    virtual ~CaptureSocketSource() = default;
    // A new socket, or INVALID_SOCKET with the reason in WSAGetLastError.
    virtual SOCKET Open() = 0;
    virtual void Close(SOCKET socket) = 0;
    // One datagram into buffer (recvfrom): its length, or SOCKET_ERROR with the reason in
    // WSAGetLastError.
    virtual int Receive(SOCKET socket, char* buffer, int size);
    // Binds socket to an IPv4 address (network byte order) and port 0 (bind): 0, or SOCKET_ERROR with
    // the reason in WSAGetLastError.
    virtual int Bind(SOCKET socket, std::uint32_t address);
};

// Replaces the source for captures started from now on and returns the previous one; null brings
// back the raw sockets. A source must outlive every capture it opened.
CaptureSocketSource* SetCaptureSocketSource(CaptureSocketSource* source);

// Replaces GetIpAddrTable for BuildLocalAddressTable and returns the previous query; null brings the
// system's back. For tests of a failing or oversized address table.
using IpAddrTableQuery = decltype(&::GetIpAddrTable);
IpAddrTableQuery SetIpAddrTableQuery(IpAddrTableQuery query);

// One capture's socket and the two events its worker waits on: a datagram queued, or the capture
// retired. Only the worker receives on the socket and closes it (or the last owner, when no worker
// ever ran).
class CaptureChannel {
public:
    CaptureChannel(CaptureSocketSource* source, SOCKET socket);
    ~CaptureChannel() { Close(); }
    CaptureChannel(CaptureChannel&& other) noexcept;
    CaptureChannel& operator=(CaptureChannel&&) = delete;
    CaptureChannel(const CaptureChannel&) = delete;

    SOCKET socket() const { return socket_; }

    // The worker's side. A datagram longer than the buffer counts as one datagram taken and
    // discarded (the stack drops what does not fit).
    engine::Received Receive(char* buffer, int size);
    bool Wait();
    void Close();
    // Any thread: ends a wait of the worker.
    void Wake();

private:
    CaptureSocketSource* source_;
    SOCKET socket_;
    UniqueKernelHandle readEvent_;
    UniqueKernelHandle wakeEvent_;
};

using CaptureSession = engine::CaptureSession<CaptureChannel>;

// Where a worker tells that its capture has died: `message` posted to `window` with `capture` as
// its WPARAM, so that a report that crossed a newer capture can be told from one about the current
// capture. No window: nobody is told.
struct CaptureFailureReport {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM capture = 0;
};

// The worker's share of one capture: the parameter of CaptureThreadProc, which takes it over. When no
// thread could be started for it, dropping it closes the capture's socket.
class CaptureWorker {
public:
    CaptureWorker(std::shared_ptr<CaptureSession> session, CaptureFailureReport report)
        : session_(std::move(session)), report_(report) {}
    ~CaptureWorker();
    CaptureWorker(const CaptureWorker&) = delete;
    CaptureWorker& operator=(const CaptureWorker&) = delete;

    CaptureSession& session() { return *session_; }
    unsigned Run();

private:
    std::shared_ptr<CaptureSession> session_;
    CaptureFailureReport report_;
    bool ran_ = false;
};

// What a switch-on came to.
enum class CaptureOutcome {
    Running,     // the socket is open and bound: its worker can start
    NeedsRights, // the system refused the raw socket (WSAEACCES): administrator rights are missing
    Failed,      // any other failure: the socket could not be made, or not bound
};

struct CaptureStart {
    CaptureOutcome outcome = CaptureOutcome::Failed;
    std::unique_ptr<CaptureWorker> worker; // the parameter for CaptureThreadProc; null unless running
};

// A new capture: opens the capture socket (stored in captureSocket), binds it to `address` (an IPv4
// address in network byte order), tolerates WSAEINPROGRESS from the bind, switches receive-all on
// (its failure is ignored), and makes it the current capture. The capture before it is retired
// whatever the outcome. A socket that cannot be bound is closed here. When the capture later dies
// while acceleration is on, its worker posts `report`. Window's thread only.
CaptureStart StartCapture(std::uint32_t address, CaptureFailureReport report = {});

// Retires the current capture, if any: its worker wakes, closes its socket and ends without a report.
// Window's thread only.
void RetireCapture();

// The worker: one datagram at a time, discarded, until acceleration is off or a newer capture has
// replaced this one; then it closes its socket and ends with 0. A failed receive ends it with 1, its
// socket closed too, and reports the failure when acceleration is still on and the capture still the
// current one. The parameter is a CaptureWorker from StartCapture (taken over and deleted); null ends
// at once with 1.
UINT CaptureThreadProc(LPVOID parameter);
