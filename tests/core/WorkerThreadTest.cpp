#include "core/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace cataloom {
namespace {

// Runs until stopped, counting its polls.
class PollingWorker final : public WorkerThread {
public:
    ~PollingWorker() override { StopAndWait(); }
    std::atomic<int> polls{0};
    std::atomic<bool> sawStop{false};
    std::atomic<bool>* ended = nullptr;  // set as the body returns

protected:
    std::uint32_t Run() override {
        while (!StopRequested()) {
            ++polls;
            std::this_thread::yield();
        }
        sawStop = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (ended) *ended = true;
        return 7;
    }
};

TEST(WorkerThreadTest, StopEventStartsSignalledAndStartResetsIt) {
    PollingWorker worker;
    EXPECT_TRUE(worker.StopRequested());
    EXPECT_FALSE(worker.IsRunning());
    worker.Wait();  // never started: returns at once
    ASSERT_TRUE(worker.Start());
    while (worker.polls < 10) std::this_thread::yield();
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_FALSE(worker.StopRequested());
    worker.RequestStop();
    worker.Wait();
    EXPECT_TRUE(worker.sawStop);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.StopRequested());
    EXPECT_FALSE(worker.Start());  // one thread per worker
}

TEST(WorkerThreadTest, DestroyingARunningWorkerStopsItAndWaits) {
    std::atomic<bool> ended{false};
    auto worker = std::make_unique<PollingWorker>();
    worker->ended = &ended;
    ASSERT_TRUE(worker->Start());
    while (worker->polls == 0) std::this_thread::yield();
    worker.reset();  // must not return while the thread still runs
    EXPECT_TRUE(ended);
}

TEST(WorkerThreadTest, WaitForReturnsWhenTheThreadEndsAndTimesOutWhileItRuns) {
    std::atomic<bool> ended{false};
    PollingWorker worker;
    worker.ended = &ended;
    EXPECT_TRUE(worker.WaitFor(0));  // never started
    ASSERT_TRUE(worker.Start());
    while (worker.polls == 0) std::this_thread::yield();
    EXPECT_FALSE(worker.WaitFor(20));
    EXPECT_TRUE(worker.IsRunning());
    worker.RequestStop();
    // Returns as the body ends (50 ms after the stop), not after the
    // time-out: a wait that slept it out would pass the test's time limit.
    EXPECT_TRUE(worker.WaitFor(3600 * 1000));
    EXPECT_TRUE(ended);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.WaitFor(0));
}

}  // namespace
}  // namespace cataloom
