// Linked into a build of the program as without administrator rights: refused sockets, an unelevated token.
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
