// Preferences in the registry, start with Windows, and starting Tarvo.
#include "app/SpindrelDlg.h"

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/Config.h"
#include "app/ErrorMessageDlg.h"
#include "app/ProductKey.h"
#include "app/core/ClientPath.h"
#include "app/core/StartupCommand.h"

namespace {

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

    // The Run key belongs to the system: it is opened, never created.
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
        return;

    if (!runAtStartup) {
        ::RegDeleteValueA(key.get(), config::productName); // a missing value is fine
        return;
    }

    // The shortcut beside the current directory. When that directory cannot be read, or the
    // shortcut's path would not fit, nothing is stored: a cut path would start something else.
    char directory[startup_command::kPathSize] = {};
    const DWORD answer = ::GetCurrentDirectoryA(sizeof directory, directory);
    const auto commandLine =
        startup_command::FromCurrentDirectory(directory, sizeof directory, answer, config::productName);
    if (!commandLine)
        return;
    ::RegSetValueExA(key.get(), config::productName, 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine->c_str()),
                     static_cast<DWORD>(commandLine->size() + 1));
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
    if (item)
        item->SetCheck(runAtStartup ? 1 : 0);
}

void CSpindrelDlg::LoadPreferences()
{
    {
        const product_key::Reader key;
        checkPeriodText = DecimalText(key.Read("CheckPeriodNum", 12));
        accelerateNText = DecimalText(key.Read("AccelerateN", 7));
        checkPeriodUnit = static_cast<std::int32_t>(key.Read("CheckPeriodCombo", 0));
        selectedInterface = static_cast<std::int32_t>(key.Read("Network", 0));
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
    // is started or shown.
    char installPath[client_path::kInstallPathSize] = {};
    {
        UniqueKey key;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, clientKeyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
            notInstalled.DoModal();
            return;
        }
        DWORD size = sizeof installPath;
        // A path longer than the buffer fails the query (ERROR_MORE_DATA): nothing happens.
        if (::RegQueryValueExA(key.get(), "Install Path", nullptr, nullptr, reinterpret_cast<BYTE*>(installPath),
                               &size) != ERROR_SUCCESS)
            return;
    }

    const auto executable = client_path::ExecutablePath(installPath, sizeof installPath, config::clientName);
    if (!executable)
        return;

    const HINSTANCE started = ::ShellExecuteA(nullptr, nullptr, executable->c_str(), nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(started) <= 32)
        notInstalled.DoModal();
}
