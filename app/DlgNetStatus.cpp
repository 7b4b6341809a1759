// The interface list and the one-second status refresh.
#include "app/SpindrelDlg.h"

void CSpindrelDlg::FillInterfaceList() {}
void CSpindrelDlg::OnInterfaceSelChange() {}
MIB_IFROW CSpindrelDlg::ReadSelectedRow() { return MIB_IFROW{}; }
void CSpindrelDlg::RefreshStatus() {}
void CSpindrelDlg::TickConnectedClock() {}
