#pragma once
// The Task Scheduler task that starts the program at logon with administrator rights: its name and
// its definition, kept apart from the scheduler so that both can be checked on their own (the
// uninstaller works the name out the same way, from the executable's path).

#include <cstdint>
#include <string>
#include <string_view>

namespace startup_task {

// "<product> XXXXXXXX": the CRC-32 (the common one, of zlib and of ntdll's RtlComputeCrc32) of the
// executable's full path as UTF-16LE, in eight upper-case hexadecimal digits. The caller gives the
// path upper-cased (CharUpperBuffW), so that the names of one file compare equal: one install, one
// task, whichever way its path was spelled; another folder, another task. A hash and not the path:
// a task's name cannot hold a backslash (it separates the scheduler's folders), and a short one
// reads well in the Task Scheduler.
std::wstring TaskName(std::wstring_view product, std::wstring_view upperCasePath);

struct Definition {
    std::wstring_view userSid;    // the user whose logon starts it and whom it runs as
    std::wstring_view executable; // started with "-tray", as every start at logon is
    std::wstring_view folder;     // its working folder: the executable's
    std::wstring_view product;
};

// The task in the scheduler's XML: a logon trigger for this user only, the highest run level with
// the user's interactive token, no time limit, started and kept on battery power too, at normal
// priority (a program the user starts has it; a task's default is lower), one copy at a time.
std::wstring TaskXml(const Definition& task);

} // namespace startup_task
