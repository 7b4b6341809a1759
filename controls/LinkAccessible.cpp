// What assistive technology sees of the hyperlink: the system's own accessible object for its
// window (position, parent, navigation, keyboard shortcut), with what makes it a link: the role,
// the address as value, the focus and hover states and the default action "Jump".
//
// The system's accessibility library (oleacc) and OLE Automation's strings are loaded from the
// system folder when a client first asks for the link's object, never at start-up.
#include "controls/HyperLink.h"

#include <oleacc.h>

#include <utility>

#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "framework/OleString.h"
#include "framework/SystemLibrary.h"

namespace {

SystemLibrary& accessibility = system_library::accessibility;

// The interface ids, defined here rather than linked from the id library.
const IID kUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kDispatchId = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kOleWindowId = {0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kAccessibleId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The link's accessible object: answers for the link itself and hands everything else to the
// system's object for the window. It holds the window handle, not the control object, so that a
// client that keeps it past the link's end gets failures, not a dangling pointer.
class LinkAccessible final : public IAccessible, public IOleWindow {
public:
    LinkAccessible(HWND link, UniqueInterface<IAccessible> standard) : link_(link), standard_(std::move(standard)) {}
    LinkAccessible(const LinkAccessible&) = delete;
    LinkAccessible& operator=(const LinkAccessible&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == kUnknownId || iid == kDispatchId || iid == kAccessibleId)
            *object = static_cast<IAccessible*>(this);
        else if (iid == kOleWindowId)
            *object = static_cast<IOleWindow*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: the type information of the system's object, invoked on this one.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard_->GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override
    {
        UniqueInterface<ITypeInfo> info;
        const HRESULT hr = standard_->GetTypeInfo(0, locale, info.put());
        if (FAILED(hr) || !info)
            return FAILED(hr) ? hr : E_NOTIMPL;
        return info->Invoke(static_cast<IAccessible*>(this), id, flags, parameters, result, exception, argumentError);
    }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override { return standard_->get_accChild(child, object); }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override
    {
        CHyperLink* link = Link();
        if (!IsSelf(child) || !link || !name)
            return standard_->get_accName(child, name);
        *name = ole::AllocString(link->DisplayText().c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override
    {
        CHyperLink* link = Link();
        if (!IsSelf(child) || !link || !value)
            return standard_->get_accValue(child, value);
        *value = link->URL() ? ole::AllocString(code_page::ToWide(link->URL()).c_str()) : nullptr;
        return *value ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override { return standard_->get_accDescription(child, text); }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override
    {
        if (!IsSelf(child) || !role)
            return standard_->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override
    {
        CHyperLink* link = Link();
        if (!IsSelf(child) || !link || !state)
            return standard_->get_accState(child, state);
        LONG bits = STATE_SYSTEM_LINKED;
        VARIANT system{};
        if (SUCCEEDED(standard_->get_accState(child, &system)) && system.vt == VT_I4)
            bits |= system.lVal & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN);
        if (link->VisualState() == CHyperLink::State::Disabled) {
            bits |= STATE_SYSTEM_UNAVAILABLE;
        } else {
            bits |= STATE_SYSTEM_FOCUSABLE;
            if (::GetFocus() == link_)
                bits |= STATE_SYSTEM_FOCUSED;
            if (link->Hovered())
                bits |= STATE_SYSTEM_HOTTRACKED;
        }
        state->vt = VT_I4;
        state->lVal = bits;
        return S_OK;
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override
    {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    STDMETHODIMP get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    STDMETHODIMP get_accSelection(VARIANT* children) override { return standard_->get_accSelection(children); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        if (!IsSelf(child) || !action)
            return standard_->get_accDefaultAction(child, action);
        *action = ole::AllocString(L"Jump");
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return standard_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return standard_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override { return standard_->accHitTest(x, y, child); }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override
    {
        CHyperLink* link = Link();
        if (!IsSelf(child) || !link)
            return standard_->accDoDefaultAction(child);
        if (link->VisualState() == CHyperLink::State::Disabled)
            return E_FAIL;
        // Later, from the link's own queue: the client is not kept waiting while a browser starts
        // and the dialog closes.
        return ::PostMessageA(link_, CHyperLink::kActivateMessage, 0, 0) ? S_OK : E_FAIL;
    }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return standard_->put_accName(child, name); }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return standard_->put_accValue(child, value); }

    // IOleWindow: the window of the object, which WindowFromAccessibleObject asks for.
    STDMETHODIMP GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = link_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~LinkAccessible() = default;

    // The link, while its window lives and belongs to a link of this thread; otherwise the
    // system's object answers, as for any window that is gone.
    CHyperLink* Link() const { return dynamic_cast<CHyperLink*>(CWnd::FromHandlePermanent(link_)); }

    HWND link_;
    UniqueInterface<IAccessible> standard_;
    LONG references_ = 1;
};

} // namespace

LRESULT CHyperLink::OnGetObject(WPARAM wParam, LPARAM lParam)
{
    // The object id comes in as a 32-bit value, also in a 64-bit lParam.
    if (static_cast<LONG>(lParam) != OBJID_CLIENT)
        return Default();
    // The system's object for the window's class (a static text). CreateStdAccessibleObject picks
    // the same proxy as CreateStdAccessibleProxy with the class named, and it is the one of the two
    // that every Windows and Wine implement (Wine's CreateStdAccessibleProxy ends the process).
    // Looked up at the first request, which loads the library.
    static const auto standardObject =
        accessibility.Entry<decltype(&::CreateStdAccessibleObject)>("CreateStdAccessibleObject");
    static const auto answer = accessibility.Entry<decltype(&::LresultFromObject)>("LresultFromObject");
    UniqueInterface<IAccessible> standard;
    if (!standardObject || !answer || FAILED(standardObject(m_hWnd, OBJID_CLIENT, kAccessibleId, standard.putVoid())) ||
        !standard)
        return Default();
    const UniqueInterface<IAccessible> object(new LinkAccessible(m_hWnd, std::move(standard)));
    const LRESULT result = answer(kAccessibleId, wParam, object.get());
    return result > 0 ? result : Default();
}
