// Reading a scenario while a run writes into its folder: the reader waits
// for the run and reads its whole set, or gives up with status 75.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "decoding/decoder.h"
#include "output/folder_lock.h"
#include "testing/compiled_scenarios.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using testing::temp_dir;

TEST(decoder_lock, waits_for_the_writing_run_and_reads_its_whole_set) {
  temp_dir dir;
  // A run holds the folder and has not written its files yet: read without
  // the lock, the folder would look empty.
  lock_result run = lock_folder(dir.path(), {.wait = 0ms});
  ASSERT_EQ(run.outcome, lock_outcome::held) << run.message;
  std::thread writer([&] {
    std::this_thread::sleep_for(300ms);
    testing::write_every_kind(dir.path(), "Valle", "R 12");
    run.lock.release();
  });
  std::ostringstream notice;
  scenario_model read;
  const decode_result r = decode_scenario(dir.path(), "Valle", "R 12", read,
                                          {.wait = 20s, .notice = &notice});
  writer.join();
  ASSERT_TRUE(r.ok()) << r.message;
  scenario_model compiled;
  testing::compile_every_kind(compiled, "Valle", "R 12");
  EXPECT_EQ(read.voci, compiled.voci);
  EXPECT_EQ(read.celle, compiled.celle);
  EXPECT_EQ(read.con_tracciato, 1);
  EXPECT_EQ(notice.str(), "waiting for the run writing into " +
                              dir.path().string() + " to finish\n");
}

TEST(decoder_lock, a_run_holding_the_folder_past_the_wait_gives_75) {
  temp_dir dir;
  testing::write_every_kind(dir.path(), "Valle", "R 12");
  lock_result run = lock_folder(dir.path(), {.wait = 0ms});
  ASSERT_EQ(run.outcome, lock_outcome::held) << run.message;
  scenario_model m;
  const decode_result r =
      decode_scenario(dir.path(), "Valle", "R 12", m, {.wait = 100ms});
  EXPECT_EQ(r.status, decode_busy);
  EXPECT_EQ(r.status, 75);
  EXPECT_EQ(r.message, dir.path().string() +
                           " is still in use by another run after 0.1 s; try "
                           "again later");
  // Readers share the folder with each other.
  run.lock.release();
  lock_result other_reader =
      lock_folder(dir.path(), {.mode = lock_mode::shared, .wait = 0ms});
  ASSERT_TRUE(other_reader.lock.held());
  EXPECT_TRUE(
      decode_scenario(dir.path(), "Valle", "R 12", m, {.wait = 0ms}).ok());
}

TEST(decoder_lock, a_missing_folder_is_still_a_missing_file) {
  temp_dir dir;
  scenario_model m;
  const decode_result r =
      decode_scenario(dir / "nowhere", "Valle", "R 12", m, {.wait = 0ms});
  EXPECT_EQ(r.status, decode_missing);
  EXPECT_NE(r.message.find("No such file or directory"), std::string::npos)
      << r.message;
}

}  // namespace
}  // namespace scenario
