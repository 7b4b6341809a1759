#include "framework/Thread.h"

#include <process.h>

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::Start(void* self)
{
    auto* thread = static_cast<CWinThread*>(self);
    const UINT exitCode = thread->procedure_(thread->parameter_);
    if (thread->m_bAutoDelete)
        delete thread;
    return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC procedure, LPVOID parameter, int priority, UINT stackSize, DWORD createFlags)
{
    auto* thread = new CWinThread(procedure, parameter);
    // Started suspended so that the handle is stored before the thread can delete the object.
    unsigned id = 0;
    const uintptr_t handle = ::_beginthreadex(nullptr, stackSize, &CWinThread::Start, thread, CREATE_SUSPENDED, &id);
    if (!handle) {
        delete thread;
        return nullptr;
    }
    thread->m_hThread = reinterpret_cast<HANDLE>(handle);
    thread->m_nThreadID = id;
    ::SetThreadPriority(thread->m_hThread, priority);
    if (!(createFlags & CREATE_SUSPENDED))
        ::ResumeThread(thread->m_hThread);
    return thread;
}
