#pragma once
#include <QObject>
#include <functional>
#include <thread>

// Runs one long window operation (a conversion run, the repair command) on a worker
// thread and tells the window's thread when it has ended. The work must not touch a
// widget; it reaches the window through queued calls only.
class RunThread : public QObject {
public:
    RunThread() = default;
    ~RunThread() override;
    RunThread(const RunThread&) = delete;
    RunThread& operator=(const RunThread&) = delete;

    // Starts the work; `finished` runs on this object's thread after the work has
    // returned and the worker has been joined. Only one work at a time.
    void Start(std::function<void()> work, std::function<void()> finished);
    bool Running() const { return running_; }

private:
    std::thread worker_;
    bool running_ = false;
};
