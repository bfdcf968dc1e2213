// The advisory lock of an output folder: one run writes into a folder at a
// time (exclusive), and readers share it so that they never see a
// half-replaced set of files. The system drops it when its holder dies. On
// POSIX it is taken on the folder itself and leaves nothing behind; on
// Windows on a hidden lock file in the folder, which the system deletes when
// its last holder lets go.
#ifndef SCENARIO_OUTPUT_FOLDER_LOCK_H_
#define SCENARIO_OUTPUT_FOLDER_LOCK_H_

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>

#include "model/exit_status.h"
#include "model/translation.h"
#include "output/native_file.h"

namespace scenario {

enum class lock_mode { shared, exclusive };

struct lock_request;
struct lock_result;

// A held lock; released when destroyed or moved from. Holds an open handle,
// which is closed when the process ends by any means.
class folder_lock {
 public:
  folder_lock() = default;
  ~folder_lock() { release(); }
  folder_lock(folder_lock&& other) noexcept;
  folder_lock& operator=(folder_lock&& other) noexcept;
  folder_lock(const folder_lock&) = delete;
  folder_lock& operator=(const folder_lock&) = delete;

  bool held() const { return handle_ != native::no_file; }
  void release();

 private:
  friend lock_result lock_folder(const std::filesystem::path&,
                                 const lock_request&);
  explicit folder_lock(native::file_handle h) : handle_(h) {}
  native::file_handle handle_ = native::no_file;
};

struct lock_request {
  lock_mode mode = lock_mode::exclusive;
  // How long to wait for the other holders; zero tries once.
  std::chrono::milliseconds wait = std::chrono::seconds(60);
  // Told once, in one line, when the lock is not free at the first try.
  std::ostream* waiting_notice = nullptr;
  translator tr = {};  // the language of the notice and the messages
};

enum class lock_outcome {
  held,       // the lock is taken
  timed_out,  // others held it for the whole wait
  failed,     // the folder could not be opened or locked
};

struct lock_result {
  lock_outcome outcome = lock_outcome::failed;
  folder_lock lock;     // held when outcome is held
  std::string message;  // why not, naming the folder, for a person
};

// Locks the folder `dir`, waiting at most `r.wait` for the other holders.
lock_result lock_folder(const std::filesystem::path& dir,
                        const lock_request& r);

}  // namespace scenario

#endif  // SCENARIO_OUTPUT_FOLDER_LOCK_H_
