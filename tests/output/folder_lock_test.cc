#include "output/folder_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "testing/temp_dir.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using testing::temp_dir;
using testing::write_file;

lock_result try_lock(const std::filesystem::path& dir, lock_mode mode,
                     std::chrono::milliseconds wait = 0ms,
                     std::ostream* notice = nullptr) {
  return lock_folder(dir,
                     {.mode = mode, .wait = wait, .waiting_notice = notice});
}

bool empty_folder(const std::filesystem::path& dir) {
  return std::filesystem::directory_iterator(dir) ==
         std::filesystem::directory_iterator();
}

// Each open of the folder is a holder of its own, even in one process.
TEST(folder_lock, writers_exclude_everyone_and_readers_share) {
  const struct {
    lock_mode first, second;
    bool second_gets_it;
  } cases[] = {
      {lock_mode::exclusive, lock_mode::exclusive, false},
      {lock_mode::exclusive, lock_mode::shared, false},
      {lock_mode::shared, lock_mode::exclusive, false},
      {lock_mode::shared, lock_mode::shared, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "first " << static_cast<int>(c.first) << ", second "
                 << static_cast<int>(c.second));
    temp_dir dir;
    lock_result first = try_lock(dir.path(), c.first);
    ASSERT_EQ(first.outcome, lock_outcome::held) << first.message;
    ASSERT_TRUE(first.lock.held());
    lock_result second = try_lock(dir.path(), c.second);
    EXPECT_EQ(second.outcome == lock_outcome::held, c.second_gets_it);
    EXPECT_EQ(second.lock.held(), c.second_gets_it);
    // Once the first lets go, the second mode is free to take.
    first.lock.release();
    second.lock.release();
    EXPECT_EQ(try_lock(dir.path(), c.second).outcome, lock_outcome::held);
    EXPECT_TRUE(empty_folder(dir.path())) << "the lock left a file behind";
  }
}

TEST(folder_lock, waiter_says_so_once_and_gets_the_lock_when_released) {
  temp_dir dir;
  lock_result holder = try_lock(dir.path(), lock_mode::exclusive);
  ASSERT_EQ(holder.outcome, lock_outcome::held);
  std::thread releaser([&] {
    std::this_thread::sleep_for(300ms);
    holder.lock.release();
  });
  std::ostringstream notice;
  const auto start = std::chrono::steady_clock::now();
  lock_result waiter = try_lock(dir.path(), lock_mode::exclusive, 10s, &notice);
  const auto waited = std::chrono::steady_clock::now() - start;
  releaser.join();
  EXPECT_EQ(waiter.outcome, lock_outcome::held) << waiter.message;
  EXPECT_GE(waited, 250ms);
  EXPECT_LT(waited, 5s);
  EXPECT_EQ(notice.str(), "waiting for another run in " + dir.path().string() +
                              " to finish\n");
}

TEST(folder_lock, reader_waiting_for_a_writer_names_the_writer) {
  temp_dir dir;
  lock_result writer = try_lock(dir.path(), lock_mode::exclusive);
  ASSERT_EQ(writer.outcome, lock_outcome::held);
  std::ostringstream notice;
  lock_result reader = try_lock(dir.path(), lock_mode::shared, 50ms, &notice);
  EXPECT_EQ(reader.outcome, lock_outcome::timed_out);
  EXPECT_EQ(notice.str(), "waiting for the run writing into " +
                              dir.path().string() + " to finish\n");
}

TEST(folder_lock, gives_up_after_the_wait_with_a_message_naming_the_folder) {
  temp_dir dir;
  lock_result holder = try_lock(dir.path(), lock_mode::shared);
  ASSERT_EQ(holder.outcome, lock_outcome::held);
  std::ostringstream notice;
  const auto start = std::chrono::steady_clock::now();
  lock_result late = try_lock(dir.path(), lock_mode::exclusive, 200ms, &notice);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(late.outcome, lock_outcome::timed_out);
  EXPECT_FALSE(late.lock.held());
  EXPECT_GE(waited, 200ms);
  EXPECT_LT(waited, 2s);
  EXPECT_EQ(late.message, dir.path().string() +
                              " is still in use by another run after 0.2 s; "
                              "try again later");
  // One line however many times it polled.
  const std::string told = notice.str();
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
}

TEST(folder_lock, zero_wait_tries_once_without_a_waiting_notice) {
  temp_dir dir;
  lock_result holder = try_lock(dir.path(), lock_mode::exclusive);
  std::ostringstream notice;
  lock_result late = try_lock(dir.path(), lock_mode::exclusive, 0ms, &notice);
  EXPECT_EQ(late.outcome, lock_outcome::timed_out);
  EXPECT_EQ(notice.str(), "");
  EXPECT_NE(late.message.find("after 0 s"), std::string::npos) << late.message;
}

TEST(folder_lock, folder_that_cannot_be_opened_fails_with_the_reason) {
  temp_dir dir;
  write_file(dir / "plain", "a file, not a folder");
  const struct {
    std::filesystem::path path;
    const char* reason;
  } cases[] = {
      {dir / "missing", "No such file or directory"},
      {dir / "plain", "Not a directory"},
  };
  for (const auto& c : cases) {
    lock_result r = try_lock(c.path, lock_mode::exclusive, 1s);
    EXPECT_EQ(r.outcome, lock_outcome::failed);
    EXPECT_FALSE(r.lock.held());
    EXPECT_EQ(r.message, "cannot lock " + c.path.string() + ": " + c.reason);
  }
}

// A run killed while it holds the folder does not leave it locked.
TEST(folder_lock, killed_holder_frees_the_folder) {
  temp_dir dir;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    lock_result r = try_lock(dir.path(), lock_mode::exclusive);
    const char held = r.outcome == lock_outcome::held ? 'y' : 'n';
    if (write(ready[1], &held, 1) != 1) _exit(1);
    for (;;) pause();
  }
  close(ready[1]);
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1);
  close(ready[0]);
  ASSERT_EQ(held, 'y');
  EXPECT_EQ(try_lock(dir.path(), lock_mode::shared).outcome,
            lock_outcome::timed_out);
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(try_lock(dir.path(), lock_mode::exclusive).outcome,
            lock_outcome::held);
  EXPECT_TRUE(empty_folder(dir.path()));
}

TEST(folder_lock, moved_lock_is_held_once_and_released_by_its_new_owner) {
  temp_dir dir;
  folder_lock kept;
  {
    lock_result r = try_lock(dir.path(), lock_mode::exclusive);
    ASSERT_TRUE(r.lock.held());
    kept = std::move(r.lock);
    EXPECT_FALSE(r.lock.held());
  }
  EXPECT_TRUE(kept.held());
  EXPECT_EQ(try_lock(dir.path(), lock_mode::shared).outcome,
            lock_outcome::timed_out);
  kept.release();
  EXPECT_EQ(try_lock(dir.path(), lock_mode::shared).outcome,
            lock_outcome::held);
}

}  // namespace
}  // namespace scenario
