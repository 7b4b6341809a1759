#include "controls/SystemTray.h"

#include <cstring>
#include <utility>

#include "framework/Dpi.h"
#include "framework/SystemLibrary.h"
#include "framework/WinApp.h"

namespace {

NotifyIconCall notifyIcon = nullptr;
MessageFilterCall messageFilter = nullptr;

// Lets `message` through to `window` from processes of lower integrity: a copy that runs as
// administrator hears the shell only so (Windows 7 and later; no such barrier before).
void AllowMessage(HWND window, UINT message)
{
    static const auto system = system_library::user.Entry<MessageFilterCall>("ChangeWindowMessageFilterEx");
    const MessageFilterCall allow = messageFilter ? messageFilter : system;
    if (allow && window && message)
        allow(window, message, 1 /* MSGFLT_ALLOW */, nullptr);
}

NotifyIconWideCall notifyIconWide = nullptr;

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    return notifyIcon ? notifyIcon(message, data) : ::Shell_NotifyIconA(message, data);
}

// The wide record up to and including guidItem, as the ANSI one.
constexpr DWORD kWideIconDataSize = static_cast<DWORD>(offsetof(NOTIFYICONDATAW, guidItem) + sizeof(GUID));
#ifdef _WIN64
static_assert(kWideIconDataSize == 968, "the 64-bit NOTIFYICONDATAW up to guidItem is 968 bytes");
#else
static_assert(kWideIconDataSize == 952, "the 32-bit NOTIFYICONDATAW up to guidItem is 952 bytes");
#endif

} // namespace

// Process-wide values, made at program start after the application object, the services table
// and the settings (which come first by their init_priority).
const UINT CSystemTray::taskbarCreatedMessage = ::RegisterWindowMessageA("TaskbarCreated");
int CSystemTray::maxTipLength = 128;

MessageFilterCall SetMessageFilterCall(MessageFilterCall call)
{
    return std::exchange(messageFilter, call);
}

NotifyIconCall SetNotifyIconCall(NotifyIconCall call)
{
    NotifyIconCall previous = notifyIcon;
    notifyIcon = call;
    return previous;
}

void CopyTrayText(char* buffer, std::size_t size, const char* source)
{
    if (!buffer || size == 0)
        return;
    std::size_t length = 0;
    if (source) {
        while (source[length] && length + 1 < size) {
            if (::IsDBCSLeadByte(static_cast<BYTE>(source[length]))) {
                // Both bytes or neither.
                if (!source[length + 1] || length + 2 >= size)
                    break;
                length += 2;
            } else {
                ++length;
            }
        }
        std::memcpy(buffer, source, length);
    }
    buffer[length] = '\0';
}

NotifyIconWideCall SetNotifyIconWideCall(NotifyIconWideCall call)
{
    NotifyIconWideCall previous = notifyIconWide;
    notifyIconWide = call;
    return previous;
}

const MessageMap CSystemTray::messageMap{&CWnd::messageMap, {
    OnMessage<WM_SETTINGCHANGE>(&CSystemTray::OnSettingChange),
    OnRegisteredMessage(&CSystemTray::taskbarCreatedMessage, &CSystemTray::OnShellRestart),
    OnMessage<dpi::kChanged>(&CSystemTray::OnDpiChanged),
}};

CSystemTray::CSystemTray()
{
    std::memset(&iconData, 0, sizeof iconData);
}

CSystemTray::~CSystemTray()
{
    RemoveFromTray();
    DestroyWindow();
}

BOOL CSystemTray::CreateTrayIcon(CWnd* parent, UINT callbackMessage, LPCSTR tip, HICON icon, UINT id, BOOL hide,
                                 UINT resource)
{
    // Every shell the program runs on (Windows XP and later) has the notification area.
    enabled = TRUE;
    maxTipLength = 128;

    // Our own invisible top-level window: the shell's broadcasts reach it.
    CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);

    iconData.cbSize = kIconDataSize;
    iconData.hWnd = parent && parent->m_hWnd ? parent->m_hWnd : m_hWnd;
    iconData.uID = id;
    iconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    iconData.uCallbackMessage = callbackMessage;
    iconData.hIcon = icon;
    iconResource = resource;
    AllowMessage(m_hWnd, taskbarCreatedMessage);
    AllowMessage(iconData.hWnd, callbackMessage);
    CopyTrayText(iconData.szTip, static_cast<std::size_t>(maxTipLength), tip);
    UniqueIcon previous;
    LoadIconForScale(previous);

    hidden = hide;
    addFlags = iconData.uFlags;
    if (hidden)
        return TRUE;

    // A refused add leaves an icon to show: it is added when the shell next tells of a change.
    const BOOL added = NotifyIcon(NIM_ADD, &iconData);
    removed = !added;
    return added;
}

BOOL CSystemTray::RemoveFromTray()
{
    if (!enabled)
        return TRUE;
    // The program's own choice: the icon stays away, also when the shell restarts.
    hidden = TRUE;
    if (removed)
        return TRUE;
    iconData.uFlags = 0;
    if (NotifyIcon(NIM_DELETE, &iconData))
        removed = TRUE;
    return removed == TRUE;
}

