// Preferences in the registry, start with Windows, and starting Tarvo.
#include "app/SpindrelDlg.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Config.h"
#include "app/ErrorMessageDlg.h"
#include "app/ProductKey.h"
#include "app/StartupTask.h"
#include "app/core/ClientPath.h"
#include "app/core/StartupCommand.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"

namespace {

// The shell link's class and interface ids, defined here rather than linked from the id library.
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kShellLinkId = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kPersistFileId = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Where Windows looks for programs to start at logon; our entry is named after the product.
constexpr const char runKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The decimal text of a stored value, as the preferences hold it.
CString DecimalText(DWORD value)
{
    CString text;
    text.Format("%d", static_cast<int>(value));
    return text;
}

// The number in a text made by DecimalText, back to the 32 bits it came from. strtol reads as
// atoi does (leading blanks, a sign, digits up to the first other character), but a number out of
// range saturates instead of being undefined. long is 32 bits on Windows, 64-bit builds included.
DWORD DecimalValue(const CString& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<DWORD>(static_cast<std::int32_t>(value));
}

// The target to write into a shortcut. Wine's shell keeps a shortcut's target only in 8-bit text,
// and reads it back in the code page of the program that reads it: a folder name that the
// system's code page lacks would come back as '?' (Windows keeps the target in UTF-16 as well).
// Such a target goes as the setup writes it, its folders in their short form, which is ASCII and
// which Windows starts all the same.
std::wstring ShortcutTarget(const std::wstring& exe)
{
    const UINT systemCodePage = code_page::SystemCodePage();
    bool exact = true;
    code_page::FromWide(exe, systemCodePage, &exact);
    if (exact)
        return exe;
    const std::wstring target = code_page::ToWide(code_page::PathFromWide(exe, systemCodePage), systemCodePage);
    return ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES ? target : exe;
}

// Makes the shortcut at `link` that starts `exe` in `folder`, as the setup makes it.
HRESULT CreateShortcut(const std::wstring& link, const std::wstring& exe, const std::wstring& folder)
{
    // The main thread's COM is up; a caller without it (a test) gets it for the call.
    const HRESULT com = ::CoInitialize(nullptr);
    HRESULT result;
    {
        UniqueInterface<IShellLinkW> shellLink;
        result = ::CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkId, shellLink.putVoid());
        if (SUCCEEDED(result)) {
            shellLink->SetPath(ShortcutTarget(exe).c_str());
            shellLink->SetWorkingDirectory(folder.c_str());
            shellLink->SetIconLocation(exe.c_str(), 0);
            shellLink->SetShowCmd(SW_SHOWNORMAL);
            UniqueInterface<IPersistFile> file;
            result = shellLink->QueryInterface(kPersistFileId, file.putVoid());
            if (SUCCEEDED(result))
                result = file->Save(link.c_str(), TRUE);
        }
    } // released before COM is shut down

    if (SUCCEEDED(com))
        ::CoUninitialize();
    // Some shells report success for a file they could not write.
    if (SUCCEEDED(result) && ::GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        result = E_FAIL;
    return result;
}

// The system's words for a failure, without the final full stop and line break.
std::wstring SystemMessage(HRESULT result)
{
    wchar_t* text = nullptr;
    std::wstring message;
    if (::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr) &&
        text) {
        message = text;
        ::LocalFree(text);
    }
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ' ||
                                message.back() == L'.'))
        message.pop_back();
    if (message.empty()) {
        // Spelt out here: a wide printf would link a second formatter into the program.
        message = L"error 0x";
        for (int shift = 28; shift >= 0; shift -= 4)
            message += L"0123456789ABCDEF"[(static_cast<DWORD>(result) >> shift) & 0xF];
    }
    return message;
}

// Deletes the start-with-Windows value, whichever copy it starts; a missing value is fine.
void DeleteRunValue()
{
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
        ::RegDeleteValueA(key.get(), config::productName);
}

constexpr char kTaskNeedsRights[] =
    "Spindrel starts at logon with administrator rights, through a task of the Task Scheduler. Only a "
    "Spindrel with those rights can remove that task.\n\n"
    "Restart Spindrel as administrator? Then choose \"Run at Startup\" again.";

} // namespace

