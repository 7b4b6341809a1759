#pragma once
// CSystemTray: one icon in the shell's notification area on behalf of a top-level window. It adds
// the icon, deletes it when the object goes, puts it back when the shell restarts, turns a right
// click into the window's pop-up menu and a double click into its default command, and moves a
// window into the tray and out of it.
//
// Given an icon resource, it shows that icon's image for the display scale of the notification
// area, and replaces it when the scale changes and whenever it adds the icon again.

#include <windows.h>
#include <shellapi.h>

#include <cstddef>

#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Menu.h"
#include "framework/SystemLibrary.h"
#include "framework/Wnd.h"

// Replaces Shell_NotifyIconA for every tray icon and returns the previous call; null brings the
// shell's back. Tests watch and refuse the calls through it.
using NotifyIconCall = decltype(&::Shell_NotifyIconA);
NotifyIconCall SetNotifyIconCall(NotifyIconCall call);
// The same for Shell_NotifyIconW, through which the tooltip goes in UTF-16.
using NotifyIconWideCall = decltype(&::Shell_NotifyIconW);
NotifyIconWideCall SetNotifyIconWideCall(NotifyIconWideCall call);

// Replaces ChangeWindowMessageFilterEx for the tray's windows and returns the previous call; null
// brings the system's back. Tests see through it which messages are let in.
using MessageFilterCall = decltype(&::ChangeWindowMessageFilterEx);
MessageFilterCall SetMessageFilterCall(MessageFilterCall call);

class CSystemTray : public CWnd {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // The record handed to the shell: the ANSI record up to and including guidItem, which every
    // shell since Windows XP accepts.
    static constexpr DWORD kIconDataSize = static_cast<DWORD>(offsetof(NOTIFYICONDATAA, guidItem) + sizeof(GUID));
#ifndef _WIN64
    static_assert(kIconDataSize == 504, "the 32-bit NOTIFYICONDATAA up to guidItem is 504 bytes");
#endif

    CSystemTray();
    ~CSystemTray() override;

    // Adds the icon (unless hidden) with its tooltip; parent receives the callback message and id
    // is also the menu resource whose first sub-menu is the right-click menu. Given an icon
    // resource of the program, the icon shows its image at the small-icon size of the display
    // scale, and icon only where that image cannot be loaded.
    BOOL CreateTrayIcon(CWnd* parent, UINT callbackMessage, LPCSTR tip, HICON icon, UINT id, BOOL hidden,
                        UINT iconResource = 0);
    // Deletes the icon from the tray; TRUE when it is not there (any more).
    BOOL RemoveFromTray();

    // Sets the tooltip (at most 127 UTF-16 characters), in any language; the shell is told only
    // when the text differs from the one it has. TRUE when the shell has it.
    BOOL SetTooltipText(const wchar_t* tip);

    // Loads the icon resource afresh when the scale has changed since it was loaded, and hands the
    // new image to the shell. TRUE when the image was replaced.
    BOOL RefreshIconScale();

    // The callback message: a right-button release shows the menu, a double click sends the
    // default command. 0 when wParam is not this icon's identifier.
    virtual LRESULT HandleTrayMessage(WPARAM wParam, LPARAM lParam);
    // Called with the pop-up menu before it is shown.
    virtual void AdjustTrayMenu(CMenu* popup);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The screen rectangle of the notification area.
    static void FindTrayRect(LPRECT rect);
    // TRUE when the system animates minimising windows.
    static BOOL WindowAnimationOn();
    // Gives window the hidden owner window as parent, which takes it off the taskbar.
    static BOOL DetachFromTaskbar(CWnd* window);
    static void AnimateToTray(CWnd* window, BOOL forceAnimation);
    static void AnimateFromTray(CWnd* window, BOOL forceAnimation);

    // The "TaskbarCreated" message, registered at program start.
    static const UINT taskbarCreatedMessage;
    // Longest tooltip, terminating zero included.
    static int maxTipLength;

    const NOTIFYICONDATAA& IconData() const { return iconData; }
    BOOL IsEnabled() const { return enabled; }
    BOOL IsHidden() const { return hidden; }
    BOOL IsRemoved() const { return removed; }
    // An icon to show that the shell does not have: added at the shell's next notice.
    BOOL IsAddPending() const { return !hidden && removed; }

protected:
    void OnSettingChange(UINT flags, LPCSTR section);
    LRESULT OnShellRestart(WPARAM wParam, LPARAM lParam);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    // Unless hidden, hands the icon to the shell: brings the one the shell has up to date, else adds it.
    void RetryPendingAdd();
    // Hands the UTF-16 tooltip to the shell, when one has been set.
    BOOL SendWideTip();
    // Puts the icon resource's image for the current scale into iconData, unless it is there
    // already; true when it did. The image it replaces goes to previous, which the caller keeps
    // until the shell has the new one.
    bool LoadIconForScale(UniqueIcon& previous);

    NOTIFYICONDATAA iconData;
    BOOL enabled = FALSE;
    BOOL hidden = TRUE;  // the program keeps the icon out of the tray (never the shell's doing)
    BOOL removed = TRUE; // the shell does not have the icon
    UINT defaultItem = 0;
    UINT addFlags = 0;
    UINT iconResource = 0;
    dpi::ScaledIcon scaledIcon{SM_CXSMICON, SM_CYSMICON}; // iconResource's image, in iconData.hIcon when loaded
    wchar_t wideTip[128] = {}; // the tooltip set in UTF-16; empty while szTip's is the one shown
};

// Copies at most size - 1 bytes of source into a buffer of size bytes and terminates it, never
// splitting a double-byte character of the ANSI code page. A null source gives "".
void CopyTrayText(char* buffer, std::size_t size, const char* source);
