// A thread of its own that runs one job at a time while its owner goes on: the scene hands it the
// next frame's mesh steps, which then run while the rasterizer finishes the current picture. Between
// jobs it sleeps in the kernel, so a program at rest costs no CPU.
#pragma once

#include "core/Object.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace sv {

class BackgroundTask : public Object {
 public:
  using Job = void (*)(void* context);

  BackgroundTask();            // starts the thread
  ~BackgroundTask() override;  // waits for the job in flight, then stops the thread
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;

  // Runs job(context) on the thread, after waiting for the job started before. Allocates nothing.
  void start(Job job, void* context);
  // Returns once the job started last has returned; at once when there is none.
  void wait();

 private:
  void run();
  void waitForIdle(std::unique_lock<std::mutex>& lock);  // until no job waits or runs

  // All four are read and written under mutex_; job_ is set while a job waits or runs.
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  Job job_ = nullptr;
  void* context_ = nullptr;
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once the rest is ready
};

}  // namespace sv
