#include "conversion/run/TimeLeft.h"

#include <algorithm>

double TimeLeft::Pace::Seconds(const Table& table) const {
    if (rows <= 0) return 0;
    const double byRows = static_cast<double>(table.rows) / rows;
    if (bytes <= 0 || table.bytes <= 0) return byRows;
    return (byRows + static_cast<double>(table.bytes) / bytes) / 2;
}

void TimeLeft::Begin(std::size_t tables, bool verifyOnly, Clock::time_point now) {
    *this = TimeLeft{};
    tables_.resize(tables);
    verifyOnly_ = verifyOnly;
    at_ = now;
}

// The lanes' working time counts only while they hold a table: a lane left without one at
// the end does not slow the pace down.
void TimeLeft::Advance(Clock::time_point now) {
    laneSeconds_ += onLanes_ * SecondsBetween(at_, now);
    at_ = now;
}

void TimeLeft::Taken(std::size_t table, Clock::time_point now) {
    Table& taken = tables_.at(table);
    if (taken.stage != Stage::Waiting) return;
    Advance(now);
    taken.stage = Stage::OnLane;
    lanes_ = std::max(lanes_, ++onLanes_);
}

void TimeLeft::Left(std::size_t table, bool copied, Clock::time_point now) {
    Table& left = tables_.at(table);
    if (left.stage == Stage::OnLane) {
        Advance(now);
        --onLanes_;
    }
    left.stage = copied ? Stage::Copied : Stage::Out;
    if (copied) left.rowsDone = std::max(left.rowsDone, left.rows);
}

void TimeLeft::Comparing(std::size_t table, Clock::time_point now) {
    Table& compared = tables_.at(table);
    // Handed over once copied: the comparison goes on beside the copy of the next tables.
    if (compared.stage == Stage::Copied) comparedApart_ = true;
    compared.handedOver = now;
}

void TimeLeft::Compared(std::size_t table, std::int64_t rows, double seconds, Clock::time_point now) {
    Table& compared = tables_.at(table);
    if (compared.compared) return;
    compared.compared = true;
    compareSeconds_ += seconds;
    rowsCompared_ += rows;
    bytesCompared_ += compared.bytes;
    lastCompared_ = now;
}

// When the last comparison ends, each table compared once it is ready (`ready`: seconds from
// now), one after another; the one being compared now has been at it since the one before ended.
double TimeLeft::CompareEnd(const std::vector<double>& ready, const Pace& pace, Clock::time_point now) const {
    std::vector<std::size_t> queue;
    for (std::size_t i = 0; i < tables_.size(); ++i)
        if (!tables_[i].compared && tables_[i].stage != Stage::Out) queue.push_back(i);
    std::ranges::stable_sort(queue, {}, [&](std::size_t i) { return ready[i]; });
    double end = 0;
    bool first = true;
    for (const std::size_t i : queue) {
        double seconds = pace.Seconds(tables_[i]);
        if (first && tables_[i].handedOver != Clock::time_point{})
            seconds = std::max(0.0, seconds - SecondsBetween(std::max(tables_[i].handedOver, lastCompared_), now));
        first = false;
        end = std::max(end, ready[i]) + seconds;
    }
    return end;
}

double TimeLeft::SecondsLeft(std::int64_t onLaneRowsDone, Clock::time_point now, double* onLanes) const {
    if (onLanes) *onLanes = 0;
    if (ended_) return -1;
    const Pace comparePace{compareSeconds_ > 0 ? static_cast<double>(rowsCompared_) / compareSeconds_ : 0,
                           compareSeconds_ > 0 ? static_cast<double>(bytesCompared_) / compareSeconds_ : 0};
    std::vector<double> ready(tables_.size(), 0);
    if (verifyOnly_) return compareSeconds_ > 0 ? CompareEnd(ready, comparePace, now) : -1;

    // The rows of the tables on the lanes as the caller has seen them, spread over those
    // tables by what each has left.
    std::int64_t seen = 0, leftOnLanes = 0;
    for (const Table& table : tables_)
        if (table.stage == Stage::OnLane) {
            seen += table.rowsDone;
            leftOnLanes += std::max<std::int64_t>(0, table.rows - table.rowsDone);
        }
    const std::int64_t ahead = std::clamp<std::int64_t>(onLaneRowsDone - seen, 0, leftOnLanes);
    std::vector<double> done(tables_.size(), 0);  // the part of each table copied
    double rows = 0, bytes = 0;
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        const Table& table = tables_[i];
        if (table.stage == Stage::Waiting) continue;
        double copied = static_cast<double>(table.rowsDone);
        if (table.stage == Stage::OnLane && leftOnLanes > 0)
            copied += static_cast<double>(ahead) * static_cast<double>(table.rows - table.rowsDone) /
                      static_cast<double>(leftOnLanes);
        done[i] = table.rows > 0 ? std::min(1.0, copied / static_cast<double>(table.rows)) : 1;
        rows += copied;
        bytes += done[i] * static_cast<double>(table.bytes);
    }
    const double laneSeconds = laneSeconds_ + onLanes_ * SecondsBetween(at_, now);
    if (laneSeconds <= 0 || rows <= 0) return -1;
    const Pace copyPace{rows / laneSeconds, bytes / laneSeconds};

    // The lanes: those with a table are free once it is copied, then take the waiting tables.
    std::vector<double> free;
    std::vector<std::size_t> waiting;
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if (tables_[i].stage == Stage::Waiting) waiting.push_back(i);
        if (tables_[i].stage != Stage::OnLane) continue;
        ready[i] = copyPace.Seconds(tables_[i]) * (1 - done[i]);
        free.push_back(ready[i]);
        if (onLanes) *onLanes = std::max(*onLanes, ready[i]);
    }
    free.resize(std::max<std::size_t>(free.size(), static_cast<std::size_t>(std::max(1, lanes_))), 0);
    if (free.size() > 1)
        std::ranges::stable_sort(waiting, std::greater{}, [&](std::size_t i) { return tables_[i].rows; });
    for (const std::size_t i : waiting) {
        double& lane = *std::ranges::min_element(free);
        lane += copyPace.Seconds(tables_[i]);
        ready[i] = lane;
    }
    const double copyEnd = *std::ranges::max_element(free);
    if (!comparedApart_ || compareSeconds_ <= 0) return copyEnd;
    return std::max(copyEnd, CompareEnd(ready, comparePace, now));
}
