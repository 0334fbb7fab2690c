#include "conversion/run/SilenceWatch.h"

#include <algorithm>

SilenceWatch::SilenceWatch(const std::deque<LaneActivity*>& lanes, RunEvents& events, std::chrono::milliseconds limit)
    : lanes_(lanes), events_(events), limit_(limit), thread_([this](const std::stop_token& token) { Watch(token); }) {}

void SilenceWatch::Watch(const std::stop_token& token) {
    using Clock = LaneActivity::Clock;
    const auto between = std::clamp(limit_ / 4, std::chrono::milliseconds(50), std::chrono::milliseconds(1000));
    ServerSide told = ServerSide::None;
    Clock::time_point toldSince{};
    while (!token.stop_requested()) {
        {
            std::unique_lock hold(mutex_);
            wake_.wait_for(hold, token, between, [] { return false; });
        }
        if (token.stop_requested()) return;
        // The lane that has waited longest on one server.
        ServerSide side = ServerSide::None;
        Clock::time_point since = Clock::now();
        for (const LaneActivity* lane : lanes_) {
            const ServerSide waiting = lane->Side();
            const Clock::time_point from = lane->Since();
            if (waiting != ServerSide::None && from < since) {
                side = waiting;
                since = from;
            }
        }
        const Clock::time_point now = Clock::now();
        if (side != ServerSide::None && now - since >= limit_) {
            if (side == told && since == toldSince) continue;
            told = side;
            toldSince = since;
            const auto wall = std::chrono::system_clock::now() -
                              std::chrono::duration_cast<std::chrono::system_clock::duration>(now - since);
            events_.ServerSilent(side, wall);
        } else if (told != ServerSide::None) {
            told = ServerSide::None;
            events_.ServerSilent(ServerSide::None, {});
        }
    }
}
