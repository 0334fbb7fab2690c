#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "conversion/run/RunEvents.h"

// Which server a run's lane waits on now, and since when. Written by the lane's own thread,
// read by the watch's: both fields are atomics, and a reading that mixes a side with the
// time of the call before it is off by one call only.
class LaneActivity {
public:
    using Clock = std::chrono::steady_clock;

    void Await(ServerSide side) {
        since_.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
        side_.store(side, std::memory_order_relaxed);
    }
    void Idle() { side_.store(ServerSide::None, std::memory_order_relaxed); }
    ServerSide Side() const { return side_.load(std::memory_order_relaxed); }
    Clock::time_point Since() const {
        return Clock::time_point(Clock::duration(since_.load(std::memory_order_relaxed)));
    }

private:
    std::atomic<ServerSide> side_{ServerSide::None};
    std::atomic<Clock::rep> since_{0};
};

// Watches the lanes of a run from a thread of its own: once one has waited on a server for
// `limit` without an answer, tells `events` which server and since when, and again when
// every lane moves on. The activities must outlive the watch; none is added once it runs.
class SilenceWatch {
public:
    SilenceWatch(const std::deque<LaneActivity*>& lanes, RunEvents& events, std::chrono::milliseconds limit);
    ~SilenceWatch() = default;  // the thread is asked to stop and joined
    SilenceWatch(const SilenceWatch&) = delete;
    SilenceWatch& operator=(const SilenceWatch&) = delete;

private:
    void Watch(const std::stop_token& token);

    std::deque<LaneActivity*> lanes_;
    RunEvents& events_;
    std::chrono::milliseconds limit_;
    std::mutex mutex_;  // only for the waits between two looks
    std::condition_variable_any wake_;
    std::jthread thread_;  // declared last: started once the rest is set
};
