#include "netstatus/StatusTexts.h"

namespace netstatus {

const char kConnectedStatus[] = " Connected";
const char kNotConnectedStatus[] = "N/A";

CString CounterText(std::uint32_t counter)
{
    CString text;
    text.Format(" %lu ", static_cast<unsigned long>(counter));
    return text;
}

CString ConnectionTypeText(std::uint32_t flags)
{
    CString text;
    if (flags & kConnectionLan)
        text += " LAN ";
    if (flags & kConnectionModem)
        text += " Modem ";
    if (flags & kConnectionOffline)
        text += " Offline ";
    if (flags & kConnectionProxy)
        text += " Proxy ";
    return text;
}

void ApplyConnectionState(bool connected, std::uint32_t flags, CString& typeText, CString& statusText)
{
    if (!connected) {
        statusText = kNotConnectedStatus;
        return;
    }
    typeText = ConnectionTypeText(flags);
    statusText = kConnectedStatus;
}

} // namespace netstatus
