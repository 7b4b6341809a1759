// Linked into a build of the program whose capture sockets are datagram sockets, which every user
// may open: its capture runs under Wine, which refuses raw sockets to everyone.
#include "engine/Capture.h"

namespace {
struct DatagramSockets final : CaptureSocketSource {
    SOCKET Open() override { return ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP); }
    void Close(SOCKET socket) override { ::closesocket(socket); }
} datagrams;
[[maybe_unused]] const bool installed = SetCaptureSocketSource(&datagrams) != nullptr;
} // namespace
