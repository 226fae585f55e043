// Jobs are handed over under one mutex: a new generation wakes the workers, and the last worker to
// finish wakes the caller. Waiting threads sleep on condition variables (a futex on Linux), so an idle
// worker costs no CPU. (The standard library's atomic waits were tried first; the Windows toolchain's
// version can lose a wake-up and leave a step waiting for ever.)
#include "core/WorkerPool.h"

#include <algorithm>
#include <cstdlib>

namespace sv {

namespace {

int threadsFromEnvironment() {
  if (const char* text = std::getenv("SV_THREADS")) {
    char* end = nullptr;
    const long wanted = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && wanted >= 1 && wanted <= WorkerPool::kMaxThreads)
      return static_cast<int>(wanted);
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

WorkerPool& WorkerPool::shared() {
  static WorkerPool pool(threadsFromEnvironment());
  return pool;
}

WorkerPool::WorkerPool(int threads) { setThreadCount(threads); }

WorkerPool::~WorkerPool() { stopWorkers(); }

// The workers start here rather than with the first job, so that no step ever allocates for them.
void WorkerPool::setThreadCount(int threads) {
  threads = std::clamp(threads, 1, kMaxThreads);
  if (threads == threads_ && static_cast<int>(workers_.size()) == threads - 1) return;
  stopWorkers();
  threads_ = threads;
  startWorkers();
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
    ++generation_;
  }
  wake_.notify_all();
  job(context, 0, threads_);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return pending_ == 0; });
}

void WorkerPool::startWorkers() {
  stopping_ = false;
  // Taken here, not by the new thread: a job announced before it first looks must not slip past it.
  const std::uint32_t now = generation_;
  for (int member = 1; member < threads_; ++member) workers_.emplace_back(&WorkerPool::work, this, member, now);
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
    job(context, member, team);
    const std::lock_guard<std::mutex> lock(mutex_);
    if (--pending_ == 0) done_.notify_one();
  }
}

}  // namespace sv
