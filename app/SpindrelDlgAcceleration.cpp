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
constexpr char kWaitingCaption[] = "State: Waiting for network\nPush to stop";
constexpr char kStoppedCaption[] = "State: Stopped\nPush to activate acceleration";
constexpr char kNeedsRightsCaption[] = "State: Stopped\nNeeds administrator rights";
constexpr char kFailedCaption[] = "State: Stopped\nCapture failed";

const char* Caption(CaptureState state)
{
    switch (state) {
    case CaptureState::Activated: return kActivatedCaption;
    case CaptureState::Waiting: return kWaitingCaption;
    case CaptureState::NeedsRights: return kNeedsRightsCaption;
    case CaptureState::Failed: return kFailedCaption;
    case CaptureState::Stopped: break;
    }
    return kStoppedCaption;
}
} // namespace

void CSpindrelDlg::OnAccelerate()
{
    if (captureEngine.SwitchedOn()) {
        captureEngine.Stop();
        ShowCaptureState(captureEngine.State());
        return;
    }
    ShowCaptureState(captureEngine.SwitchOn());
    // Only a click asks: a start at logon must not greet the user with a question.
    if (captureEngine.State() == CaptureState::NeedsRights)
        OfferAdministratorRights();
}

void CSpindrelDlg::ShowCaptureState(CaptureState state)
{
    // Pressed while the toggle is on, capturing or waiting; the button flips its own check at a
    // click, so it is set whatever the state was.
    const int check = captureEngine.SwitchedOn() ? BST_CHECKED : BST_UNCHECKED;
    if (accelerateButton.GetCheck() != check)
        accelerateButton.SetCheck(check);
    if (shownCaptureState == state)
        return; // a tick or notice that changed nothing redraws nothing, and the clock goes on
    // The accelerated clock runs only while a capture runs.
    if (state == CaptureState::Activated && shownCaptureState != CaptureState::Activated)
        SetTimer(TIMER_ACCELERATED_CLOCK, 1000, nullptr);
    else if (state != CaptureState::Activated)
        KillTimer(TIMER_ACCELERATED_CLOCK);
    accelerateButton.SetWindowText(Caption(state));
    shownCaptureState = state;
}

LRESULT CSpindrelDlg::OnCaptureFailed(WPARAM capture, LPARAM)
{
    ShowCaptureState(captureEngine.OnCaptureFailed(capture));
    return 0;
}

LRESULT CSpindrelDlg::OnNetworkChanged(WPARAM, LPARAM)
{
    ShowCaptureState(captureEngine.CheckNetwork());
    return 0;
}

LRESULT CSpindrelDlg::OnPowerBroadcast(WPARAM event, LPARAM)
{
    // Back from sleep: the lease, the network or the adapter may all be other ones now.
    if (event == PBT_APMRESUMEAUTOMATIC)
        ShowCaptureState(captureEngine.CheckNetwork());
    return TRUE;
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
