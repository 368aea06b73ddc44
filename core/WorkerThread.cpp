#include "core/WorkerThread.h"

namespace cataloom {

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() { StopAndWait(); }

bool WorkerThread::Start() {
    if (!stop_.IsValid()) return false;
    stop_.Reset();
    if (thread_.Start(&WorkerThread::Entry, this)) return true;
    stop_.Set();
    return false;
}

void WorkerThread::RequestStop() { stop_.Set(); }

bool WorkerThread::StopRequested() const { return stop_.IsSet(); }

bool WorkerThread::IsRunning() const { return thread_.IsRunning(); }

void WorkerThread::Wait() { thread_.Wait(); }

bool WorkerThread::WaitFor(unsigned milliseconds) { return thread_.WaitFor(milliseconds); }

void WorkerThread::StopAndWait() {
    if (IsRunning()) RequestStop();
    Wait();
}

std::uint32_t WorkerThread::Entry(void* self) { return static_cast<WorkerThread*>(self)->Run(); }

}  // namespace cataloom
