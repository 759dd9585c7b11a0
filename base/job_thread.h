#pragma once
// A worker thread that owns its job: the job is handed over whole, so nothing
// the worker uses belongs to whoever started it, and the caller never waits.
#include <windows.h>
#include <process.h>

#include <memory>

template <class Job, void (*Run)(const Job&)>
unsigned __stdcall JobThread(void* arg) {
    const std::unique_ptr<Job> job{static_cast<Job*>(arg)};
    Run(*job);
    return 0;
}

// Runs Run(job) on a thread of its own; false when the thread could not start.
template <class Job, void (*Run)(const Job&)>
bool StartJobThread(Job job) {
    auto owned = std::make_unique<Job>(std::move(job));
    const uintptr_t thread = _beginthreadex(nullptr, 0, JobThread<Job, Run>, owned.get(), 0, nullptr);
    if (!thread) return false;
    owned.release();  // the thread owns it now
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}
