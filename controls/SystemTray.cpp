#include "controls/SystemTray.h"

const MessageMap CSystemTray::messageMap{&CWnd::messageMap, {}};

CSystemTray::CSystemTray() = default;
CSystemTray::~CSystemTray() = default;

BOOL CSystemTray::CreateTrayIcon(CWnd*, UINT, LPCSTR, HICON, UINT, BOOL) { return FALSE; }
BOOL CSystemTray::RemoveFromTray() { return TRUE; }
LRESULT CSystemTray::HandleTrayMessage(WPARAM, LPARAM) { return 0; }
void CSystemTray::AdjustTrayMenu(CMenu*) {}
void CSystemTray::FindTrayRect(LPRECT) {}
BOOL CSystemTray::WindowAnimationOn() { return FALSE; }
BOOL CSystemTray::DetachFromTaskbar(CWnd*) { return FALSE; }
void CSystemTray::AnimateToTray(CWnd*, BOOL) {}
void CSystemTray::AnimateFromTray(CWnd*, BOOL) {}
