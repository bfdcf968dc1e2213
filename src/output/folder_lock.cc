#include "output/folder_lock.h"

#include <algorithm>
#include <sstream>
#include <thread>

#include "model/system_reasons.h"

namespace scenario {

folder_lock::folder_lock(folder_lock&& other) noexcept
    : handle_(other.handle_) {
  other.handle_ = native::no_file;
}

folder_lock& folder_lock::operator=(folder_lock&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = other.handle_;
    other.handle_ = native::no_file;
  }
  return *this;
}

void folder_lock::release() {
  // Closing the handle drops the lock.
  if (handle_ != native::no_file) native::close_folder_lock(handle_);
  handle_ = native::no_file;
}

namespace {

std::string seconds_text(std::chrono::milliseconds wait) {
  std::ostringstream s;
  s << std::chrono::duration<double>(wait).count() << " s";
  return s.str();
}

lock_result failure(const std::filesystem::path& dir,
                    const native::failure& why, const translator& tr) {
  lock_result r;
  r.outcome = lock_outcome::failed;
  r.message = tr.format("cannot lock %s: %s", dir.string(),
                        system_reason(why.reason, tr));
  return r;
}

}  // namespace

lock_result lock_folder(const std::filesystem::path& dir,
                        const lock_request& req) {
  using clock = std::chrono::steady_clock;
  native::failure why;
  const native::file_handle h = native::open_folder_lock(dir, &why);
  if (h == native::no_file) return failure(dir, why, req.tr);
  lock_result r;
  r.lock = folder_lock(h);

  const bool exclusive = req.mode == lock_mode::exclusive;
  const clock::time_point deadline = clock::now() + req.wait;
  // The holder is usually another short run: poll often at first, then
  // less, never sleeping past the deadline.
  std::chrono::milliseconds pause(1);
  constexpr std::chrono::milliseconds longest_pause(25);
  bool told = false;
  for (;;) {
    switch (native::try_lock(h, exclusive, &why)) {
      case native::lock_attempt::held:
        r.outcome = lock_outcome::held;
        return r;
      case native::lock_attempt::failed:
        return failure(dir, why, req.tr);
      case native::lock_attempt::busy:
        break;
    }
    const clock::time_point now = clock::now();
    if (now >= deadline) break;
    if (!told && req.waiting_notice != nullptr) {
      *req.waiting_notice
          << (req.mode == lock_mode::exclusive
                  ? req.tr.format("waiting for another run in %s to finish",
                                  dir.string())
                  : req.tr.format(
                        "waiting for the run writing into %s to finish",
                        dir.string()))
          << '\n';
      req.waiting_notice->flush();
      told = true;
    }
    std::this_thread::sleep_for(
        std::min<clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, longest_pause);
  }
  r.lock.release();
  r.outcome = lock_outcome::timed_out;
  r.message = req.tr.format(
      "%s is still in use by another run after %s; try again later",
      dir.string(), seconds_text(req.wait));
  return r;
}

}  // namespace scenario
