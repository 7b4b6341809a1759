#pragma once
// CaptureEngine: the capture's whole life. The toggle is the user's wish; while it is on, the engine
// keeps a capture running on the address where the traffic is, waits when there is none, moves when
// the network changes, and stops at once when the toggle goes off. The window holds one engine,
// routes the messages below to it and shows its state.

#include "engine/Capture.h"

#include <optional>

enum class CaptureState {
    Stopped,     // switched off
    Activated,   // capturing on the chosen address
    Waiting,     // switched on, with no address to capture on: the capture starts when one appears
    NeedsRights, // the system refused the raw socket (WSAEACCES): administrator rights are missing
    Failed,      // the sockets library, the socket, its bind or its worker failed while the address stayed
};

class CaptureEngine {
public:
    CaptureEngine() = default;
    // Ends the capture and stops listening for the network's changes.
    ~CaptureEngine();
    CaptureEngine(const CaptureEngine&) = delete;
    CaptureEngine& operator=(const CaptureEngine&) = delete;

    // Where the engine is told what happens on other threads, as messages posted to `window`:
    // `failureMessage` when a capture dies (route it to OnCaptureFailed with its WPARAM),
    // `networkMessage` when the system reports a change of addresses or routes (route it to
    // CheckNetwork). Starts listening for those changes.
    void Attach(HWND window, UINT failureMessage, UINT networkMessage);

    // The toggle goes on: starts the sockets library (once per process), then a capture on the chosen
    // address, or waits for one. Nothing is done when it is on already.
    CaptureState SwitchOn();
    // The toggle goes off, or the program ends: the current capture's socket is closed and its worker
    // has ended when this returns; nothing is reported about it.
    void Stop();
    // The addresses or routes may have changed (the system's notice, a resume from sleep): while the
    // toggle is on, the capture starts, moves to the address now chosen, or waits.
    CaptureState CheckNetwork();
    // The window's one-second tick: the same check where the system gives no notice of changes.
    CaptureState OnStatusTick();
    // A worker's report. A capture that died while its address is still the chosen one is Failed
    // (the toggle goes off); one whose address went away moves or waits. A report about a capture
    // that is no longer the current one is ignored.
    CaptureState OnCaptureFailed(WPARAM capture);

    CaptureState State() const { return state_; }
    // On: Activated or Waiting.
    bool SwitchedOn() const { return state_ == CaptureState::Activated || state_ == CaptureState::Waiting; }
    // The address of the running capture (network byte order), 0 when none runs.
    std::uint32_t BoundAddress() const { return bound_; }
    // True where changes are looked for at the tick because the system gives no notice of them.
    bool PollsAtTick() const { return polling_; }

private:
    std::optional<std::uint32_t> ChooseAddress();
    CaptureState StartOn(std::optional<std::uint32_t> address);
    void EndCapture();

    HWND window_ = nullptr;
    UINT failureMessage_ = 0;
    UINT networkMessage_ = 0;
    bool polling_ = true;
    CaptureState state_ = CaptureState::Stopped;
    std::uint32_t bound_ = 0;
    WPARAM capture_ = 0;         // the number of the current capture, in its worker's report
    UniqueKernelHandle worker_;  // the current capture's worker thread, waited for when it ends
    LocalAddress addresses_[kLocalAddressCapacity] = {};
};

// Starts the sockets library for the process, once: true when it is ready. The program's own
// start-up asks Windows Sockets 1.1 and pairs it with WSACleanup at exit. Replaced for tests through
// SetSocketsStartup, which returns the previous one (null brings back the program's own).
using SocketsStartup = bool (*)();
SocketsStartup SetSocketsStartup(SocketsStartup startup);

// Replaces GetBestInterface, which finds the interface of the default route, and returns the
// previous query; null brings the system's back.
using BestInterfaceQuery = decltype(&::GetBestInterface);
BestInterfaceQuery SetBestInterfaceQuery(BestInterfaceQuery query);
