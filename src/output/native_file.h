// The few calls on files and folders whose form differs between POSIX and
// Windows, behind one interface: creating, writing and renaming a
// replacement, reading an input, and the handle a folder's lock is taken
// on. One implementation per system (native_file_posix.cc, _windows.cc);
// paths are the system's own (wide on Windows), reasons are UTF-8 text.
#ifndef SCENARIO_OUTPUT_NATIVE_FILE_H_
#define SCENARIO_OUTPUT_NATIVE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace scenario::native {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using file_handle = intptr_t;
inline constexpr file_handle no_file = -1;

// Why a call failed, for a person, and the two cases callers tell apart.
struct failure {
  std::string reason;
  bool exists = false;   // the file to create is already there
  bool missing = false;  // the file to open is not there
};

// Creates `p` for writing; fails when anything already has its name.
file_handle create_new(const std::filesystem::path& p, failure* f);
// Writes all `size` bytes.
bool write_all(file_handle h, const char* data, size_t size, failure* f);
// Closes `h`; false when the system reports that written data was lost.
bool close(file_handle h, failure* f);
// Renames `from` over `to` in one step, replacing the file there.
bool rename_over(const std::filesystem::path& from,
                 const std::filesystem::path& to, failure* f);
// Removes the file `p`, if it can.
void remove_file(const std::filesystem::path& p);
// The id of this process, for names unique among running processes.
unsigned long process_id();
// True when `p` itself (not what a link names) is a folder.
bool is_folder(const std::filesystem::path& p);

// Opens `p` for reading and tells its size; a folder is refused.
file_handle open_for_reading(const std::filesystem::path& p, uint64_t* size,
                             failure* f);
// Reads up to `n` bytes; returns the count, 0 at the end, -1 on failure.
int64_t read_some(file_handle h, char* data, size_t n, failure* f);

// The file in a folder that its lock is taken on, present only while the
// folder is held; empty where the lock is taken on the folder itself.
extern const char folder_lock_file[];
// The handle that the lock of the folder `dir` is taken on.
file_handle open_folder_lock(const std::filesystem::path& dir, failure* f);
enum class lock_attempt { held, busy, failed };
// Tries once to lock `h`, exclusive or shared.
lock_attempt try_lock(file_handle h, bool exclusive, failure* f);
// Drops the lock with its handle.
void close_folder_lock(file_handle h);

}  // namespace scenario::native

#endif  // SCENARIO_OUTPUT_NATIVE_FILE_H_
