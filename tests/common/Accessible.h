#pragma once
// What assistive technology reads of a window's client object through oleacc (Narrator, NVDA and
// JAWS ask the same, or UI Automation's bridge does for them). Link with oleacc, oleaut32, ole32.
#include <windows.h>
#include <oleacc.h>

#include <string>

namespace test_support {

struct AccessibleInfo {
    long role = 0;
    long state = 0;
    std::wstring name, value, defaultAction;
    HRESULT defaultActionDone = E_FAIL; // when asked to do it
};

inline AccessibleInfo ReadAccessible(HWND window, bool doDefaultAction = false)
{
    AccessibleInfo info;
    const HRESULT com = ::CoInitialize(nullptr);
    IAccessible* object = nullptr;
    if (SUCCEEDED(::AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&object))) && object) {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        VARIANT role{}, state{};
        info.role = SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4 ? role.lVal : 0;
        info.state = SUCCEEDED(object->get_accState(self, &state)) && state.vt == VT_I4 ? state.lVal : 0;
        const auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*query)(VARIANT, BSTR*)) {
            BSTR value = nullptr;
            const std::wstring result = SUCCEEDED((object->*query)(self, &value)) && value ? value : L"";
            ::SysFreeString(value);
            return result;
        };
        info.name = text(&IAccessible::get_accName);
        info.value = text(&IAccessible::get_accValue);
        info.defaultAction = text(&IAccessible::get_accDefaultAction);
        if (doDefaultAction)
            info.defaultActionDone = object->accDoDefaultAction(self);
        object->Release();
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return info;
}

} // namespace test_support
