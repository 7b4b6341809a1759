#include "engine/CaptureEngine.h"

#include <atomic>

#include "framework/SystemLibrary.h"
#include "framework/Thread.h"

#ifdef _WIN64
static_assert(sizeof(OVERLAPPED) == 32, "the 64-bit OVERLAPPED is 32 bytes");
#else
static_assert(sizeof(OVERLAPPED) == 20, "the 32-bit OVERLAPPED is 20 bytes");
#endif

namespace {

// The route towards a public address is the default route. 8.8.8.8 reads the same in both byte
// orders. Only the system's route table is consulted: nothing is sent.
constexpr IPAddr kPublicAddress = 0x08080808;
// How long the end of a capture waits for its worker, which a retirement wakes at once.
constexpr DWORD kWorkerEndTimeout = 2000;

// The sockets library, started at the first switch-on and cleaned up when the process ends (static
// objects are destroyed after the window, whose engine has ended every capture).
class SocketsLibrary {
public:
    ~SocketsLibrary()
    {
        if (started_)
            ::WSACleanup();
    }
    bool Start()
    {
        if (!started_) {
            WSADATA data;
#ifdef _WIN64
            static_assert(sizeof data == 408, "the 64-bit WSADATA is 408 bytes");
#else
            static_assert(sizeof data == 400, "the 32-bit WSADATA is 400 bytes");
#endif
            started_ = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
        }
        return started_;
    }

private:
    bool started_ = false;
};

bool StartProcessSockets()
{
    static SocketsLibrary library;
    return library.Start();
}
std::atomic<SocketsStartup> socketsStartup{&StartProcessSockets};

DWORD WINAPI SystemBestInterface(IPAddr destination, PDWORD index)
{
    static const auto query = system_library::ipHelper.Entry<BestInterfaceQuery>("GetBestInterface");
    return query ? query(destination, index) : ERROR_NOT_SUPPORTED;
}
std::atomic<BestInterfaceQuery> bestInterface{&SystemBestInterface};

// The system's notices of a changed address table and route table, each an overlapped request whose
// event a wait of the system's thread pool turns into a message to the window. Process-wide and
// never freed: where the system cannot cancel a request (Windows XP), it may still complete into
// its OVERLAPPED after the window has gone; the two events live as long.
class NetworkWatch {
public:
    // False where no notice will come: the functions are missing, a request fails, or the system is
    // Wine, which (8.0) accepts both requests and never completes them.
    bool Start(HWND window, UINT message)
    {
        if (system_library::ntdll.Entry<FARPROC>("wine_get_version"))
            return false;
        const auto addresses = system_library::ipHelper.Entry<decltype(&::NotifyAddrChange)>("NotifyAddrChange");
        const auto routes = system_library::ipHelper.Entry<decltype(&::NotifyRouteChange)>("NotifyRouteChange");
        if (!addresses || !routes)
            return false;
        window_.store(window);
        message_.store(message);
        requests_[0].notify = addresses;
        requests_[1].notify = routes;
        for (Request& request : requests_) {
            if (!request.event)
                request.event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
            if (!request.event ||
                (!request.wait && !::RegisterWaitForSingleObject(&request.wait, request.event, &Signalled, &request,
                                                                 INFINITE, WT_EXECUTEDEFAULT)) ||
                !Issue(request)) {
                Stop();
                return false;
            }
        }
        return true;
    }

    // Asks again for the notices that have come: each request gives one.
    void Rearm()
    {
        for (Request& request : requests_)
            if (request.wait && !request.pending.load())
                Issue(request);
    }

    void Stop()
    {
        window_.store(nullptr);
        static const auto cancel = system_library::ipHelper.Entry<decltype(&::CancelIPChangeNotify)>("CancelIPChangeNotify");
        for (Request& request : requests_) {
            if (request.wait) {
                ::UnregisterWaitEx(request.wait, INVALID_HANDLE_VALUE); // no callback runs after this
                request.wait = nullptr;
            }
            if (request.pending.load() && cancel && cancel(&request.overlapped))
                request.pending.store(false);
        }
    }

private:
    struct Request {
        decltype(&::NotifyAddrChange) notify = nullptr;
        HANDLE event = nullptr;
        HANDLE wait = nullptr;
        OVERLAPPED overlapped = {};
        std::atomic<bool> pending{false};
        NetworkWatch* watch = nullptr;
    };

    bool Issue(Request& request)
    {
        if (request.pending.load())
            return true;
        request.overlapped = OVERLAPPED{};
        request.overlapped.hEvent = request.event;
        request.watch = this;
        HANDLE unused = nullptr;
        request.pending.store(true);
        if (request.notify(&unused, &request.overlapped) == ERROR_IO_PENDING)
            return true;
        request.pending.store(false);
        return false;
    }

