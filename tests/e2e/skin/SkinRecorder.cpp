// A stand-in for the skinning component: an in-process COM server whose object records every
// IDispatch::Invoke it receives (DISPID, argument, and whether the main window exists yet) in
// skin-calls.log beside this DLL.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "tests/common/Process.h"

namespace {

HMODULE thisModule = nullptr;
LONG objectCount = 0;

void Record(DISPID id, WORD flags, const DISPPARAMS* params)
{
    std::string argument = "none";
    if (params && params->cArgs == 1) {
        const VARIANTARG& v = params->rgvarg[0];
        char text[512];
        if (v.vt == VT_I4) {
            std::snprintf(text, sizeof text, "I4:%ld", static_cast<long>(v.lVal));
        } else if (v.vt == VT_BSTR) {
            char narrow[400] = {};
            ::WideCharToMultiByte(CP_ACP, 0, v.bstrVal, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
            std::snprintf(text, sizeof text, "BSTR:%s", narrow);
        } else {
            std::snprintf(text, sizeof text, "VT%u", static_cast<unsigned>(v.vt));
        }
        argument = text;
    } else if (params && params->cArgs > 1) {
        argument = "many";
    }
    const bool window = test_support::FindProcessWindow(::GetCurrentProcessId(), nullptr, "Spindrel") != nullptr;
    if (FILE* log = std::fopen((test_support::OwnFolder(thisModule) + "skin-calls.log").c_str(), "a")) {
        std::fprintf(log, "%ld %u %s %s\n", static_cast<long>(id), static_cast<unsigned>(flags), argument.c_str(),
                     window ? "window" : "no-window");
        std::fclose(log);
    }
}

class Recorder : public IDispatch {
public:
    Recorder() { ::InterlockedIncrement(&objectCount); }
    virtual ~Recorder() { ::InterlockedDecrement(&objectCount); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        Record(id, flags, params);
        return S_OK;
    }

private:
    LONG refs_ = 1;
};

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* recorder = new Recorder;
        const HRESULT hr = recorder->QueryInterface(iid, out);
        recorder->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factory;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        thisModule = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID iid, void** out)
{
    return factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return objectCount == 0 ? S_OK : S_FALSE;
}
