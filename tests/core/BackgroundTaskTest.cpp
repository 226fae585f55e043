// The task runs jobs one after another behind its owner; a job that throws reaches the owner once, at
// its next wait, and the task goes on with the next job.
#include "core/BackgroundTask.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(BackgroundTask, AJobThatThrowsReachesTheOwnerOnceAndTheTaskGoesOn) {
  BackgroundTask task;
  int runs = 0;
  task.start([](void*) { throw std::runtime_error("no memory"); }, nullptr);
  EXPECT_THROW(task.wait(), std::runtime_error);
  EXPECT_NO_THROW(task.wait());
  for (int job = 0; job < 100; ++job) task.start([](void* count) { ++*static_cast<int*>(count); }, &runs);
  task.wait();
  EXPECT_EQ(runs, 100);
  task.start([](void*) { throw std::runtime_error("no memory"); }, nullptr);
  EXPECT_THROW(task.start([](void*) {}, nullptr), std::runtime_error) << "start after a failed job";
}

}  // namespace
}  // namespace sv
