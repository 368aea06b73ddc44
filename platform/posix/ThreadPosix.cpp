#include "platform/Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace cataloom::platform {

struct ManualResetEvent::State {
    std::atomic<bool> signalled;
};

ManualResetEvent::ManualResetEvent(bool signalled) : state_(new State{{signalled}}) {}
ManualResetEvent::~ManualResetEvent() { delete state_; }
bool ManualResetEvent::IsValid() const { return true; }
void ManualResetEvent::Set() { state_->signalled.store(true); }
void ManualResetEvent::Reset() { state_->signalled.store(false); }
bool ManualResetEvent::IsSet() const { return state_->signalled.load(); }

struct Thread::State {
    std::thread thread;
    std::atomic<bool> running{false};
    bool started = false;
    // Signalled, under the mutex, when the body has returned.
    std::mutex mutex;
    std::condition_variable ended;
};

Thread::Thread() : state_(new State) {}

Thread::~Thread() {
    Wait();
    delete state_;
}

bool Thread::Start(Body body, void* context) {
    if (state_->started) return false;
    state_->started = true;
    state_->running.store(true);
    try {
        state_->thread = std::thread([this, body, context] {
            body(context);
            std::lock_guard<std::mutex> lock(state_->mutex);
            state_->running.store(false);
            state_->ended.notify_all();
        });
    } catch (const std::system_error&) {
        state_->running.store(false);
        return false;
    }
    return true;
}

bool Thread::IsRunning() const { return state_->running.load(); }

void Thread::Wait() {
    if (state_->thread.joinable() && state_->thread.get_id() != std::this_thread::get_id())
        state_->thread.join();
}

bool Thread::WaitFor(unsigned milliseconds) {
    if (state_->thread.joinable() && state_->thread.get_id() == std::this_thread::get_id()) return false;
    std::unique_lock<std::mutex> lock(state_->mutex);
    return state_->ended.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [this] { return !state_->running.load(); });
}

}  // namespace cataloom::platform
