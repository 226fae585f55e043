// The threads that share the large mesh steps: the calling thread plus a few workers that sleep in
// the kernel between jobs, so that nothing spins while the rasterizer or the rest of the program
// wants the cores. A job runs one function on every thread of the team and returns when all are done.
#pragma once

#include "core/Object.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sv {

class WorkerPool : public Object {
 public:
  // The pool the steps use: as many threads as the machine has cores, or SV_THREADS when it holds a
  // whole number from 1 to kMaxThreads (any other value is named on standard error).
  static WorkerPool& shared();
  static constexpr int kMaxThreads = 256;

  // Starts a thread running body; throws std::system_error when the system refuses, as std::thread does.
  using ThreadStarter = std::thread (*)(std::function<void()> body);
  static std::thread startThread(std::function<void()> body) { return std::thread(std::move(body)); }

  // A pool whose threads cannot all be started keeps those that did (the caller at least) and says so
  // on standard error.
  explicit WorkerPool(int threads, ThreadStarter starter = startThread);
  ~WorkerPool() override;
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int threadCount() const { return threads_; }
  // Clamped to 1 to kMaxThreads; stops the workers and starts the new count. Not while a job runs.
  void setThreadCount(int threads);

  // Calls job(member, team) once on each member of the team, 0 being the calling thread, and returns
  // when every call has returned. A team of one runs on the caller alone. Allocates nothing unless a
  // call throws: then the first error (the caller's own before a worker's) is thrown here once every
  // call has returned, and the pool stays ready for the next job. Callers on several threads take turns.
  template <typename Job>
  void run(Job&& job) {
    runErased([](void* context, int member, int team) { (*static_cast<Job*>(context))(member, team); }, &job);
  }

 private:
  using ErasedJob = void (*)(void* context, int member, int team);

  void runErased(ErasedJob job, void* context);
  void startWorkers(int wanted);
  void stopWorkers();
  void work(int member, std::uint32_t seen);

  ThreadStarter starter_;
  int threads_ = 1;  // written under mutex_ while workers wait, read by the caller and by workers
  std::vector<std::thread> workers_;
  // A new job is announced by a new generation; each worker that finishes it counts pending_ down.
  // All six are read and written under mutex_.
  std::mutex callers_;  // held by the caller whose job is on the way
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::uint32_t generation_ = 0;
  int pending_ = 0;
  bool stopping_ = false;
  ErasedJob job_ = nullptr;
  void* context_ = nullptr;
  std::exception_ptr workerError_;  // the first error a worker met in the job on the way
};

}  // namespace sv
