#include "framework/Dialog.h"

#include <string>

#include "framework/WinApp.h"

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    HWND control = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate) {
        CTempWnd window(control);
        value = window.GetWindowText();
        return;
    }
    // Only a changed text is set: each set repaints the control.
    const int length = ::GetWindowTextLengthA(control);
    if (length == value.GetLength()) {
        std::string shown(static_cast<std::size_t>(length) + 1, '\0');
        const int copied = ::GetWindowTextA(control, &shown[0], length + 1);
        if (copied == length && shown.compare(0, static_cast<std::size_t>(length), value.c_str()) == 0)
            return;
    }
    ::SetWindowTextA(control, value);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

const MessageMap CDialog::messageMap{&CWnd::messageMap, {
    OnCommand(IDOK, &CDialog::OnOK),
    OnCommand(IDCANCEL, &CDialog::OnCancel),
}};

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd)
        DestroyWindow();
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE instance = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    auto dialogTemplate = loaded ? static_cast<LPCDLGTEMPLATEA>(::LockResource(loaded)) : nullptr;
    if (!dialogTemplate)
        return -1;

    // The owner: the given parent, else the application's main window when that is another window.
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        if (main && main != this && main->m_hWnd && ::IsWindow(main->m_hWnd))
            owner = main->m_hWnd;
    }
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);

    endModal_ = false;
    modalResult_ = -1;
    HookWindowCreate(this);
    HWND hwnd = ::CreateDialogIndirectParamA(instance, dialogTemplate, owner, &CDialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    UnhookWindowCreate();

    if (hwnd && m_hWnd == hwnd && !endModal_)
        RunModalLoop();

    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(owner);
    if (m_hWnd)
        DestroyWindow();
    return modalResult_;
}

void CDialog::RunModalLoop()
{
    // A dialog whose template lacks WS_VISIBLE is shown once its loop starts.
    if (!::IsWindowVisible(m_hWnd))
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    MSG msg;
    while (!endModal_) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // WM_QUIT belongs to an outer loop: end this one and hand it back.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool CDialog::PreTranslateTree(MSG* msg)
{
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* window = CWnd::FromHandlePermanent(hwnd);
        if (window && window->PreTranslateMessage(msg))
            return true;
        if (hwnd == m_hWnd)
            break;
    }
    return false;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || !msg->hwnd)
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

void CDialog::EndDialog(int result)
{
    modalResult_ = result;
    endModal_ = true;
    // Wake the loop in case the queue is empty.
    if (m_hWnd)
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::OnCmdMsg(UINT id, UINT code, CCmdUI* cmdUI)
{
    if (CWnd::OnCmdMsg(id, code, cmdUI))
        return true;
    // Commands no window handles go to the application object.
    if (code != 0)
        return false;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, cmdUI);
}

bool CDialog::HasCommandHandler(UINT id) const
{
    if (CWnd::HasCommandHandler(id))
        return true;
    CWinApp* app = AfxGetApp();
    return app && app->HasCommandHandler(id);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* dialog = static_cast<CDialog*>(CWnd::FromHandlePermanent(hwnd));
    if (!dialog) {
        // Not attached at creation: attach now, from the creation parameter.
        dialog = reinterpret_cast<CDialog*>(lParam);
        if (!dialog || !dialog->SubclassWindow(hwnd))
            return TRUE;
    }
    RECT before;
    ::GetWindowRect(hwnd, &before);
    const BOOL result = dialog->OnInitDialog();
    // A dialog that did not place itself opens centred over its owner (or on its monitor's work
    // area). A child window, a template that the system centres (DS_CENTER, DS_CENTERMOUSE) and a
    // dialog that OnInitDialog moved or resized keep their place.
    if (::IsWindow(hwnd) && !dialog->endModal_) {
        RECT after;
        ::GetWindowRect(hwnd, &after);
        const DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE));
        if (!(style & (WS_CHILD | DS_CENTER | DS_CENTERMOUSE)) && ::EqualRect(&before, &after))
            dialog->CenterWindow();
    }
    return result;
}
