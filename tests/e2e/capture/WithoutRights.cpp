// Linked into a build of the program whose capture sockets are refused as without administrator rights.
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
[[maybe_unused]] const bool installed = SetCaptureSocketSource(&refused) != nullptr;
} // namespace
