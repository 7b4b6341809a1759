// The worker's loop on a scripted channel: the orders of events that real sockets rarely give.
#include "engine/core/CaptureLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace {

using engine::Received;
using engine::RunCaptureLoop;

// Plays back a script of receive results; records what the loop asked of it.
struct ScriptedChannel {
    std::deque<Received> script;
    bool waitSucceeds = true;
    std::function<void()> onReceive; // runs after each receive, e.g. to switch off
    std::function<void()> onWait;
    int receives = 0;
    int waits = 0;

    Received Receive()
    {
        ++receives;
        const Received result = script.empty() ? Received::Failed : script.front();
        if (!script.empty())
            script.pop_front();
        if (onReceive)
            onReceive();
        return result;
    }
    bool Wait()
    {
        ++waits;
        if (onWait)
            onWait();
        return waitSucceeds;
    }
};

TEST(EngineCaptureLoop, DiscardsDatagramsUntilSwitchedOffTestingBeforeEveryReceive)
{
    std::atomic<int> accelerating{1};
    std::atomic<bool> retired{false};
    ScriptedChannel channel;
    channel.script = {Received::Datagram, Received::Datagram, Received::Datagram, Received::Datagram};
    channel.onReceive = [&] {
        if (channel.receives == 3)
            accelerating = 0; // switched off while the third receive waited
    };
    EXPECT_EQ(RunCaptureLoop(channel, accelerating, retired), engine::kWorkerStopped);
    EXPECT_EQ(channel.receives, 3); // the datagram that ended the wait is the last one taken

    // Already off: not a single receive.
    ScriptedChannel idle;
    EXPECT_EQ(RunCaptureLoop(idle, accelerating, retired), engine::kWorkerStopped);
    EXPECT_EQ(idle.receives, 0);
}

TEST(EngineCaptureLoop, WaitsWhenNothingIsQueuedAndEndsWhenRetired)
{
    std::atomic<int> accelerating{1};
    std::atomic<bool> retired{false};
    ScriptedChannel channel;
    channel.script = {Received::Nothing, Received::Datagram, Received::Nothing, Received::Nothing};
    channel.onWait = [&] {
        if (channel.waits == 2)
            retired = true; // a newer capture replaced this one while it waited
    };
    EXPECT_EQ(RunCaptureLoop(channel, accelerating, retired), engine::kWorkerStopped);
    EXPECT_EQ(channel.receives, 3);
    EXPECT_EQ(channel.waits, 2);
    EXPECT_EQ(accelerating.load(), 1); // the worker never changes the flag
}

TEST(EngineCaptureLoop, SwitchedOffWhileWaitingEndsOnlyWithTheNextDatagram)
{
    std::atomic<int> accelerating{1};
    std::atomic<bool> retired{false};
    ScriptedChannel channel;
    // Switched off during the first wait, which then wakes without a datagram (as an event can).
    channel.script = {Received::Nothing, Received::Nothing, Received::Nothing, Received::Datagram,
                      Received::Datagram};
    channel.onWait = [&] { accelerating = 0; };
    EXPECT_EQ(RunCaptureLoop(channel, accelerating, retired), engine::kWorkerStopped);
    EXPECT_EQ(channel.receives, 4);
    EXPECT_EQ(channel.waits, 3);
}

TEST(EngineCaptureLoop, AFailedReceiveOrWaitEndsWithExitCodeOne)
{
    std::atomic<int> accelerating{1};
    std::atomic<bool> retired{false};
    ScriptedChannel failing;
    failing.script = {Received::Datagram, Received::Failed, Received::Datagram};
    EXPECT_EQ(RunCaptureLoop(failing, accelerating, retired), engine::kWorkerReceiveFailed);
    EXPECT_EQ(failing.receives, 2);

    ScriptedChannel waitFails;
    waitFails.script = {Received::Nothing, Received::Datagram};
    waitFails.waitSucceeds = false;
    EXPECT_EQ(RunCaptureLoop(waitFails, accelerating, retired), engine::kWorkerReceiveFailed);
    EXPECT_EQ(waitFails.receives, 1);
    EXPECT_EQ(accelerating.load(), 1);
}

} // namespace
