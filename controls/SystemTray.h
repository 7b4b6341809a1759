#pragma once
// CSystemTray: one icon in the shell's notification area on behalf of a top-level window.

#include <windows.h>
#include <shellapi.h>

#include "framework/Menu.h"
#include "framework/Wnd.h"

class CSystemTray : public CWnd {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    CSystemTray();
    ~CSystemTray() override;

    BOOL CreateTrayIcon(CWnd* parent, UINT callbackMessage, LPCSTR tip, HICON icon, UINT id, BOOL hidden);
    BOOL RemoveFromTray();

    virtual LRESULT HandleTrayMessage(WPARAM wParam, LPARAM lParam);
    virtual void AdjustTrayMenu(CMenu* popup);

    static void FindTrayRect(LPRECT rect);
    static BOOL WindowAnimationOn();
    static BOOL DetachFromTaskbar(CWnd* window);
    static void AnimateToTray(CWnd* window, BOOL forceAnimation);
    static void AnimateFromTray(CWnd* window, BOOL forceAnimation);
};
