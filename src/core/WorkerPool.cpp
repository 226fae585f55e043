// Jobs are handed over through two atomics: the generation wakes the workers, pending counts them
// back. Both waits are the standard library's atomic waits, which spin a few rounds and then sleep
// in the kernel (a futex on Linux), so an idle worker costs no CPU.
#include "core/WorkerPool.h"

#include <algorithm>
#include <cstdlib>
#include <string>

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
  job_ = job;
  context_ = context;
  pending_.store(threads_ - 1, std::memory_order_relaxed);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  job(context, 0, threads_);
  for (int left = pending_.load(std::memory_order_acquire); left != 0;
       left = pending_.load(std::memory_order_acquire)) {
    pending_.wait(left, std::memory_order_acquire);
  }
}

void WorkerPool::startWorkers() {
  stopping_.store(false, std::memory_order_relaxed);
  workers_.reserve(static_cast<std::size_t>(threads_ - 1));
  // Taken here, not by the new thread: a job announced before it first looks must not slip past it.
  const std::uint32_t now = generation_.load(std::memory_order_relaxed);
  for (int member = 1; member < threads_; ++member) workers_.emplace_back(&WorkerPool::work, this, member, now);
}

void WorkerPool::stopWorkers() {
  if (workers_.empty()) return;
  stopping_.store(true, std::memory_order_relaxed);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
}

// A worker starts from the generation it was made in; each later generation is one job, or the stop.
void WorkerPool::work(int member, std::uint32_t seen) {
  for (;;) {
    generation_.wait(seen, std::memory_order_acquire);
    seen = generation_.load(std::memory_order_acquire);
    if (stopping_.load(std::memory_order_relaxed)) return;
    job_(context_, member, threads_);
    if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1) pending_.notify_one();
  }
}

}  // namespace sv
