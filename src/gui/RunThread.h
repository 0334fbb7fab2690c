#pragma once
#include <QObject>
#include <functional>
#include <thread>

// Runs one long window operation (a conversion run, the repair command) on a worker
// thread and tells the window's thread when it has ended. The work must not touch a
// widget; it reaches the window through queued calls only. Destroying the object (the
// program quits) never waits on a question: the worker's questions are answered as
// cancelled, and the work, told to stop by its owner, winds down and is joined.
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
    // Answers the worker's questions as cancelled and waits for the work to return;
    // `finished` is not called. The owner asks the work to stop first.
    void EndOnQuit();

private:
    std::thread worker_;
    bool running_ = false;
};
