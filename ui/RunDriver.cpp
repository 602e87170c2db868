#include "RunDriver.h"

#include <cerrno>
#include <exception>
#include <new>
#include <utility>

#include "Errors.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace angoka {
namespace {

// The job gives way to the window's thread when both want the processor, so that the window
// keeps repainting on a busy machine. (On Linux the nice value belongs to the thread.)
void LowerThisThreadsPriority() {
#ifdef __linux__
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
#endif
}

}  // namespace

RunDriver::RunDriver(QObject* parent) : QObject(parent) {}

RunDriver::~RunDriver() {
    CancelAndWait();
}

void RunDriver::Start(Job job, Finished finished) {
    if (worker_.joinable()) worker_.join();  // the previous job has already reported
    finished_ = std::move(finished);
    const std::uint64_t generation = ++generation_;
    done_.store(0);
    total_.store(0);
    worker_ = std::thread([this, generation, job = std::move(job)] {
        LowerThisThreadsPriority();
        Progress progress;
        progress.cancel = &cancel_;
        progress.report = [this](std::uint64_t done, std::uint64_t total) { PostProgress(done, total); };
        Result result;
        try {
            result = job(progress);
        } catch (const std::bad_alloc&) {
            result = {Outcome::IoError, {}, SystemError(ENOMEM)};
        } catch (...) {
            result = {Outcome::InternalError, {}, {}};  // no engine failure escapes as an exception
        }
        QMetaObject::invokeMethod(
            this, [this, generation, result] { OnFinished(generation, result); }, Qt::QueuedConnection);
    });
}

void RunDriver::PostProgress(std::uint64_t done, std::uint64_t total) {
    done_.store(done);
    total_.store(total);
    // Coalesce: while one update waits in the event queue, later ones only refresh the values.
    if (progressPosted_.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            progressPosted_.store(false);
            emit progressed(done_.load(), total_.load());
        },
        Qt::QueuedConnection);
}

void RunDriver::OnFinished(std::uint64_t generation, const Result& result) {
    if (generation != generation_) return;
    if (worker_.joinable()) worker_.join();
    Finished finished = std::move(finished_);
    finished_ = nullptr;
    if (finished) finished(result);
}

void RunDriver::CancelAndWait() {
    cancel_.store(true);
    if (worker_.joinable()) worker_.join();
    ++generation_;
    finished_ = nullptr;
}

}  // namespace angoka
