// A thread of its own that runs one job at a time while its owner goes on: the scene hands it the
// next frame's mesh steps, which then run while the rasterizer finishes the current picture. Between
// jobs it sleeps in the kernel, so a program at rest costs no CPU.
#pragma once

#include "core/Object.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace sv {

class BackgroundTask : public Object {
 public:
  using Job = void (*)(void* context);

  // Starts the thread. When the system refuses one, the task says so on standard error and runs
  // each job on its owner, within start.
  BackgroundTask();
  ~BackgroundTask() override;  // waits for the job in flight, then stops the thread
  // A job in flight when the process exits is let finish before any static state is destroyed.
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;

  // Runs job(context) on the thread, after waiting for the job started before. Allocates nothing
  // unless a job throws. An error of the job before is thrown here, and the new job is not started.
  void start(Job job, void* context);
  // Returns once the job started last has returned; at once when there is none. Throws the error
  // that job ended with, once; the task stays ready for the next job.
  void wait();

 private:
  static void finishAll();  // at exit: lets every job in flight end and starts no other
  void run();
  void stopThread();                                     // after the job in flight
  void waitForIdle(std::unique_lock<std::mutex>& lock);  // until no job waits or runs
  void takeError(std::unique_lock<std::mutex>& lock);    // throws the last job's error, if any

  // All five are read and written under mutex_; job_ is set while a job waits or runs.
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  Job job_ = nullptr;
  void* context_ = nullptr;
  bool stopping_ = false;
  std::exception_ptr error_;  // what the last job threw, until the owner takes it
  std::thread thread_;        // last: it starts once the rest is ready
};

}  // namespace sv
