// The acceleration toggle and the accelerated-time clock.
#include "app/SpindrelDlg.h"

void CSpindrelDlg::OnAccelerate() {}
void CSpindrelDlg::TickAcceleratedClock() {}
