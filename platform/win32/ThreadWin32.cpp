#include "platform/Thread.h"

#include <windows.h>

namespace cataloom::platform {

struct ManualResetEvent::State {
    HANDLE event = nullptr;
};

ManualResetEvent::ManualResetEvent(bool signalled) : state_(new State) {
    state_->event = CreateEventA(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr);
}

ManualResetEvent::~ManualResetEvent() {
    if (state_->event != nullptr) CloseHandle(state_->event);
    delete state_;
}

bool ManualResetEvent::IsValid() const { return state_->event != nullptr; }
void ManualResetEvent::Set() {
    if (state_->event != nullptr) SetEvent(state_->event);
}
void ManualResetEvent::Reset() {
    if (state_->event != nullptr) ResetEvent(state_->event);
}
// Without an event nothing can be stopped safely: report a stop.
bool ManualResetEvent::IsSet() const {
    return state_->event == nullptr || WaitForSingleObject(state_->event, 0) == WAIT_OBJECT_0;
}

struct Thread::State {
    HANDLE thread = nullptr;
    DWORD id = 0;
    Body body = nullptr;
    void* context = nullptr;

    static DWORD WINAPI Entry(LPVOID parameter) {
        auto* self = static_cast<State*>(parameter);
        return self->body(self->context);
    }
};

Thread::Thread() : state_(new State) {}

Thread::~Thread() {
    Wait();
    if (state_->thread != nullptr) CloseHandle(state_->thread);
    delete state_;
}

bool Thread::Start(Body body, void* context) {
    if (state_->thread != nullptr || body == nullptr) return false;
    state_->body = body;
    state_->context = context;
    state_->thread = CreateThread(nullptr, 0, &State::Entry, state_, 0, &state_->id);
    return state_->thread != nullptr;
}

bool Thread::IsRunning() const {
    return state_->thread != nullptr && WaitForSingleObject(state_->thread, 0) == WAIT_TIMEOUT;
}

void Thread::Wait() {
    if (state_->thread != nullptr && state_->id != GetCurrentThreadId())
        WaitForSingleObject(state_->thread, INFINITE);
}

bool Thread::WaitFor(unsigned milliseconds) {
    if (state_->thread == nullptr) return true;
    if (state_->id == GetCurrentThreadId()) return false;
    return WaitForSingleObject(state_->thread, milliseconds) != WAIT_TIMEOUT;
}

}  // namespace cataloom::platform