void CSpindrelDlg::ReadAutoResumeDownloads()
{
    autoResumeDownloads = product_key::Reader().Read("AutoResumeDownloads", 0) != 0;
}

void CSpindrelDlg::ToggleAutoResumeDownloads()
{
    autoResumeDownloads = !autoResumeDownloads;
    product_key::Writer key;
    if (key)
        key.Write("AutoResumeDownloads", autoResumeDownloads ? 1 : 0);
}

void CSpindrelDlg::ReadRunClientOnStart()
{
    runClientOnStart = product_key::Reader().Read("RunOtherApp", 0) != 0;
}

void CSpindrelDlg::ToggleRunClientOnStart()
{
    runClientOnStart = !runClientOnStart;
    product_key::Writer key;
    if (key)
        key.Write("RunOtherApp", runClientOnStart ? 1 : 0);
}

void CSpindrelDlg::ToggleRunAtStartup()
{
    runAtStartup = !runAtStartup;
    const std::wstring exe = code_page::ModuleFileNameW();

    if (!runAtStartup) {
        DeleteRunValue();
        const std::wstring task = startup_task::NameFor(exe);
        if (!startup_task::Exists(task))
            return;
        if (startup_task::RunsElevated())
            startup_task::Delete(task);
        else
            OfferAdministratorRights(kTaskNeedsRights);
        return;
    }

    // With the rights, the logon task starts this copy with them, and the Run value goes: one copy
    // starts at logon, not two. Where the scheduler takes no task, the Run value starts it without.
    if (startup_task::RunsElevated() && SUCCEEDED(startup_task::Register(exe))) {
        DeleteRunValue();
        return;
    }

    // The Run key belongs to the system: it is opened, never created.
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
        return;

    // The shortcut beside the executable, whatever folder the program was started from, made
    // when it is missing. Taken in UTF-16 from start to end, so that the value names the folder
    // exactly whatever the code pages (and the uninstaller, which compares it, recognises it).
    // When the shortcut cannot be there, nothing is stored: the item stays unticked, and the user
    // learns why and what to do.
    const std::wstring product = code_page::ToWide(config::productName);
    const auto link = startup_command::ShortcutPath(exe, product);
    const std::wstring cannot = product + L" cannot start with Windows from its folder: ";
    const std::wstring again = L", then choose \"Run at Startup\" again.";
    std::wstring problem;
    if (!link) {
        problem = cannot + L"the folder's path is too long for the shortcut that Windows starts at logon.\n\n" +
                  startup_command::Folder(exe) + L"\n\nMove the " + product +
                  L" folder to a place with a shorter path" + again;
    } else if (const DWORD found = ::GetFileAttributesW(link->c_str());
               found == INVALID_FILE_ATTRIBUTES || (found & FILE_ATTRIBUTE_DIRECTORY)) {
        const HRESULT made = CreateShortcut(*link, exe, startup_command::Folder(exe));
        if (FAILED(made))
            problem = cannot + L"the shortcut that Windows starts at logon could not be made.\n\n" + *link +
                      L"\n\n" + SystemMessage(made) + L".\n\nMove the " + product +
                      L" folder to a place you can write to, such as your Documents folder, or have that shortcut "
                      L"made for you" + again;
    }
    if (!problem.empty()) {
        runAtStartup = false;
        key.reset();
        ::MessageBoxW(m_hWnd, problem.c_str(), product.c_str(), MB_OK | MB_ICONWARNING);
        return;
    }

    const std::wstring commandLine = startup_command::CommandLine(*link);
    ::RegSetValueExW(key.get(), product.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine.c_str()),
                     static_cast<DWORD>((commandLine.size() + 1) * sizeof(wchar_t)));
}

void CSpindrelDlg::QueryRunAtStartup(CCmdUI* item)
{
    runAtStartup = false;
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS) {
        // The value's existence is what counts, whatever its type and data.
        runAtStartup = ::RegQueryValueExA(key.get(), config::productName, nullptr, nullptr, nullptr, nullptr) ==
                       ERROR_SUCCESS;
    }
    key.reset();
    // Or this executable's logon task, asked for only without a value (the scheduler is slower).
    if (!runAtStartup)
        runAtStartup = startup_task::Exists(startup_task::NameFor(code_page::ModuleFileNameW()));
    if (item)
        item->SetCheck(runAtStartup ? 1 : 0);
}

