// The job is handed over under one mutex; the thread clears it when done and wakes the owner. An
// error in the job is kept for the owner, who meets it in its next wait or start, on its own thread.
// A process can end while a job runs (the X library calls exit when its display goes away, from
// whatever the main thread was doing): every task finishes its job before exit destroys the static
// state that jobs use, such as the step's tables and the shared WorkerPool.
#include "core/BackgroundTask.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace sv {

namespace {

// Never destroyed, so that finishAll finds it whatever exit has destroyed before.
struct LiveTasks {
  std::mutex mutex;
  std::vector<BackgroundTask*> tasks;
};
LiveTasks& liveTasks() {
  static LiveTasks& live = *new LiveTasks;
  return live;
}

}  // namespace

// Registered with the first task, after the statics its jobs use were made, so exit calls it before
// their destructors.
void BackgroundTask::finishAll() {
  LiveTasks& live = liveTasks();
  const std::lock_guard<std::mutex> lock(live.mutex);
  for (BackgroundTask* task : live.tasks) task->stopThread();  // from here on its owner's jobs run in turn
}

BackgroundTask::BackgroundTask() {
  try {
    thread_ = std::thread(&BackgroundTask::run, this);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "no thread for the work ahead (%s): it runs in turn instead\n", error.what());
    return;
  }
  static const bool finishedAtExit = std::atexit(finishAll) == 0;
  LiveTasks& live = liveTasks();
  const std::lock_guard<std::mutex> lock(live.mutex);
  if (finishedAtExit) live.tasks.push_back(this);
}

BackgroundTask::~BackgroundTask() {
  if (!thread_.joinable()) return;
  {
    LiveTasks& live = liveTasks();
    const std::lock_guard<std::mutex> lock(live.mutex);
    live.tasks.erase(std::remove(live.tasks.begin(), live.tasks.end(), this), live.tasks.end());
  }
  stopThread();
}

void BackgroundTask::stopThread() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    waitForIdle(lock);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void BackgroundTask::start(Job job, void* context) {
  if (!thread_.joinable()) return job(context);
  {
    std::unique_lock<std::mutex> lock(mutex_);
    waitForIdle(lock);
    takeError(lock);
    job_ = job;
    context_ = context;
  }
  wake_.notify_one();
}

void BackgroundTask::wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  waitForIdle(lock);
  takeError(lock);
}

void BackgroundTask::waitForIdle(std::unique_lock<std::mutex>& lock) {
  done_.wait(lock, [this] { return job_ == nullptr; });
}

void BackgroundTask::takeError(std::unique_lock<std::mutex>& lock) {
  if (!error_) return;
  const std::exception_ptr error = std::exchange(error_, nullptr);
  lock.unlock();
  std::rethrow_exception(error);
}

void BackgroundTask::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return job_ != nullptr || stopping_; });
    if (stopping_) return;
    const Job job = job_;
    void* const context = context_;
    lock.unlock();
    std::exception_ptr error;
    try {
      job(context);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    error_ = error;
    job_ = nullptr;
    done_.notify_all();
  }
}

}  // namespace sv
