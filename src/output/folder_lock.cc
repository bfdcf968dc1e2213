#include "output/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>

namespace scenario {

folder_lock::folder_lock(folder_lock&& other) noexcept : fd_(other.fd_) {
  other.fd_ = -1;
}

folder_lock& folder_lock::operator=(folder_lock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void folder_lock::release() {
  // Closing the descriptor drops the lock.
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {

std::string seconds_text(std::chrono::milliseconds wait) {
  std::ostringstream s;
  s << std::chrono::duration<double>(wait).count() << " s";
  return s.str();
}

lock_result failure(const std::filesystem::path& dir, int err) {
  lock_result r;
  r.outcome = lock_outcome::failed;
  r.message = "cannot lock " + dir.string() + ": " + std::strerror(err);
  return r;
}

}  // namespace

lock_result lock_folder(const std::filesystem::path& dir,
                        const lock_request& req) {
  using clock = std::chrono::steady_clock;
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return failure(dir, errno);
  lock_result r;
  r.lock = folder_lock(fd);

  const int operation =
      (req.mode == lock_mode::exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  const clock::time_point deadline = clock::now() + req.wait;
  // The holder is usually another short run: poll often at first, then
  // less, never sleeping past the deadline.
  std::chrono::milliseconds pause(1);
  constexpr std::chrono::milliseconds longest_pause(25);
  bool told = false;
  for (;;) {
    if (::flock(fd, operation) == 0) {
      r.outcome = lock_outcome::held;
      return r;
    }
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return failure(dir, errno);
    const clock::time_point now = clock::now();
    if (now >= deadline) break;
    if (!told && req.waiting_notice != nullptr) {
      *req.waiting_notice << (req.mode == lock_mode::exclusive
                                  ? "waiting for another run in "
                                  : "waiting for the run writing into ")
                          << dir.string() << " to finish\n";
      req.waiting_notice->flush();
      told = true;
    }
    std::this_thread::sleep_for(
        std::min<clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, longest_pause);
  }
  r.lock.release();
  r.outcome = lock_outcome::timed_out;
  r.message = dir.string() + " is still in use by another run after " +
              seconds_text(req.wait) + "; try again later";
  return r;
}

}  // namespace scenario
