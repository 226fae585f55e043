// The threads that share the large mesh steps: the calling thread plus a few workers that sleep in
// the kernel between jobs, so that nothing spins while the rasterizer or the rest of the program
// wants the cores. A job runs one function on every thread of the team and returns when all are done.
#pragma once

#include "core/Object.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace sv {

class WorkerPool : public Object {
 public:
  // The pool the steps use: as many threads as the machine has cores, or SV_THREADS when it holds a
  // whole number from 1 to kMaxThreads.
  static WorkerPool& shared();
  static constexpr int kMaxThreads = 256;

  explicit WorkerPool(int threads);
  ~WorkerPool() override;
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int threadCount() const { return threads_; }
  // Clamped to 1 to kMaxThreads; stops the workers and starts the new count. Not while a job runs.
  void setThreadCount(int threads);

  // Calls job(member, team) once on each member of the team, 0 being the calling thread, and returns
  // when every call has returned. A team of one runs on the caller alone. Allocates nothing. Callers
  // on several threads take turns.
  template <typename Job>
  void run(Job&& job) {
    runErased([](void* context, int member, int team) { (*static_cast<Job*>(context))(member, team); }, &job);
  }

 private:
  using ErasedJob = void (*)(void* context, int member, int team);

  void runErased(ErasedJob job, void* context);
  void startWorkers();
  void stopWorkers();
  void work(int member, std::uint32_t seen);

  int threads_ = 1;
  std::vector<std::thread> workers_;
  // A new job is announced by a new generation; each worker that finishes it counts pending_ down.
  // All five are read and written under mutex_.
  std::mutex callers_;  // held by the caller whose job is on the way
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::uint32_t generation_ = 0;
  int pending_ = 0;
  bool stopping_ = false;
  ErasedJob job_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace sv
