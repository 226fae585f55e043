// Jobs are handed over under one mutex: a new generation wakes the workers, and the last worker to
// finish wakes the caller. Waiting threads sleep on condition variables (a futex on Linux), so an idle
// worker costs no CPU. (The standard library's atomic waits were tried first; the Windows toolchain's
// version can lose a wake-up and leave a step waiting for ever.) An error in a job is caught on the
// thread that met it and thrown to the caller only once every member is done, so no member is left
// working on a job whose caller has gone.
#include "core/WorkerPool.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace sv {

namespace {

int machineThreads() {
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned{WorkerPool::kMaxThreads}));
}

// Digits only: a sign, blanks or a unit would make the count a guess.
bool isWholeNumberOfThreads(const char* text) {
  const std::size_t length = std::strlen(text);
  if (length == 0 || length > 3 || std::strspn(text, "0123456789") != length) return false;
  const int value = std::atoi(text);
  return value >= 1 && value <= WorkerPool::kMaxThreads;
}

int threadsFromEnvironment() {
  const char* text = std::getenv("SV_THREADS");
  if (text == nullptr) return machineThreads();
  if (isWholeNumberOfThreads(text)) return std::atoi(text);
  std::fprintf(stderr, "SV_THREADS=\"%s\" is not a whole number from 1 to %d: using %d threads\n", text,
               WorkerPool::kMaxThreads, machineThreads());
  return machineThreads();
}

}  // namespace

WorkerPool& WorkerPool::shared() {
  static WorkerPool pool(threadsFromEnvironment());
  return pool;
}

WorkerPool::WorkerPool(int threads, ThreadStarter starter) : starter_(starter) { setThreadCount(threads); }

WorkerPool::~WorkerPool() { stopWorkers(); }

// The workers start here rather than with the first job, so that no step ever allocates for them.
void WorkerPool::setThreadCount(int threads) {
  threads = std::clamp(threads, 1, kMaxThreads);
  if (threads == threads_ && static_cast<int>(workers_.size()) == threads - 1) return;
  stopWorkers();
  startWorkers(threads);
}

void WorkerPool::runErased(ErasedJob job, void* context) {
  if (threads_ == 1) {
    job(context, 0, 1);
    return;
  }
  // One job at a time: a second caller waits for its turn rather than overwrite the job on the way.
  const std::lock_guard<std::mutex> turn(callers_);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    job_ = job;
    context_ = context;
    pending_ = threads_ - 1;
    workerError_ = nullptr;
    ++generation_;
  }
  wake_.notify_all();
  std::exception_ptr error;
  try {
    job(context, 0, threads_);
  } catch (...) {
    error = std::current_exception();
  }
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return pending_ == 0; });
  if (!error) error = std::exchange(workerError_, nullptr);
  lock.unlock();
  if (error) std::rethrow_exception(error);
}

// A thread the system refuses (a limit on processes, no memory for its stack) leaves the team smaller.
void WorkerPool::startWorkers(int wanted) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
  }
  workers_.reserve(static_cast<std::size_t>(wanted - 1));
  // Taken here, not by the new thread: a job announced before it first looks must not slip past it.
  const std::uint32_t now = generation_;
  std::string refusal;
  for (int member = 1; member < wanted && refusal.empty(); ++member) {
    try {
      workers_.push_back(starter_([this, member, now] { work(member, now); }));
    } catch (const std::exception& error) {
      refusal = error.what();
    } catch (...) {
      refusal = "unknown error";
    }
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  threads_ = static_cast<int>(workers_.size()) + 1;
  if (!refusal.empty()) {
    std::fprintf(stderr, "only %d of %d threads could be started (%s); going on with those\n", threads_, wanted,
                 refusal.c_str());
  }
}

void WorkerPool::stopWorkers() {
  if (workers_.empty()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    ++generation_;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
}

// A worker starts from the generation it was made in; each later generation is one job, or the stop.
void WorkerPool::work(int member, std::uint32_t seen) {
  for (;;) {
    ErasedJob job = nullptr;
    void* context = nullptr;
    int team = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return generation_ != seen; });
      seen = generation_;
      if (stopping_) return;
      job = job_, context = context_, team = threads_;
    }
    std::exception_ptr error;
    try {
      job(context, member, team);
    } catch (...) {
      error = std::current_exception();
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    if (error && !workerError_) workerError_ = error;
    if (--pending_ == 0) done_.notify_one();
  }
}

}  // namespace sv
