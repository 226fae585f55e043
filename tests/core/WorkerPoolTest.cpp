// The pool runs each job once on every member of the team, whatever the team size, and a job sees
// everything the jobs before it wrote: the threaded mesh step relies on both.
#include "core/WorkerPool.h"

#include <atomic>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(WorkerPool, EveryMemberRunsEachJobOnceAndSeesTheJobsBefore) {
  WorkerPool pool(0);                 // clamped to the caller alone
  for (int threads : {1, 8, 2, 3}) {  // growing and shrinking
    if (threads > 1) pool.setThreadCount(threads);
    ASSERT_EQ(pool.threadCount(), threads);
    std::vector<int> runs(static_cast<std::size_t>(threads), 0);
    std::atomic<int> wrongTeam{0};
    for (int job = 0; job < 500; ++job) {
      pool.run([&](int member, int team) {
        if (team != threads || runs[static_cast<std::size_t>(member)] != job) ++wrongTeam;
        ++runs[static_cast<std::size_t>(member)];
      });
    }
    EXPECT_EQ(wrongTeam.load(), 0) << threads << " threads";
    EXPECT_EQ(runs, std::vector<int>(static_cast<std::size_t>(threads), 500)) << threads << " threads";
  }
  pool.setThreadCount(WorkerPool::kMaxThreads + 1);
  EXPECT_EQ(pool.threadCount(), WorkerPool::kMaxThreads);
}

// Two threads running jobs on one pool (steps ahead, a caller stepping the mesh itself) take turns.
TEST(WorkerPool, CallersOnTwoThreadsTakeTurns) {
  WorkerPool pool(2);
  std::atomic<int> calls{0};
  auto caller = [&] {
    for (int job = 0; job < 2000; ++job) pool.run([&](int, int) { ++calls; });
  };
  std::thread other(caller);
  caller(), other.join();
  EXPECT_EQ(calls.load(), 2 * 2000 * 2);
}

// Threads the system refuses leave a team of those it gave and the caller, which runs every job.
TEST(WorkerPool, ThreadsTheSystemRefusesLeaveAWorkingSmallerTeam) {
  static std::atomic<int> allowed;
  const WorkerPool::ThreadStarter limited = [](std::function<void()> body) {
    if (--allowed < 0) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return WorkerPool::startThread(std::move(body));
  };
  for (int started : {0, 2}) {
    allowed = started;
    WorkerPool pool(8, limited);
    ASSERT_EQ(pool.threadCount(), started + 1);
    std::atomic<int> calls{0};
    for (int job = 0; job < 100; ++job) pool.run([&](int, int team) { calls += team; });
    EXPECT_EQ(calls.load(), 100 * (started + 1) * (started + 1));
  }
}

// A member that throws (the caller or a worker): run throws once all are done; the next job runs on all.
TEST(WorkerPool, AJobThatThrowsReachesTheCallerOnceAndTheNextJobRunsComplete) {
  WorkerPool pool(3);
  for (int thrower : {0, 2}) {
    std::atomic<int> finished{0};
    EXPECT_THROW(pool.run([&](int member, int) {
      if (member == thrower) throw std::runtime_error("no memory");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ++finished;
    }),
                 std::runtime_error);
    EXPECT_EQ(finished.load(), 2) << "a member was still at work when run returned";
    std::atomic<int> members{0};
    pool.run([&](int, int) { ++members; });
    EXPECT_EQ(members.load(), 3);
  }
}

}  // namespace
}  // namespace sv
