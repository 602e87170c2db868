#pragma once
// Runs one file job at a time on a worker thread and brings its progress and its result back
// to the window's thread. The job gets a Progress whose cancel flag is this driver's; the
// window's handlers never block on the job, except when the window closes (CancelAndWait).
#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "CodecTypes.h"

namespace angoka {

class RunDriver : public QObject {
    Q_OBJECT
public:
    using Job = std::function<Result(const Progress&)>;
    using Finished = std::function<void(const Result&)>;

    explicit RunDriver(QObject* parent = nullptr);
    ~RunDriver() override;  // cancels and waits for a job still running

    // Clears the cancel flag for a new run (a run may take several jobs).
    void NewRun() { cancel_.store(false); }
    // Starts `job` on a worker thread; `finished` runs on this object's thread afterwards,
    // from the event loop. Only one job at a time.
    void Start(Job job, Finished finished);
    // Asks the job to stop at its next check; it ends with Outcome::Cancelled.
    void Cancel() { cancel_.store(true); }
    bool CancelRequested() const { return cancel_.load(); }
    // Cancels the job, waits until its thread has ended, and drops its result: `finished`
    // is not called. Used when the window goes away.
    void CancelAndWait();
    bool Working() const { return worker_.joinable(); }

signals:
    // Bytes done and total of the current job, at most one pending at a time.
    void progressed(quint64 done, quint64 total);

private:
    void PostProgress(std::uint64_t done, std::uint64_t total);
    void OnFinished(std::uint64_t generation, const Result& result);

    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::uint64_t> done_{0}, total_{0};
    std::atomic<bool> progressPosted_{false};
    std::uint64_t generation_ = 0;  // a job's result is dropped when this has moved on
    Finished finished_;
};

}  // namespace angoka
