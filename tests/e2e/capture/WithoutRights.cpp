// Linked into a build of the program that runs as without administrator rights: its capture
// sockets are refused, and its token does not count as elevated (under Wine every token does).
#include "app/StartupTask.h"
#include "engine/Capture.h"

namespace {
struct RefusedSockets final : CaptureSocketSource {
    SOCKET Open() override
    {
        ::WSASetLastError(WSAEACCES);
        return INVALID_SOCKET;
    }
    void Close(SOCKET) override {}
} refused;
[[maybe_unused]] const bool installed = SetCaptureSocketSource(&refused) != nullptr &&
                                        startup_task::SetElevationQuery([] { return false; }) != nullptr;
} // namespace
