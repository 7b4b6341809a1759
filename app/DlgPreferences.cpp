// Preferences in the registry, start with Windows, and starting Tarvo.
#include "app/SpindrelDlg.h"

void CSpindrelDlg::ReadAutoResumeDownloads() {}
void CSpindrelDlg::ToggleAutoResumeDownloads() {}
void CSpindrelDlg::ReadRunClientOnStart() {}
void CSpindrelDlg::ToggleRunClientOnStart() {}
void CSpindrelDlg::ToggleRunAtStartup() {}
void CSpindrelDlg::QueryRunAtStartup(CCmdUI*) {}
void CSpindrelDlg::LoadPreferences() {}
void CSpindrelDlg::SavePreferences() {}
void CSpindrelDlg::LaunchClient() {}
