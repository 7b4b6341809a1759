#include "framework/DispatchDriver.h"

#include <objbase.h>
#include <oleauto.h>

#include <utility>

#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "framework/OleString.h"
#include "framework/SystemLibrary.h"

namespace {

// The interface ids, defined here rather than linked from the id library.
const IID kUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kDispatchId = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kNoId = {};

// OLE Automation's string and variant functions are needed only once there is a component to
// call. Without one (a component that is not installed) the library is never loaded; with one it
// is loaded from the system folder at the first call.
SystemLibrary& automation = system_library::automation;

void FreeString(BSTR text)
{
    static const auto release = automation.Entry<decltype(&::SysFreeString)>("SysFreeString");
    if (text && release)
        release(text);
}

void ClearVariant(VARIANTARG* variant)
{
    static const auto clear = automation.Entry<decltype(&::VariantClear)>("VariantClear");
    if (clear)
        clear(variant);
}

} // namespace

BSTR ole::AllocString(const OLECHAR* text)
{
    static const auto allocate = automation.Entry<decltype(&::SysAllocString)>("SysAllocString");
    return allocate ? allocate(text) : nullptr;
}

BOOL COleDispatchDriver::CreateDispatch(LPCSTR progId)
{
    ReleaseDispatch();
    if (!progId)
        return FALSE;
    const std::wstring wide = code_page::ToWide(progId);
    CLSID clsid;
    if (wide.empty() || FAILED(::CLSIDFromProgID(wide.c_str(), &clsid)))
        return FALSE;
    UniqueInterface<IUnknown> unknown;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, kUnknownId,
                                  unknown.putVoid())) ||
        !unknown)
        return FALSE;
    UniqueInterface<IDispatch> dispatch;
    if (FAILED(unknown->QueryInterface(kDispatchId, dispatch.putVoid())) || !dispatch)
        return FALSE;
    m_lpDispatch = dispatch.release();
    return TRUE;
}

void COleDispatchDriver::AttachDispatch(IDispatch* dispatch)
{
    ReleaseDispatch();
    m_lpDispatch = dispatch;
}

void COleDispatchDriver::ReleaseDispatch()
{
    const UniqueInterface<IDispatch> released(std::exchange(m_lpDispatch, nullptr));
}

HRESULT COleDispatchDriver::Invoke(DISPID id, VARIANTARG* arguments, UINT count)
{
    if (!m_lpDispatch)
        return E_POINTER;
    DISPPARAMS params{};
    params.rgvarg = arguments;
    params.cArgs = count;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr =
        m_lpDispatch->Invoke(id, kNoId, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, &argumentError);
    FreeString(exception.bstrSource);
    FreeString(exception.bstrDescription);
    FreeString(exception.bstrHelpFile);
    return hr;
}

HRESULT COleDispatchDriver::InvokeMethod(DISPID id)
{
    return Invoke(id, nullptr, 0);
}

HRESULT COleDispatchDriver::InvokeMethod(DISPID id, LONG value)
{
    VARIANTARG argument{};
    argument.vt = VT_I4;
    argument.lVal = value;
    return Invoke(id, &argument, 1);
}

HRESULT COleDispatchDriver::InvokeMethod(DISPID id, LPCSTR text)
{
    if (!m_lpDispatch)
        return E_POINTER;
    VARIANTARG argument{};
    argument.vt = VT_BSTR;
    argument.bstrVal = ole::AllocString(code_page::ToWide(text ? text : "").c_str());
    const HRESULT hr = Invoke(id, &argument, 1);
    ClearVariant(&argument);
    return hr;
}
