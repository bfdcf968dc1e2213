#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "output/native_file.h"

namespace scenario::native {
namespace {

// Fills `f` from errno; returns false for the caller's convenience.
bool fail(failure* f, int err) {
  f->reason = std::strerror(err);
  f->exists = err == EEXIST;
  f->missing = err == ENOENT;
  return false;
}

}  // namespace

file_handle create_new(const std::filesystem::path& p, failure* f) {
  const int fd =
      ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) fail(f, errno);
  return fd;
}

bool write_all(file_handle h, const char* data, size_t size, failure* f) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(static_cast<int>(h), data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(f, errno);
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool close(file_handle h, failure* f) {
  if (::close(static_cast<int>(h)) != 0) return fail(f, errno);
  return true;
}

bool rename_over(const std::filesystem::path& from,
                 const std::filesystem::path& to, failure* f) {
  if (::rename(from.c_str(), to.c_str()) != 0) return fail(f, errno);
  return true;
}

void remove_file(const std::filesystem::path& p) { ::unlink(p.c_str()); }

unsigned long process_id() { return static_cast<unsigned long>(::getpid()); }

bool is_folder(const std::filesystem::path& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

file_handle open_for_reading(const std::filesystem::path& p, uint64_t* size,
                             failure* f) {
  const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    fail(f, errno);
    return no_file;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    fail(f, S_ISDIR(st.st_mode) ? EISDIR : errno);
    ::close(fd);
    return no_file;
  }
  *size = static_cast<uint64_t>(st.st_size);
  return fd;
}

int64_t read_some(file_handle h, char* data, size_t n, failure* f) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(h), data, n);
    if (got >= 0) return got;
    if (errno != EINTR) {
      fail(f, errno);
      return -1;
    }
  }
}

// The lock is an advisory flock on the folder itself: it leaves nothing
// behind, and the kernel drops it when its holder ends, even when killed.
const char folder_lock_file[] = "";

file_handle open_folder_lock(const std::filesystem::path& dir, failure* f) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) fail(f, errno);
  return fd;
}

lock_attempt try_lock(file_handle h, bool exclusive, failure* f) {
  for (;;) {
    if (::flock(static_cast<int>(h),
                (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
      return lock_attempt::held;
    }
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return lock_attempt::busy;
    fail(f, errno);
    return lock_attempt::failed;
  }
}

void close_folder_lock(file_handle h) { ::close(static_cast<int>(h)); }

}  // namespace scenario::native
