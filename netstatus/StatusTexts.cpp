#include "netstatus/StatusTexts.h"

namespace netstatus {

const char kConnectedStatus[] = " Connected";
const char kNotConnectedStatus[] = "N/A";

CString CounterText(std::uint64_t counter)
{
    // Written digit by digit: the C runtimes of older Windows do not all know a 64-bit format.
    char digits[24];
    char* first = digits + sizeof digits;
    *--first = '\0';
    *--first = ' ';
    do {
        *--first = static_cast<char>('0' + counter % 10);
        counter /= 10;
    } while (counter);
    *--first = ' ';
    return first;
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
