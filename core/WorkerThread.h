// Base of the capture and search workers: a thread running Run() and a
// manual-reset stop event.  The event is created signalled, so nothing counts
// as running before Start, which resets it.  The user-interface thread
// requests a stop; the worker polls StopRequested without waiting.
#pragma once

#include "platform/Thread.h"

#include <cstdint>

namespace cataloom {

class WorkerThread {
public:
    WorkerThread();
    virtual ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Resets the stop event and starts the thread; true if it was created.
    bool Start();
    void RequestStop();
    bool StopRequested() const;
    bool IsRunning() const;
    // Blocks until the thread has ended; returns at once if it never started.
    void Wait();
    // Blocks until the thread has ended or `milliseconds` have passed; true
    // if it has ended or never started.
    bool WaitFor(unsigned milliseconds);

protected:
    // The thread's body; its result is the thread's exit code.
    virtual std::uint32_t Run() = 0;
    // Requests a stop and waits for the thread.  A derived class calls it in
    // its destructor, so the thread never runs on a half-destroyed object.
    void StopAndWait();

private:
    static std::uint32_t Entry(void* self);

    platform::ManualResetEvent stop_{true};
    platform::Thread thread_;
};

}  // namespace cataloom
