#include "app/StartupTask.h"

#include <objbase.h>
#include <oleauto.h>
#include <sddl.h>
#include <taskschd.h>

#include "app/Config.h"
#include "app/core/StartupCommand.h"
#include "app/core/StartupTask.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "framework/OleString.h"
#include "framework/SystemLibrary.h"

namespace startup_task {

namespace {

// Task Scheduler 2.0 (Windows Vista and later).
const GUID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
const IID kTaskServiceInterface = {0x2faba4c7, 0x4da9, 0x4013, {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};

void FreeOleString(BSTR text)
{
    static const auto release = system_library::automation.Entry<decltype(&::SysFreeString)>("SysFreeString");
    if (text && release)
        release(text);
}

// A string the scheduler's calls take (they may ask for its length).
class OleString {
public:
    explicit OleString(const wchar_t* text) : text_(ole::AllocString(text)) {}
    ~OleString() { FreeOleString(text_); }
    OleString(const OleString&) = delete;
    OleString& operator=(const OleString&) = delete;
    BSTR get() const { return text_; }

private:
    BSTR text_;
};

#ifdef _WIN64
static_assert(sizeof(VARIANT) == 24 && sizeof(TOKEN_USER) == 16, "the 64-bit VARIANT and TOKEN_USER");
#else
static_assert(sizeof(VARIANT) == 16 && sizeof(TOKEN_USER) == 8, "the 32-bit VARIANT and TOKEN_USER");
#endif

// COM for the length of a call: the main thread has it already, a test thread may not.
class ComForCall {
public:
    ComForCall() : result_(::CoInitialize(nullptr)) {}
    ~ComForCall()
    {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComForCall(const ComForCall&) = delete;
    ComForCall& operator=(const ComForCall&) = delete;

private:
    HRESULT result_;
};

// The scheduler's root folder, where the program's tasks live.
HRESULT RootFolder(UniqueInterface<ITaskFolder>& folder)
{
    UniqueInterface<ITaskService> service;
    HRESULT result = ::CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, kTaskServiceInterface,
                                        service.putVoid());
    if (FAILED(result))
        return result;
    VARIANT none;
    none.vt = VT_EMPTY; // this machine, this user
    result = service->Connect(none, none, none, none);
    if (FAILED(result))
        return result;
    const OleString root(L"\\");
    return root.get() ? service->GetFolder(root.get(), folder.put()) : E_OUTOFMEMORY;
}

HRESULT RegisterInScheduler(const wchar_t* name, const wchar_t* xml)
{
    const ComForCall com;
    UniqueInterface<ITaskFolder> folder;
    HRESULT result = RootFolder(folder);
    const OleString path(name), definition(xml);
    if (SUCCEEDED(result) && (!path.get() || !definition.get()))
        result = E_OUTOFMEMORY;
    if (FAILED(result))
        return result;
    VARIANT none;
    none.vt = VT_EMPTY; // the principal is the definition's
    UniqueInterface<IRegisteredTask> task;
    return folder->RegisterTask(path.get(), definition.get(), TASK_CREATE_OR_UPDATE, none, none,
                                TASK_LOGON_INTERACTIVE_TOKEN, none, task.put());
}

bool TokenElevated()
{
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened))
        return false;
    const UniqueKernelHandle token(opened);
    TOKEN_ELEVATION elevation{};
    static_assert(sizeof elevation == 4, "TOKEN_ELEVATION is 4 bytes");
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

// The user this process runs as, as a SID string ("S-1-5-21-..."): empty when it cannot be had.
std::wstring UserSid()
{
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened))
        return {};
    const UniqueKernelHandle token(opened);
    // TOKEN_USER and the SID it points to, which follows it.
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size))
        return {};
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(buffer)->User.Sid, &text) || !text)
        return {};
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

ElevationQuery elevationQuery = &TokenElevated;
RegisterCall registerCall = &RegisterInScheduler;

} // namespace

bool RunsElevated()
{
    return elevationQuery();
}

ElevationQuery SetElevationQuery(ElevationQuery query)
{
    const ElevationQuery previous = elevationQuery;
    elevationQuery = query ? query : &TokenElevated;
    return previous;
}

RegisterCall SetRegisterCall(RegisterCall call)
{
    const RegisterCall previous = registerCall;
    registerCall = call ? call : &RegisterInScheduler;
    return previous;
}

std::wstring NameFor(const std::wstring& exePath)
{
    // Upper-cased as the uninstaller does it (CharUpperW), so that both find one name.
    std::wstring upper(exePath);
    if (!upper.empty())
        ::CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    return TaskName(code_page::ToWide(config::productName), upper);
}

bool Exists(const std::wstring& name)
{
    const ComForCall com;
    UniqueInterface<ITaskFolder> folder;
    const OleString path(name.c_str());
    if (FAILED(RootFolder(folder)) || !path.get())
        return false;
    UniqueInterface<IRegisteredTask> task;
    const HRESULT found = folder->GetTask(path.get(), task.put());
    // A task this process may not read is there all the same.
    return SUCCEEDED(found) || found == E_ACCESSDENIED;
}

HRESULT Register(const std::wstring& exePath)
{
    const std::wstring sid = UserSid();
    if (sid.empty() || exePath.empty())
        return E_FAIL;
    const std::wstring product = code_page::ToWide(config::productName);
    const std::wstring folder = startup_command::Folder(exePath);
    const std::wstring xml = TaskXml({sid, exePath, folder, product});
    return registerCall(NameFor(exePath).c_str(), xml.c_str());
}

HRESULT Delete(const std::wstring& name)
{
    const ComForCall com;
    UniqueInterface<ITaskFolder> folder;
    HRESULT result = RootFolder(folder);
    const OleString path(name.c_str());
    if (SUCCEEDED(result) && !path.get())
        result = E_OUTOFMEMORY;
    return SUCCEEDED(result) ? folder->DeleteTask(path.get(), 0) : result;
}

} // namespace startup_task
