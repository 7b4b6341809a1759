// The acceleration toggle and the accelerated-time clock.
#include "app/SpindrelDlg.h"

#include <shellapi.h>

#include <memory>
#include <string>

#include "app/Config.h"
#include "framework/CodePage.h"
#include "res/resource.h"

namespace {
// The toggle's two-line captions: the state over what a push does, or why the state is Stopped.
constexpr char kActivatedCaption[] = "State: Activated\nPush to stop";
constexpr char kStoppedCaption[] = "State: Stopped\nPush to activate acceleration";
constexpr char kNeedsRightsCaption[] = "State: Stopped\nNeeds administrator rights";
constexpr char kFailedCaption[] = "State: Stopped\nCapture failed";
} // namespace

void CSpindrelDlg::OnAccelerate()
{
    if (accelerating.load() != 0) {
        // The worker notices at its next datagram, or when the next switch-on retires its capture.
        StopAcceleration(kStoppedCaption);
        return;
    }
    // Only a click asks: a start at logon must not greet the user with a question.
    if (SwitchAccelerationOn() == CaptureOutcome::NeedsRights)
        OfferAdministratorRights();
}

CaptureOutcome CSpindrelDlg::SwitchAccelerationOn()
{
    // The addresses of this moment: a start before the network was up, a new lease, roaming or a
    // resume all change them.
    localAddressCount = BuildLocalAddressTable(localAddresses, kLocalAddressCapacity);
    CaptureStart start = StartCapture({m_hWnd, WM_CAPTURE_FAILED});
    if (start.outcome == CaptureOutcome::Running) {
        accelerating.store(1);
        if (AfxBeginThread(CaptureThreadProc, start.worker.get())) {
            start.worker.release(); // the thread deletes it when it ends
            SetTimer(TIMER_ACCELERATED_CLOCK, 1000, nullptr);
            accelerateButton.SetWindowText(kActivatedCaption);
            accelerateButton.SetCheck(BST_CHECKED);
            return CaptureOutcome::Running;
        }
        // No thread to receive: dropping the worker closes its socket.
        accelerating.store(0);
        start.worker.reset();
        start.outcome = CaptureOutcome::Failed;
    }
    // Stopped, and the button says why; it does not stay pressed for a capture that is not there.
    accelerateButton.SetWindowText(start.outcome == CaptureOutcome::NeedsRights ? kNeedsRightsCaption : kFailedCaption);
    accelerateButton.SetCheck(BST_UNCHECKED);
    return start.outcome;
}

void CSpindrelDlg::StopAcceleration(const char* caption)
{
    accelerating.store(0);
    KillTimer(TIMER_ACCELERATED_CLOCK);
    accelerateButton.SetWindowText(caption);
    accelerateButton.SetCheck(BST_UNCHECKED);
}

LRESULT CSpindrelDlg::OnCaptureFailed(WPARAM, LPARAM)
{
    // A report that crossed a switch-off, or a newer switch-on that runs, is about a capture
    // already gone.
    if (accelerating.load() != 0 && captureSocket.load() == INVALID_SOCKET)
        StopAcceleration(kFailedCaption);
    return 0;
}

void CSpindrelDlg::OfferAdministratorRights(const char* question)
{
    if (!question)
        question = "Acceleration captures network traffic, which needs administrator rights.\n\n"
                   "Restart Spindrel as administrator?";
    if (::MessageBoxA(m_hWnd, question, config::productName, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    // Taken and passed in UTF-16, so that a folder named in any letters starts, whatever the
    // code pages. The same working folder, where the skin file is looked for by name.
    const std::wstring exe = code_page::ModuleFileNameW();
    std::wstring folder(::GetCurrentDirectoryW(0, nullptr), L'\0');
    if (exe.empty() || folder.empty())
        return;
    const DWORD folderLength = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (folderLength == 0 || folderLength >= folder.size())
        return;
    folder.resize(folderLength);

    SHELLEXECUTEINFOW run{};
#ifdef _WIN64
    static_assert(sizeof run == 112, "the 64-bit SHELLEXECUTEINFOW is 112 bytes");
#else
    static_assert(sizeof run == 60, "the 32-bit SHELLEXECUTEINFOW is 60 bytes");
#endif
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOASYNC; // this copy ends right after the call
    run.hwnd = m_hWnd;
    run.lpVerb = L"runas";
    run.lpFile = exe.c_str();
    // The new copy goes on with this session: no second Tarvo, and the window where it is now.
    run.lpParameters = startup_command::ContinueArguments(IsWindowVisible() != FALSE);
    run.lpDirectory = folder.c_str();
    run.nShow = SW_SHOWNORMAL;
    // Declined at the system's prompt (ERROR_CANCELLED) or failed: this copy goes on as it was.
    if (::ShellExecuteExW(&run))
        OnExit(); // as the Settings menu's "&Exit": the settings file is written at the end
}

void CSpindrelDlg::TickAcceleratedClock()
{
    statusPanel.TickAcceleratedClock();
    // Hidden, the count goes on; the window shows it when it shows again.
    if (IsWindowVisible())
        UpdateData(FALSE);
}
