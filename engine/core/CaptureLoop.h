#pragma once
// The capture worker's loop and the hand-over between two captures. Portable: no <windows.h>.
//
// Each switch-on makes a new capture: one socket and one worker. The worker is the only thread that
// receives on that socket and the only one that closes it. When a newer capture replaces it (switch-off
// and switch-on while the old worker still waits for a datagram), the window's thread only marks the
// old capture retired and wakes its worker; the worker then closes its own socket and ends. So no
// worker ever touches another capture's socket, no socket is closed twice, and none stays open after
// it has been replaced, whether traffic arrives or not.

#include <atomic>
#include <memory>
#include <utility>

namespace engine {

// Thread exit codes of the worker.
constexpr unsigned kWorkerStopped = 0;      // acceleration switched off, or the capture replaced
constexpr unsigned kWorkerReceiveFailed = 1; // a receive (or the wait for one) failed

// What one receive call gave.
enum class Received {
    Datagram, // one datagram, discarded
    Nothing,  // none queued: wait for one
    Failed,   // the socket is unusable (closed, never opened, reset, its adapter gone, ...)
};

// The worker's loop over a channel: one receive call per datagram, nothing done with its content.
// Channel has `Received Receive()` and `bool Wait()`; Wait blocks until a datagram may be queued or
// the capture is retired, and returns false when waiting itself fails. Together they behave as one
// blocking receive that a retirement can end: a wake-up without a datagram leads to another receive,
// not to the loop test. The loop test (acceleration on, capture not retired) comes before every
// receive of a new datagram, so a switch-off ends the worker with the next datagram that arrives.
template <typename Channel>
unsigned RunCaptureLoop(Channel& channel, const std::atomic<int>& accelerating, const std::atomic<bool>& retired)
{
    while (accelerating.load() != 0 && !retired.load()) {
        Received received = channel.Receive();
        while (received == Received::Nothing) {
            if (!channel.Wait())
                return kWorkerReceiveFailed;
            if (retired.load())
                return kWorkerStopped;
            received = channel.Receive();
        }
        if (received == Received::Failed)
            return kWorkerReceiveFailed;
    }
    return kWorkerStopped;
}

// One capture: its channel (socket and wake-up) and whether a newer capture has replaced it. Shared by
// the window's thread, which retires it, and its worker, which receives on it and closes it.
// Channel has `void Wake()` (safe from any thread while the worker waits) and `void Close()`.
template <typename Channel>
class CaptureSession {
public:
    explicit CaptureSession(Channel channel) : channel_(std::move(channel)) {}
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // Window's thread: a newer capture replaces this one. The worker notices at its next loop test.
    void Retire()
    {
        retired_.store(true);
        channel_.Wake();
    }
    bool Retired() const { return retired_.load(); }

    // Worker thread: runs the loop through receiver (the channel itself, or a wrapper that holds the
    // worker's receive buffer), then closes the socket, on every way out. When the loop ended on a
    // failure while acceleration is still on and this capture is still the current one, it then
    // calls reportFailure(): a capture that dies is told, one switched off or replaced is not.
    template <typename Receiver, typename Report>
    unsigned Run(Receiver& receiver, const std::atomic<int>& accelerating, Report&& reportFailure)
    {
        const unsigned exitCode = RunCaptureLoop(receiver, accelerating, retired_);
        channel_.Close();
        if (exitCode == kWorkerReceiveFailed && accelerating.load() != 0 && !retired_.load())
            reportFailure();
        return exitCode;
    }
    template <typename Receiver>
    unsigned Run(Receiver& receiver, const std::atomic<int>& accelerating)
    {
        return Run(receiver, accelerating, [] {});
    }

    Channel& channel() { return channel_; }

private:
    Channel channel_;
    std::atomic<bool> retired_{false};
};

// The window thread's handle on the current capture. Switch-on hands it the new capture and it
// retires the one before, whose worker may still be waiting.
template <typename Channel>
class CaptureSwitch {
public:
    using Session = CaptureSession<Channel>;

    // Returns the new capture, shared with its worker.
    std::shared_ptr<Session> Replace(Channel channel)
    {
        auto next = std::make_shared<Session>(std::move(channel));
        RetireCurrent();
        current_ = next;
        return next;
    }

    // A switch-on that could not make a capture: the one before ends all the same, and none is current.
    void RetireCurrent()
    {
        if (current_)
            current_->Retire();
        current_.reset();
    }

    const std::shared_ptr<Session>& current() const { return current_; }

private:
    std::shared_ptr<Session> current_;
};

} // namespace engine
