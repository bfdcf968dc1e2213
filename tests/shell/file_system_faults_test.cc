// File-system faults met by the program and by `scenario compile`: each one
// ends with status 4 and a message naming the file and the system's reason,
// leaves the earlier outputs as they were and no temporary file behind.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sources/sources.h"
#include "testing/pinned_files.h"
#include "testing/process.h"
#include "testing/sha256.h"
#include "testing/temp_dir.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::process_result;
using testing::read_file;
using testing::temp_dir;
using testing::write_file;

const char* const plan_name = "Tarvena_Olmisco_linea.dat";
const char* const entries_name = "Tarvena_Olmisco_IR 4518.sim";
const char* const cells_name = "Tarvena_Olmisco_IR 4518.dat";

std::set<std::string> names_in(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// Name and content of every file in `dir`: what "left as it was" compares.
std::map<std::string, std::string> contents_of(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    files[e.path().filename().string()] =
        e.is_directory() ? "(folder)" : read_file(e.path());
  }
  return files;
}

// Permissions hold only for a user without root's rights: a process that
// drops them needs to reach the folder.
void open_to_everyone(const fs::path& dir) {
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0) << std::strerror(errno);
}

// The program copied into a folder of its own, after one clean run there:
// those are the earlier outputs every fault must leave alone.
struct program_after_a_run {
  temp_dir dir;
  fs::path program = dir / "scenario_builder";

  program_after_a_run() {
    open_to_everyone(dir.path());
    fs::copy_file(SCENARIO_BUILDER_PATH, program);
    const process_result r = run();
    EXPECT_EQ(r.status, 0) << r.err;
  }
  process_result run(bool without_root = false) const {
    return testing::run_program({program.string()},
                                {.without_root = without_root});
  }
  std::string failure(const std::string& name, const char* reason) const {
    return "Attendere\nerror: cannot write " + (dir / name).string() + ": " +
           reason + "\n";
  }
};

TEST(builder_faults, read_only_folder) {
  program_after_a_run f;
  const auto before = contents_of(f.dir.path());
  ASSERT_EQ(chmod(f.dir.path().c_str(), 0555), 0);
  const process_result r = f.run(/*without_root=*/true);
  ASSERT_EQ(chmod(f.dir.path().c_str(), 0755), 0);
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err, f.failure("Tarvena_Olmisco_linea.txt", "Permission denied"));
  EXPECT_EQ(contents_of(f.dir.path()), before);
}

// A folder standing where any of the run's eight files goes: the texts
// before it are rewritten with the same bytes, nothing after it changes,
// the descriptions never stay, and a binary file's folder keeps all three
// earlier binary files.
TEST(builder_faults, a_folder_in_place_of_each_file) {
  const char* const names[] = {
      "Tarvena_Olmisco_linea.txt",
      "Tarvena_Olmisco_IR 4518-.txt",
      "Tarvena_Olmisco_IR 4518_note.txt",
      "Tarvena_Olmisco_IR 4518_rallentamenti.txt",
      "Tarvena_Olmisco_IR 4518_scheda_treno.txt",
      plan_name,
      entries_name,
      cells_name,
  };
  for (const char* taken : names) {
    SCOPED_TRACE(taken);
    program_after_a_run f;
    fs::remove(f.dir / taken);
    fs::create_directory(f.dir / taken);
    write_file(f.dir / taken / "inside", "kept");
    const auto before = contents_of(f.dir.path());
    const process_result r = f.run();
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, f.failure(taken, "Is a directory"));
    EXPECT_EQ(contents_of(f.dir.path()), before);
    EXPECT_EQ(read_file(f.dir / taken / "inside"), "kept");
  }
}

// The build's own descriptions, the tool copied beside them (so that a user
// without root's rights can run it) and an output folder holding an earlier
// set of binary files.
struct compile_setup {
  temp_dir dir;
  fs::path tool = dir / "scenario";
  fs::path out;
  std::vector<std::string> args;

