#pragma once
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

// The time a run has left, from what it has measured of itself: how many rows and bytes a
// copy lane gets through in a second of its work, how long the comparison takes per row and
// byte, and the sizes of the tables still to go. A table's time is taken as the mean of what
// its rows and what its bytes would take at those paces (a narrow table costs per row, a wide
// one per byte); the tables still waiting are dealt to the lanes as the run deals them (the
// biggest first, each to the lane free first), and the comparisons follow each copied table
// one after another.
// Seconds from one steady-clock mark to another, never negative.
inline double SecondsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::max(0.0, std::chrono::duration<double>(to - from).count());
}

class TimeLeft {
public:
    using Clock = std::chrono::steady_clock;

    // The run's tables, in list order.
    void Begin(std::size_t tables, bool verifyOnly, Clock::time_point now);
    void Rows(std::size_t table, std::int64_t rows) { tables_.at(table).rows = rows; }
    void Bytes(std::size_t table, std::int64_t bytes) { tables_.at(table).bytes = bytes; }
    // A copy lane took the table (to empty it or to copy its rows); it left it (copied or failed).
    void Taken(std::size_t table, Clock::time_point now);
    void Copied(std::size_t table, std::int64_t rows) { tables_.at(table).rowsDone += rows; }
    void Left(std::size_t table, bool copied, Clock::time_point now);
    // The table was handed to the comparison, and what the comparison took.
    void Comparing(std::size_t table, Clock::time_point now);
    void Compared(std::size_t table, std::int64_t rows, double seconds, Clock::time_point now);
    void Ended() { ended_ = true; }

    // The seconds of work left, given the rows of the tables on the lanes copied by now
    // (the window's bar may be ahead of this copy); -1 while nothing has been measured yet.
    // `onLanes` is set to the time left of the tables being copied.
    double SecondsLeft(std::int64_t onLaneRowsDone, Clock::time_point now, double* onLanes = nullptr) const;

private:
    enum class Stage { Waiting, OnLane, Copied, Out };
    struct Table {
        std::int64_t rows = 0, bytes = 0, rowsDone = 0;
        Stage stage = Stage::Waiting;
        bool compared = false;
        Clock::time_point handedOver{};  // to the comparison
    };
    struct Pace {
        double rows = 0, bytes = 0;  // per second
        double Seconds(const Table& table) const;
    };

    void Advance(Clock::time_point now);
    double CompareEnd(const std::vector<double>& ready, const Pace& pace, Clock::time_point now) const;

    std::vector<Table> tables_;
    bool verifyOnly_ = false, ended_ = false;
    bool comparedApart_ = false;   // compared beside the copy, not on the copy lanes
    int onLanes_ = 0, lanes_ = 0;  // tables on the lanes now, and the most seen at once
    double laneSeconds_ = 0;       // the lanes' working time up to `at_`
    Clock::time_point at_{};
    double compareSeconds_ = 0;  // what the comparisons took
    std::int64_t rowsCompared_ = 0, bytesCompared_ = 0;
    Clock::time_point lastCompared_{};
};