void CSpindrelDlg::MoveRunAtStartupToTask()
{
    if (!startup_task::RunsElevated())
        return;
    const std::wstring exe = code_page::ModuleFileNameW();
    const auto link = startup_command::ShortcutPath(exe, code_page::ToWide(config::productName));
    if (!link)
        return;
    // The value as this executable writes it: a quoted path of MAX_PATH characters and " -tray".
    wchar_t value[startup_command::kMaxPath + 16] = {};
    DWORD size = sizeof value - sizeof value[0];
    DWORD type = REG_NONE;
    {
        UniqueKey key;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS ||
            ::RegQueryValueExW(key.get(), code_page::ToWide(config::productName).c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return;
    }
    value[size / sizeof value[0]] = L'\0'; // stored without its NUL, perhaps
    // Another copy's value is that copy's to keep.
    if (::lstrcmpiW(value, startup_command::CommandLine(*link).c_str()) == 0 && SUCCEEDED(startup_task::Register(exe)))
        DeleteRunValue();
}

void CSpindrelDlg::LoadPreferences()
{
    {
        const product_key::Reader key;
        checkPeriodText = DecimalText(key.Read("CheckPeriodNum", 12));
        accelerateNText = DecimalText(key.Read("AccelerateN", 7));
        checkPeriodUnit = static_cast<std::int32_t>(key.Read("CheckPeriodCombo", 0));
        statusPanel.Select(static_cast<std::int32_t>(key.Read("Network", 0)));
    }
    UpdateData(FALSE);
}

void CSpindrelDlg::SavePreferences()
{
    UpdateData(TRUE);
    product_key::Writer key;
    if (!key)
        return;
    key.Write("CheckPeriodNum", DecimalValue(checkPeriodText));
    key.Write("CheckPeriodCombo", static_cast<DWORD>(checkPeriodUnit));
    key.Write("AccelerateN", DecimalValue(accelerateNText));
}

void CSpindrelDlg::LaunchClient()
{
    CErrorMessageDlg notInstalled;

    char clientKeyPath[64];
    std::snprintf(clientKeyPath, sizeof clientKeyPath, "Software\\%s", config::clientName);

    // The install path, read while the client's key is open; the key is closed before anything
    // is started or shown. The buffer holds MAX_PATH characters in UTF-8.
    char installPath[client_path::kInstallPathSize] = {};
    DWORD type = REG_NONE;
    {
        UniqueKey key;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, clientKeyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
            notInstalled.DoModal();
            return;
        }
        DWORD size = sizeof installPath - 1; // a NUL always follows what is read
        const LSTATUS read = ::RegQueryValueExA(key.get(), "Install Path", nullptr, &type,
                                                reinterpret_cast<BYTE*>(installPath), &size);
        if (read == ERROR_FILE_NOT_FOUND)
            return; // the client keeps no install path: nothing to start, nothing to report
        if (read != ERROR_SUCCESS) { // longer than any path: the client cannot be found there
            type = REG_NONE;
            installPath[0] = '\0';
        }
    }

    // "%ProgramFiles%\Tarvo" and the like, as the installers of the client may write it.
    char expanded[client_path::kInstallPathSize] = {};
    const char* value = installPath;
    if (type == REG_EXPAND_SZ) {
        const DWORD made = ::ExpandEnvironmentStringsA(installPath, expanded, sizeof expanded);
        value = made != 0 && made <= sizeof expanded ? expanded : "";
    }

    // A folder beyond the bound is not used, and neither is one that names nothing: the client
    // is not where the registry says, so the user is told, as when it is missing.
    const auto client = client_path::Locate(value, std::strlen(value) + 1, config::clientName);
    if (!client || code_page::CharacterCount(client->folder) > client_path::kInstallPathCharacters) {
        notInstalled.DoModal();
        return;
    }

    // Started in its own folder, where it finds its files, not in Spindrel's current folder.
    const HINSTANCE started = ::ShellExecuteA(nullptr, nullptr, client->executable.c_str(), nullptr,
                                              client->folder.c_str(), SW_SHOW);
    if (reinterpret_cast<INT_PTR>(started) <= 32)
        notInstalled.DoModal();
}