  explicit compile_setup(const fs::path& out_dir = {}) {
    open_to_everyone(dir.path());
    fs::copy_file(SCENARIO_TOOL_PATH, tool);
    file_failure failure;
    EXPECT_TRUE(dati_linea(dir.path(), "Tarvena_Olmisco", &failure));
    EXPECT_TRUE(dati_treno(dir.path(), "Tarvena_Olmisco", "IR 4518", &failure));
    out = out_dir.empty() ? dir / "out" : out_dir;
    args = {tool.string(),
            "compile",
            linea_txt_path(dir.path(), "Tarvena_Olmisco").string(),
            treno_txt_path(dir.path(), "Tarvena_Olmisco", "IR 4518").string(),
            "-o",
            out.string()};
  }
  void write_earlier_set() const {
    fs::create_directories(out);
    open_to_everyone(out);
    for (const char* name : {plan_name, entries_name, cells_name}) {
      write_file(out / name, std::string("earlier ") + name);
    }
  }
  void expect_earlier_set() const {
    for (const char* name : {plan_name, entries_name, cells_name}) {
      EXPECT_EQ(read_file(out / name), std::string("earlier ") + name) << name;
    }
    EXPECT_EQ(names_in(out),
              (std::set<std::string>{plan_name, entries_name, cells_name}))
        << "a temporary file was left behind";
  }
  process_result run(std::vector<std::string> extra = {},
                     testing::process_options options = {}) const {
    std::vector<std::string> all = args;
    all.insert(all.end(), extra.begin(), extra.end());
    return testing::run_program(all, options);
  }
  std::string failure(const char* name, const char* reason) const {
    return "error: cannot write " + (out / name).string() + ": " + reason +
           "\n";
  }
};

TEST(compile_faults, read_only_output_folder) {
  compile_setup f;
  f.write_earlier_set();
  ASSERT_EQ(chmod(f.out.c_str(), 0555), 0);
  const process_result r = f.run({}, {.without_root = true});
  ASSERT_EQ(chmod(f.out.c_str(), 0755), 0);
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err, f.failure(plan_name, "Permission denied"));
  f.expect_earlier_set();
}

TEST(compile_faults, a_folder_in_place_of_each_binary_file) {
  for (const char* taken : {plan_name, entries_name, cells_name}) {
    SCOPED_TRACE(taken);
    compile_setup f;
    f.write_earlier_set();
    fs::remove(f.out / taken);
    fs::create_directory(f.out / taken);
    const process_result r = f.run();
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, f.failure(taken, "Is a directory"));
    EXPECT_TRUE(fs::is_directory(f.out / taken));
    for (const char* name : {plan_name, entries_name, cells_name}) {
      if (name == taken) continue;
      EXPECT_EQ(read_file(f.out / name), std::string("earlier ") + name);
    }
    EXPECT_EQ(names_in(f.out).size(), 3u) << "a temporary file was left";
  }
}

TEST(compile_faults, output_folder_that_cannot_be_created) {
  compile_setup f;
  write_file(f.dir / "a_file", "not a folder");
  fs::create_directory(f.dir / "locked");
  ASSERT_EQ(chmod((f.dir / "locked").c_str(), 0555), 0);
  const struct {
    fs::path out;
    const char* reason;
  } cases[] = {
      {f.dir / "a_file" / "out", "Not a directory"},  // under a file
      {f.dir / "a_file", "Not a directory"},          // the name of a file
      {f.dir / "locked" / "out", "Permission denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    std::vector<std::string> args = f.args;
    args.back() = c.out.string();
    const process_result r = testing::run_program(args, {.without_root = true});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, "error: cannot create " + c.out.string() + ": " +
                         c.reason + "\n");
  }
  EXPECT_EQ(read_file(f.dir / "a_file"), "not a folder");
  EXPECT_TRUE(fs::is_empty(f.dir / "locked"));
  ASSERT_EQ(chmod((f.dir / "locked").c_str(), 0755), 0);
}

