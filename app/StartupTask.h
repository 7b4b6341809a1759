#pragma once
// Start at logon with administrator rights: whether this process has them, and the Task Scheduler
// task that starts this executable elevated at its user's logon (Windows starts no Run entry
// elevated; a task of the highest run level is its one way to do so without a prompt).

#include <windows.h>

#include <string>

namespace startup_task {

// True when the process runs with an elevated token (TokenElevation), the rights that the capture
// and the task need. False where the system cannot tell (no elevation before Windows Vista).
bool RunsElevated();
// Replaces the token's answer and returns the previous query; null brings the token's back. Tests
// make a copy unelevated through it (Wine gives every process an elevated token).
using ElevationQuery = bool (*)();
ElevationQuery SetElevationQuery(ElevationQuery query);

// The task's name for the executable at exePath (its full long path).
std::wstring NameFor(const std::wstring& exePath);
// True when the scheduler has a task of that name, also one this process may not read.
bool Exists(const std::wstring& name);
// Registers the task that starts exePath at this user's logon, replacing one of the same name;
// S_OK or why it could not.
HRESULT Register(const std::wstring& exePath);
HRESULT Delete(const std::wstring& name);

// Hands a task's name and XML definition to the scheduler. Replaced through the setter, which
// returns the previous call (null brings the scheduler's back): tests read the definition there,
// since Wine's scheduler keeps only a task's name.
using RegisterCall = HRESULT (*)(const wchar_t* name, const wchar_t* xml);
RegisterCall SetRegisterCall(RegisterCall call);

} // namespace startup_task
