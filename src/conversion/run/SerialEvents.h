#pragma once
#include <mutex>

#include "conversion/run/RunEvents.h"

// Passes a run's events on one at a time, whichever of the run's threads sends them: the
// listener (the window model, the record) never hears two at once.
class SerialEvents : public RunEvents {
public:
    explicit SerialEvents(RunEvents& listener) : listener_(listener) {}

    void HostsLocated() override {
        Pass([&] { listener_.HostsLocated(); });
    }
    void RunStarted(const std::vector<RunTable>& tables) override {
        Pass([&] { listener_.RunStarted(tables); });
    }
    void RowsEstimated(const std::vector<std::int64_t>& rows) override {
        Pass([&] { listener_.RowsEstimated(rows); });
    }
    void BytesEstimated(const std::vector<std::int64_t>& bytes) override {
        Pass([&] { listener_.BytesEstimated(bytes); });
    }
    void StepStarted(const RunTable& table, RunStep step) override {
        Pass([&] { listener_.StepStarted(table, step); });
    }
    void TableStarted(const RunTable& table, std::int64_t rowTotal) override {
        Pass([&] { listener_.TableStarted(table, rowTotal); });
    }
    void RowsCopied(const RunTable& table, std::int64_t rows) override {
        Pass([&] { listener_.RowsCopied(table, rows); });
    }
    void TableFinished(const RunTable& table, std::int64_t rows, double seconds) override {
        Pass([&] { listener_.TableFinished(table, rows, seconds); });
    }
    void TableFailed(const RunTable& table, const std::string& error) override {
        Pass([&] { listener_.TableFailed(table, error); });
    }
    void TableVerifying(const RunTable& table) override {
        Pass([&] { listener_.TableVerifying(table); });
    }
    void TableVerified(const RunTable& table, const TableCheck& check) override {
        Pass([&] { listener_.TableVerified(table, check); });
    }
    void TableCarried(const RunTable& table, const CopyOutcome& outcome) override {
        Pass([&] { listener_.TableCarried(table, outcome); });
    }
    // Asked only by the thread that runs the operation, with no table in flight: a box that
    // waits for its answer holds no one else up.
    int Question(const std::string& prompt, int style, const std::string& title = {}) override {
        return listener_.Question(prompt, style, title);
    }
    void LogLine(const std::string& line) override {
        Pass([&] { listener_.LogLine(line); });
    }
    void ServerSilent(ServerSide side, std::chrono::system_clock::time_point since) override {
        Pass([&] { listener_.ServerSilent(side, since); });
    }
    void RunFinished(const RunEnd& end) override {
        Pass([&] { listener_.RunFinished(end); });
    }

private:
    template <typename Call>
    void Pass(const Call& call) {
        const std::lock_guard hold(mutex_);
        call();
    }

    RunEvents& listener_;
    std::mutex mutex_;
};
