#pragma once
// Worker threads: a procedure with one pointer parameter whose result is the thread's exit code.

#include <windows.h>

using AFX_THREADPROC = UINT (*)(LPVOID);

// A started worker thread. With m_bAutoDelete (the default) the object deletes itself, and closes
// its handle, when the thread ends; nobody may then use it. A caller that wants to wait for the
// thread starts it suspended, clears m_bAutoDelete, resumes it and deletes the object itself.
class CWinThread {
public:
    ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    bool m_bAutoDelete = true;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD);
    CWinThread(AFX_THREADPROC procedure, LPVOID parameter) : procedure_(procedure), parameter_(parameter) {}
    static unsigned __stdcall Start(void* self);

    AFX_THREADPROC procedure_;
    LPVOID parameter_;
};

// Starts procedure(parameter) on a new thread. createFlags may hold CREATE_SUSPENDED.
// Returns null when the thread cannot be made.
CWinThread* AfxBeginThread(AFX_THREADPROC procedure, LPVOID parameter, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0);
