#include <windows.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "model/utf16_windows.h"
#include "output/native_file.h"

namespace scenario::native {
namespace {

HANDLE as_handle(file_handle h) { return reinterpret_cast<HANDLE>(h); }
file_handle from_handle(HANDLE h) {
  return h == INVALID_HANDLE_VALUE ? no_file : reinterpret_cast<file_handle>(h);
}

// The reasons a user meets most are said in the same words as on POSIX,
// so that a message reads the same on both systems; the rest in the
// system's own words.
std::string reason_for(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
      return std::strerror(EACCES);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::strerror(EEXIST);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    default:
      return system_message(err);
  }
}

bool fail(failure* f, DWORD err) {
  f->reason = reason_for(err);
  f->exists = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
  f->missing = err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
  return false;
}

// Any process may read, rename or delete a file this program has open, as
// on POSIX: a reader never blocks a writer's rename.
constexpr DWORD share_all =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

// The lock file of a folder: hidden, and deleted by the system when the
// last handle on it closes, also when its holder is killed.
const char folder_lock_file[] = ".scenario.lock";

file_handle create_new(const std::filesystem::path& p, failure* f) {
  const HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, share_all, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) fail(f, GetLastError());
  return from_handle(h);
}

bool write_all(file_handle h, const char* data, size_t size, failure* f) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : DWORD(size);
    DWORD wrote = 0;
    if (!WriteFile(as_handle(h), data, chunk, &wrote, nullptr)) {
      return fail(f, GetLastError());
    }
    data += wrote;
    size -= wrote;
  }
  return true;
}

bool close(file_handle h, failure* f) {
  if (!CloseHandle(as_handle(h))) return fail(f, GetLastError());
  return true;
}

bool rename_over(const std::filesystem::path& from,
                 const std::filesystem::path& to, failure* f) {
  if (!MoveFileExW(from.c_str(), to.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return fail(f, GetLastError());
  }
  return true;
}

void remove_file(const std::filesystem::path& p) { DeleteFileW(p.c_str()); }

unsigned long process_id() { return GetCurrentProcessId(); }

bool is_folder(const std::filesystem::path& p) {
  const DWORD a = GetFileAttributesW(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
         !(a & FILE_ATTRIBUTE_REPARSE_POINT);
}

file_handle open_for_reading(const std::filesystem::path& p, uint64_t* size,
                             failure* f) {
  if (is_folder(p)) {
    f->reason = std::strerror(EISDIR);
    return no_file;
  }
  const HANDLE h = CreateFileW(p.c_str(), GENERIC_READ, share_all, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    fail(f, GetLastError());
    return no_file;
  }
  LARGE_INTEGER n;
  if (!GetFileSizeEx(h, &n)) {
    fail(f, GetLastError());
    CloseHandle(h);
    return no_file;
  }
  *size = static_cast<uint64_t>(n.QuadPart);
  return from_handle(h);
}

int64_t read_some(file_handle h, char* data, size_t n, failure* f) {
  const DWORD chunk = n > (1u << 30) ? (1u << 30) : DWORD(n);
  DWORD got = 0;
  if (!ReadFile(as_handle(h), data, chunk, &got, nullptr)) {
    fail(f, GetLastError());
    return -1;
  }
  return got;
}

// A folder handle takes no byte-range lock, so the lock is taken on a lock
// file in the folder. While someone holds it open, a second open of a file
// whose last holder is closing is refused for a moment: that is retried.
file_handle open_folder_lock(const std::filesystem::path& dir, failure* f) {
  if (!is_folder(dir)) {
    const DWORD a = GetFileAttributesW(dir.c_str());
    fail(f, a == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY);
    return no_file;
  }
  const std::filesystem::path lock = dir / folder_lock_file;
  DWORD err = 0;
  for (int attempt = 0; attempt < 50; ++attempt) {
    const HANDLE h =
        CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, share_all,
                    nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) return from_handle(h);
    err = GetLastError();
    if (err != ERROR_ACCESS_DENIED) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  fail(f, err);
  return no_file;
}

lock_attempt try_lock(file_handle h, bool exclusive, failure* f) {
  OVERLAPPED at{};
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY |
                      (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : DWORD{0});
  if (LockFileEx(as_handle(h), flags, 0, 1, 0, &at)) return lock_attempt::held;
  const DWORD err = GetLastError();
  if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) {
    return lock_attempt::busy;
  }
  fail(f, err);
  return lock_attempt::failed;
}

void close_folder_lock(file_handle h) { CloseHandle(as_handle(h)); }

}  // namespace scenario::native
