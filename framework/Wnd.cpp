#include "framework/Wnd.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "framework/CmdUI.h"
#include "framework/Module.h"

namespace {

// Window objects of this thread by handle. Windows belong to the thread that made them, and so do
// their objects.
std::unordered_map<HWND, CWnd*>& PermanentMap()
{
    static thread_local std::unordered_map<HWND, CWnd*> map;
    return map;
}

// The message being handled on this thread, for Default().
struct CurrentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
thread_local CurrentMessage current;

thread_local CWnd* pendingCreate = nullptr;
thread_local HHOOK creationHook = nullptr;

// Windows the system makes on its own during another window's creation (input method windows).
bool IsSystemHelperWindow(HWND hwnd)
{
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return ::lstrcmpiA(name, "IME") == 0 || ::lstrcmpiA(name, "MSCTFIME UI") == 0;
}

} // namespace

const MessageMap CWnd::messageMap{&CCmdTarget::messageMap, {}};

CWnd::~CWnd()
{
    if (m_hWnd) {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        if (m_hWnd)
            Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    auto& map = PermanentMap();
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

BOOL CWnd::Attach(HWND hwnd)
{
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return FALSE;
    m_hWnd = hwnd;
    PermanentMap()[hwnd] = this;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hwnd = m_hWnd;
    if (hwnd) {
        auto& map = PermanentMap();
        auto it = map.find(hwnd);
        if (it != map.end() && it->second == this)
            map.erase(it);
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!Attach(hwnd))
        return FALSE;
    PreSubclassWindow();
    auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StandardWindowProc)));
    if (previous != &CWnd::StandardWindowProc)
        m_pfnSuper = previous;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (!parent || !parent->m_hWnd)
        return FALSE;
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd && m_pfnSuper)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    return Detach();
}

void CWnd::HookWindowCreate(CWnd* window)
{
    pendingCreate = window;
    if (!creationHook)
        creationHook = ::SetWindowsHookExA(WH_CBT, &CWnd::CreationHook, nullptr, ::GetCurrentThreadId());
}

bool CWnd::UnhookWindowCreate()
{
    if (creationHook) {
        ::UnhookWindowsHookEx(creationHook);
        creationHook = nullptr;
    }
    const bool attached = pendingCreate == nullptr;
    pendingCreate = nullptr;
    return attached;
}

LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && pendingCreate) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        if (!IsSystemHelperWindow(hwnd)) {
            CWnd* window = pendingCreate;
            pendingCreate = nullptr;
            if (window->Attach(hwnd)) {
                auto previous = reinterpret_cast<WNDPROC>(
                    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StandardWindowProc)));
                if (previous != &CWnd::StandardWindowProc)
                    window->m_pfnSuper = previous;
            }
        }
    }
    return ::CallNextHookEx(creationHook, code, wParam, lParam);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId, LPVOID param)
{
    if (m_hWnd)
        return FALSE;
    HookWindowCreate(this);
    HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                  AfxGetInstanceHandle(), param);
    UnhookWindowCreate();
    return hwnd != nullptr && m_hWnd == hwnd;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    const BOOL result = ::DestroyWindow(m_hWnd);
    // WM_NCDESTROY detaches the object; a window of another thread cannot be destroyed from here.
    if (m_hWnd && !::IsWindow(m_hWnd))
        Detach();
    return result;
}

LRESULT CALLBACK CWnd::StandardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* window = FromHandlePermanent(hwnd);
    if (!window)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);

    const CurrentMessage saved = current;
    current = CurrentMessage{hwnd, message, wParam, lParam};
    LRESULT result = window->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The last message: give the window its original procedure back and let the object go.
        WNDPROC super = window->m_pfnSuper;
        if (super && reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == &CWnd::StandardWindowProc)
            ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        window->Detach();
        window->PostNcDestroy();
    }
    current = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND) {
        if (!RouteCommand(wParam, lParam))
            return false;
        *result = 0;
        return true;
    }
    UINT key = message;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        key = WM_CTLCOLOR_ANY;
    const MessageMapEntry* entry = GetMessageMap()->FindMessage(key);
    if (!entry)
        return false;
    MessageCall call;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    *result = entry->handler(*this, call);
    return true;
}

BOOL CWnd::RouteCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    if (lParam == 0 && code == 1)
        code = 0; // an accelerator is a command like a menu item
    return OnCmdMsg(id, code, nullptr) ? TRUE : FALSE;
}

bool CWnd::OnCmdMsg(UINT id, UINT code, CCmdUI* cmdUI)
{
    return CCmdTarget::OnCmdMsg(id, code, cmdUI);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

CString CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0)
        return CString();
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, &buffer[0], length + 1);
    buffer.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return CString(buffer);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

void CWnd::ClientToScreen(LPRECT rect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2);
}
