// The acceleration toggle and the accelerated-time clock.
#include "app/SpindrelDlg.h"

#include <memory>

#include "app/core/ClockRule.h"
#include "engine/Capture.h"
#include "res/resource.h"

void CSpindrelDlg::OnAccelerate()
{
    if (accelerating.load() == 0) {
        accelerating.store(1);
        std::unique_ptr<CaptureWorker> worker = StartCapture();
        if (AfxBeginThread(CaptureThreadProc, worker.get()))
            worker.release(); // the thread deletes it when it ends
        // The window shows Activated whether or not the capture could start.
        SetTimer(TIMER_ACCELERATED_CLOCK, 1000, nullptr);
        accelerateButton.SetWindowText("State: Activated\nPush to stop");
    } else {
        // The worker notices at its next datagram, or when the next switch-on retires its capture.
        accelerating.store(0);
        KillTimer(TIMER_ACCELERATED_CLOCK);
        accelerateButton.SetWindowText("State: Stopped\nPush to activate acceleration");
    }
}

void CSpindrelDlg::TickAcceleratedClock()
{
    clock_rule::Tick(acceleratedHours, acceleratedMinutes, acceleratedSeconds);
    acceleratedTimeText = clock_rule::Format(acceleratedHours, acceleratedMinutes, acceleratedSeconds).c_str();
    UpdateData(FALSE);
}
