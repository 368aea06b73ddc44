// Threads and events for the workers (capture and search): a manual-reset
// event that the user-interface thread signals and the worker polls, and a
// thread that runs one function.  Windows uses CreateEventA / CreateThread,
// Linux std::thread with atomics.
#pragma once

#include <cstdint>

namespace cataloom::platform {

// A manual-reset event: stays signalled until Reset.
class ManualResetEvent {
public:
    explicit ManualResetEvent(bool signalled);
    ~ManualResetEvent();
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    bool IsValid() const;
    void Set();
    void Reset();
    // A wait with zero time-out: true while the event is signalled.
    bool IsSet() const;

private:
    struct State;
    State* state_;
};

// One thread running `body(context)`; its result is the thread's exit code.
class Thread {
public:
    using Body = std::uint32_t (*)(void* context);

    Thread();
    // Waits for a running thread to end: the thread must never outlive the
    // objects its body uses.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False if a thread was started already or cannot be created.
    bool Start(Body body, void* context);
    // True between a successful Start and the end of the body.
    bool IsRunning() const;
    // Blocks until the body has returned; returns at once if never started.
    void Wait();
    // Blocks until the body has returned or `milliseconds` have passed;
    // true if it has returned or was never started.  On the thread itself
    // it returns false at once.
    bool WaitFor(unsigned milliseconds);

private:
    struct State;
    State* state_;
};

}  // namespace cataloom::platform
