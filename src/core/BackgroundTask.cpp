// The job is handed over under one mutex; the thread clears it when done and wakes the owner.
#include "core/BackgroundTask.h"

namespace sv {

BackgroundTask::BackgroundTask() : thread_(&BackgroundTask::run, this) {}

BackgroundTask::~BackgroundTask() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    waitForIdle(lock);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void BackgroundTask::start(Job job, void* context) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    waitForIdle(lock);
    job_ = job;
    context_ = context;
  }
  wake_.notify_one();
}

void BackgroundTask::wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  waitForIdle(lock);
}

void BackgroundTask::waitForIdle(std::unique_lock<std::mutex>& lock) {
  done_.wait(lock, [this] { return job_ == nullptr; });
}

void BackgroundTask::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return job_ != nullptr || stopping_; });
    if (stopping_) return;
    const Job job = job_;
    void* const context = context_;
    lock.unlock();
    job(context);
    lock.lock();
    job_ = nullptr;
    done_.notify_all();
  }
}

}  // namespace sv
