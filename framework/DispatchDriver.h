#pragma once
// COleDispatchDriver: a late-bound COM object reached through IDispatch::Invoke.

#include <windows.h>
#include <oaidl.h>

class COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    ~COleDispatchDriver() { ReleaseDispatch(); }
    COleDispatchDriver(const COleDispatchDriver&) = delete;
    COleDispatchDriver& operator=(const COleDispatchDriver&) = delete;

    // Turns progId into a class identifier, creates an instance and keeps its IDispatch.
    // On failure the driver holds no interface; nothing is thrown or reported.
    BOOL CreateDispatch(LPCSTR progId);
    void AttachDispatch(IDispatch* dispatch);
    void ReleaseDispatch();
    IDispatch* GetDispatch() const { return m_lpDispatch; }

    // Method calls (DISPATCH_METHOD) that ask for no result. Without an interface they do
    // nothing and answer E_POINTER.
    HRESULT InvokeMethod(DISPID id);
    HRESULT InvokeMethod(DISPID id, LONG value);
    HRESULT InvokeMethod(DISPID id, LPCSTR text);

    IDispatch* m_lpDispatch = nullptr;

private:
    HRESULT Invoke(DISPID id, VARIANTARG* arguments, UINT count);
};