    // On a thread of the system's pool.
    static void CALLBACK Signalled(PVOID parameter, BOOLEAN)
    {
        auto* request = static_cast<Request*>(parameter);
        request->pending.store(false);
        if (const HWND window = request->watch->window_.load())
            ::PostMessageA(window, request->watch->message_.load(), 0, 0);
    }

    Request requests_[2];
    std::atomic<HWND> window_{nullptr};
    std::atomic<UINT> message_{0};
};

NetworkWatch networkWatch;

} // namespace

SocketsStartup SetSocketsStartup(SocketsStartup startup)
{
    return socketsStartup.exchange(startup ? startup : &StartProcessSockets);
}

BestInterfaceQuery SetBestInterfaceQuery(BestInterfaceQuery query)
{
    return bestInterface.exchange(query ? query : &SystemBestInterface);
}

CaptureEngine::~CaptureEngine()
{
    Stop();
    if (window_)
        networkWatch.Stop();
}

void CaptureEngine::Attach(HWND window, UINT failureMessage, UINT networkMessage)
{
    window_ = window;
    failureMessage_ = failureMessage;
    networkMessage_ = networkMessage;
    polling_ = !networkWatch.Start(window, networkMessage);
}

CaptureState CaptureEngine::SwitchOn()
{
    if (SwitchedOn())
        return state_;
    // Without the library no socket can work: the toggle says so instead of trying.
    if (!socketsStartup.load()()) {
        state_ = CaptureState::Failed;
        return state_;
    }
    accelerating.store(1);
    state_ = CaptureState::Waiting;
    return StartOn(ChooseAddress());
}

void CaptureEngine::Stop()
{
    accelerating.store(0);
    EndCapture();
    state_ = CaptureState::Stopped;
}

CaptureState CaptureEngine::CheckNetwork()
{
    // Asked again first, so that a change during the check below brings another notice.
    networkWatch.Rearm();
    return SwitchedOn() ? StartOn(ChooseAddress()) : state_;
}

CaptureState CaptureEngine::OnStatusTick()
{
    return polling_ && SwitchedOn() ? StartOn(ChooseAddress()) : state_;
}

CaptureState CaptureEngine::OnCaptureFailed(WPARAM capture)
{
    if (capture != capture_ || state_ != CaptureState::Activated)
        return state_; // about a capture already ended or replaced
    const std::optional<std::uint32_t> address = ChooseAddress();
    if (address && *address == bound_) {
        // The address is still there: the capture itself failed, and trying again at once would
        // fail again. A click tries again.
        Stop();
        state_ = CaptureState::Failed;
        return state_;
    }
    return StartOn(address);
}

std::optional<std::uint32_t> CaptureEngine::ChooseAddress()
{
    const int count = BuildLocalAddressTable(addresses_, kLocalAddressCapacity);
    DWORD index = 0;
    std::optional<std::uint32_t> routed;
    if (bestInterface.load()(kPublicAddress, &index) == NO_ERROR)
        routed = index;
    const int chosen = engine::ChooseBindAddress(addresses_, count, routed);
    if (chosen < 0)
        return std::nullopt;
    return addresses_[chosen].address;
}

CaptureState CaptureEngine::StartOn(std::optional<std::uint32_t> address)
{
    if (state_ == CaptureState::Activated && address && *address == bound_)
        return state_; // already there
    // The capture before ends first, so that no two workers live at once.
    EndCapture();
    if (!address) {
        state_ = CaptureState::Waiting;
        return state_;
    }
    CaptureStart start = StartCapture(*address, {window_, failureMessage_, ++capture_});
    if (start.outcome == CaptureOutcome::Running) {
        // Suspended until its handle is kept: the thread object deletes itself when the thread ends.
        CWinThread* thread = AfxBeginThread(CaptureThreadProc, start.worker.get(), THREAD_PRIORITY_NORMAL, 0,
                                            CREATE_SUSPENDED);
        if (thread) {
            HANDLE handle = nullptr;
            if (::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread, ::GetCurrentProcess(), &handle,
                                  SYNCHRONIZE, FALSE, 0))
                worker_.reset(handle);
            start.worker.release(); // the thread deletes it when it ends
            thread->ResumeThread();
            bound_ = *address;
            state_ = CaptureState::Activated;
            return state_;
        }
        // No thread to receive: dropping the worker closes its socket.
        start.worker.reset();
        RetireCapture();
        start.outcome = CaptureOutcome::Failed;
    }
    accelerating.store(0);
    state_ = start.outcome == CaptureOutcome::NeedsRights ? CaptureState::NeedsRights : CaptureState::Failed;
    return state_;
}

void CaptureEngine::EndCapture()
{
    RetireCapture();
    if (worker_) {
        // Woken by the retirement, the worker closes its socket and ends; a worker that cannot be
        // waited for ends on its own, on a socket of its own.
        ::WaitForSingleObject(worker_.get(), kWorkerEndTimeout);
        worker_.reset();
    }
    bound_ = 0;
}
