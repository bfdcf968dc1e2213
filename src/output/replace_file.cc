#include "output/replace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>

namespace scenario {
namespace {

std::string system_reason(int err) { return std::strerror(err); }

// A hidden name in the target's directory, unique with the process id and
// the attempt number; the exclusive create skips names already taken.
std::filesystem::path temp_name_for(const std::filesystem::path& target,
                                    unsigned attempt) {
  std::string name = "." + target.filename().string() + ".tmp." +
                     std::to_string(::getpid()) + "." + std::to_string(attempt);
  return target.parent_path() / name;
}

// True when `name` is `prefix` followed by digits, a dot and digits.
bool is_temp_suffix(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return false;
  name.remove_prefix(prefix.size());
  const size_t dot = name.find('.');
  const auto digits = [](std::string_view d) {
    return !d.empty() && d.find_first_not_of("0123456789") == d.npos;
  };
  return dot != name.npos && digits(name.substr(0, dot)) &&
         digits(name.substr(dot + 1));
}

}  // namespace

int remove_abandoned_temporaries(
    const std::filesystem::path& dir,
    const std::vector<std::filesystem::path>& targets) {
  std::vector<std::string> prefixes;
  for (const auto& t : targets) {
    prefixes.push_back("." + t.filename().string() + ".tmp.");
  }
  // One pass over the folder for all the targets.
  std::error_code ec;
  std::filesystem::directory_iterator it(dir, ec);
  int removed = 0;
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::filesystem::path& p = it->path();
    const std::string name = p.filename().string();
    std::error_code entry;
    for (const std::string& prefix : prefixes) {
      if (is_temp_suffix(name, prefix) && it->is_regular_file(entry) &&
          std::filesystem::remove(p, entry)) {
        ++removed;
        break;
      }
    }
  }
  return removed;
}

std::string file_failure::message() const {
  return "cannot write " + file.string() + ": " + reason;
}

replacement_file::replacement_file(std::filesystem::path target)
    : target_(std::move(target)), buffer_(new char[buffer_bytes]) {
  failed_.file = target_;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temp_ = temp_name_for(target_, attempt);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return;
    if (errno != EEXIST) break;
  }
  fail(system_reason(errno));
  temp_.clear();
}

replacement_file::~replacement_file() { discard(); }

void replacement_file::fail(const std::string& reason) {
  if (failed_.reason.empty()) failed_.reason = reason;
}

void replacement_file::write_all(const char* data, size_t size) {
  size_t done = 0;
  while (ok() && done < size) {
    const ssize_t n = ::write(fd_, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(system_reason(errno));
      break;
    }
    done += static_cast<size_t>(n);
  }
}

void replacement_file::flush_buffer() {
  write_all(buffer_.get(), used_);
  used_ = 0;
}

void replacement_file::put_large(std::string_view bytes) {
  flush_buffer();
  if (bytes.size() >= buffer_bytes) {
    write_all(bytes.data(), bytes.size());
  } else {
    std::memcpy(buffer_.get(), bytes.data(), bytes.size());
    used_ = bytes.size();
  }
}

void replacement_file::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

bool replacement_file::complete() {
  if (fd_ < 0) {
    fail(system_reason(EBADF));  // created badly, completed twice, or failed
    return false;
  }
  flush_buffer();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail(system_reason(errno));
  if (!ok()) discard();
  return ok();
}

bool replacement_file::install() {
  if (!ok() || temp_.empty() || fd_ >= 0) {
    if (ok()) fail(system_reason(EBADF));  // not completed first
    discard();
    return false;
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    fail(system_reason(errno));
    discard();
    return false;
  }
  temp_.clear();  // now the target
  return true;
}

bool write_text_lines(const std::filesystem::path& target,
                      const std::vector<std::string_view>& lines,
                      file_failure* failure) {
  replacement_file out(target);
  for (std::string_view line : lines) {
    out.put(line);
    out.put("\r\n");
  }
  if (out.commit()) return true;
  if (failure != nullptr) *failure = out.failure();
  return false;
}

}  // namespace scenario