// A small filesystem of its own for the output folder, mounted for the test
// when the machine lets it (root with the right to mount).
class small_filesystem {
 public:
  explicit small_filesystem(const fs::path& at) : at_(at) {
    fs::create_directory(at_);
    mounted_ = ::mount("scenario_test", at_.c_str(), "tmpfs", 0,
                       "size=8m,mode=0755") == 0;
    if (!mounted_) why_not_ = std::strerror(errno);
  }
  ~small_filesystem() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& why_not() const { return why_not_; }

 private:
  fs::path at_;
  bool mounted_ = false;
  std::string why_not_;
};

// Fills the filesystem of `dir` so that exactly `bytes` (rounded down to
// whole blocks) stay free.
void leave_free(const fs::path& dir, uint64_t bytes) {
  struct statvfs st;
  ASSERT_EQ(statvfs(dir.c_str(), &st), 0);
  const uint64_t free_now = uint64_t{st.f_bavail} * st.f_frsize;
  ASSERT_GE(free_now, bytes);
  write_file(dir / "filler",
             std::string((free_now - bytes) / st.f_frsize * st.f_frsize, 'f'));
  ASSERT_EQ(statvfs(dir.c_str(), &st), 0);
  ASSERT_EQ(uint64_t{st.f_bavail} * st.f_frsize,
            bytes / st.f_frsize * st.f_frsize);
}

// The disk fills up at each binary file in turn. On a small filesystem of
// its own the space runs out while the file is written: it must fit the
// files before it and not this one. Where no filesystem can be mounted, a
// limit on the size of any one file stands in for the full disk; it fails
// the first file longer than the limit, so the files after the plan (which
// is longer than both) are reached without the plan.
TEST(compile_faults, full_disk_at_each_binary_file) {
  // The sizes a complete compile gives, in writing order.
  std::vector<uint64_t> sizes;
  {
    compile_setup reference;
    ASSERT_EQ(reference.run().status, 0);
    for (const char* name : {plan_name, entries_name, cells_name}) {
      sizes.push_back(fs::file_size(reference.out / name));
    }
  }
  ASSERT_GT(sizes[0], sizes[2]);
  ASSERT_GT(sizes[2], sizes[1]);
  const char* const order[] = {plan_name, entries_name, cells_name};

  temp_dir probe;
  const bool can_mount = small_filesystem(probe / "disk").mounted();
  std::cout << (can_mount ? "full disk: a small tmpfs of its own\n"
                          : "full disk: no mount allowed here, a file-size "
                            "limit stands in\n");
  ::testing::Test::RecordProperty("full_disk",
                                  can_mount ? "tmpfs" : "file-size limit");

  for (size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(order[k]);
    temp_dir base;
    small_filesystem disk(base / "disk");
    ASSERT_EQ(disk.mounted(), can_mount) << disk.why_not();
    compile_setup f(can_mount ? base / "disk" / "out" : fs::path());
    f.write_earlier_set();
    process_result r;
    if (can_mount) {
      struct statvfs st;
      ASSERT_EQ(statvfs(f.out.c_str(), &st), 0);
      const uint64_t block = st.f_frsize;
      const auto blocks = [block](uint64_t n) {
        return (n + block - 1) / block;
      };
      uint64_t room = blocks(sizes[k]) - 1;
      for (size_t i = 0; i < k; ++i) room += blocks(sizes[i]);
      leave_free(base / "disk", room * block);
      r = f.run();
      EXPECT_EQ(r.err, f.failure(order[k], "No space left on device"));
      fs::remove(base / "disk" / "filler");
    } else {
      const bool plan = k == 0;
      const uint64_t limit = k == 2 ? sizes[1] : 1000;
      r = f.run(plan ? std::vector<std::string>{}
                     : std::vector<std::string>{"--no-plan"},
                {.file_size_limit = limit});
      EXPECT_EQ(r.err, f.failure(order[k], "File too large"));
    }
    EXPECT_EQ(r.status, 4);
    f.expect_earlier_set();
  }
}

}  // namespace
}  // namespace scenario
