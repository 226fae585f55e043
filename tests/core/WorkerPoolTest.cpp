// The pool runs each job once on every member of the team, whatever the team size, and a job sees
// everything the jobs before it wrote: the threaded mesh step relies on both.
#include "core/WorkerPool.h"

#include <atomic>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(WorkerPool, EveryMemberRunsEachJobOnceAndSeesTheJobsBefore) {
  for (int threads : {1, 2, 3, 8}) {
    WorkerPool pool(threads);
    ASSERT_EQ(pool.threadCount(), threads);
    std::vector<int> runs(static_cast<std::size_t>(threads), 0);
    std::atomic<int> wrongTeam{0};
    for (int job = 0; job < 500; ++job) {
      // Each member checks the count the previous job left before adding its own.
      pool.run([&](int member, int team) {
        if (team != threads || runs[static_cast<std::size_t>(member)] != job) ++wrongTeam;
        ++runs[static_cast<std::size_t>(member)];
      });
    }
    EXPECT_EQ(wrongTeam.load(), 0) << threads << " threads";
    EXPECT_EQ(runs, std::vector<int>(static_cast<std::size_t>(threads), 500)) << threads << " threads";
  }
}

TEST(WorkerPool, ThreadCountIsClampedAndCanChange) {
  WorkerPool pool(0);
  EXPECT_EQ(pool.threadCount(), 1);
  pool.setThreadCount(WorkerPool::kMaxThreads + 1);
  EXPECT_EQ(pool.threadCount(), WorkerPool::kMaxThreads);
  pool.setThreadCount(2);
  int calls = 0;
  std::atomic<int> members{0};
  pool.run([&](int member, int) { member == 0 ? ++calls : ++members; });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(members.load(), 1);
}

}  // namespace
}  // namespace sv