BOOL CSystemTray::SetTooltipText(const wchar_t* tip)
{
    wchar_t text[sizeof wideTip / sizeof wideTip[0]] = {};
    std::size_t length = 0;
    while (tip && tip[length] && length + 1 < sizeof text / sizeof text[0])
        ++length;
    // Never half of a character that takes two UTF-16 units.
    if (length > 0 && tip[length - 1] >= 0xD800 && tip[length - 1] <= 0xDBFF)
        --length;
    if (length)
        std::memcpy(text, tip, length * sizeof text[0]);
    if (std::memcmp(text, wideTip, sizeof text) == 0)
        return enabled && !hidden && !removed;
    std::memcpy(wideTip, text, sizeof text);
    return SendWideTip();
}

BOOL CSystemTray::SendWideTip()
{
    if (!enabled || hidden || removed || !wideTip[0])
        return FALSE;
    NOTIFYICONDATAW data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = kWideIconDataSize;
    data.hWnd = iconData.hWnd;
    data.uID = iconData.uID;
    data.uFlags = NIF_TIP;
    std::memcpy(data.szTip, wideTip, sizeof data.szTip);
    return notifyIconWide ? notifyIconWide(NIM_MODIFY, &data) : ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (iconData.uCallbackMessage != 0 && message == iconData.uCallbackMessage)
        return HandleTrayMessage(wParam, lParam);
    // The end of the session reaches top-level windows, which the parent is not while it sits in
    // the tray: handed on, it hears it either way (a second hearing changes nothing).
    if ((message == WM_QUERYENDSESSION || message == WM_ENDSESSION) && iconData.hWnd && iconData.hWnd != m_hWnd)
        return ::SendMessageA(iconData.hWnd, message, wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CSystemTray::HandleTrayMessage(WPARAM wParam, LPARAM lParam)
{
    if (wParam != iconData.uID)
        return 0;
    CWnd* target = AfxGetMainWnd();
    if (!target || !target->m_hWnd)
        return 0;

    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP: {
        CMenu menu;
        if (!menu.LoadMenu(iconData.uID))
            return 0;
        CMenu popup = menu.GetSubMenu(0);
        if (!popup.m_hMenu)
            return 0;
        popup.SetDefaultItem(defaultItem, FALSE);
        AdjustTrayMenu(&popup);
        POINT cursor{0, 0};
        ::GetCursorPos(&cursor);
        // The menu closes when the user clicks elsewhere only if its owner is in the foreground;
        // the posted message lets the second opening of the menu work as well.
        target->SetForegroundWindow();
        popup.TrackPopupMenu(0, cursor.x, cursor.y, target->m_hWnd);
        target->PostMessage(WM_NULL, 0, 0);
        break; // the loaded menu is destroyed with `menu`
    }
    case WM_LBUTTONDBLCLK:
        target->SetForegroundWindow();
        target->PostMessage(WM_COMMAND, defaultItem, 0);
        break;
    default:
        break;
    }
    return 1;
}

void CSystemTray::AdjustTrayMenu(CMenu*) {}

void CSystemTray::OnSettingChange(UINT flags, LPCSTR)
{
    Default();
    if (flags == SPI_SETWORKAREA)
        RetryPendingAdd();
}

bool CSystemTray::LoadIconForScale(UniqueIcon& previous)
{
    // The own window sits on the primary monitor, where the notification area is.
    if (!iconResource || !scaledIcon.Load(iconResource, dpi::ForWindow(m_hWnd), &previous))
        return false;
    iconData.hIcon = scaledIcon.Get();
    return true;
}

BOOL CSystemTray::RefreshIconScale()
{
    UniqueIcon previous; // kept until the shell has the new image
    if (!LoadIconForScale(previous))
        return FALSE;
    if (enabled && !hidden && !removed) {
        iconData.uFlags = NIF_ICON;
        NotifyIcon(NIM_MODIFY, &iconData);
    }
    return TRUE;
}

void CSystemTray::OnDpiChanged(UINT, const RECT&)
{
    RefreshIconScale();
}

LRESULT CSystemTray::OnShellRestart(WPARAM, LPARAM)
{
    // The new shell has none of the old one's icons.
    removed = TRUE;
    RetryPendingAdd();
    return 0;
}

void CSystemTray::RetryPendingAdd()
{
    if (hidden)
        return;
    // The shell may come back at another scale.
    UniqueIcon previous;
    LoadIconForScale(previous);
    // The shell refuses to add an icon twice: the one it has is brought up to date instead, and
    // added only when it turns out to be gone.
    iconData.uFlags = addFlags;
    BOOL shown = !removed && NotifyIcon(NIM_MODIFY, &iconData);
    if (!shown)
        shown = NotifyIcon(NIM_ADD, &iconData);
    removed = !shown;
    SendWideTip(); // the icon was added with the record's own tooltip
}
