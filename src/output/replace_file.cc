#include "output/replace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace scenario {
namespace {

constexpr size_t buffer_bytes = 1 << 16;

std::string system_reason(int err) { return std::strerror(err); }

// A hidden name in the target's directory, unique with the process id and
// the attempt number; the exclusive create skips names already taken.
std::filesystem::path temp_name_for(const std::filesystem::path& target,
                                    unsigned attempt) {
  std::string name = "." + target.filename().string() + ".tmp." +
                     std::to_string(::getpid()) + "." + std::to_string(attempt);
  return target.parent_path() / name;
}

}  // namespace

std::string file_failure::message() const {
  return "cannot write " + file.string() + ": " + reason;
}

replacement_file::replacement_file(std::filesystem::path target)
    : target_(std::move(target)) {
  failed_.file = target_;
  buffer_.reserve(buffer_bytes);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temp_ = temp_name_for(target_, attempt);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return;
    if (errno != EEXIST) break;
  }
  fail(system_reason(errno));
  temp_.clear();
}

replacement_file::~replacement_file() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void replacement_file::fail(const std::string& reason) {
  if (failed_.reason.empty()) failed_.reason = reason;
}

void replacement_file::flush_buffer() {
  size_t done = 0;
  while (ok() && done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(system_reason(errno));
      break;
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
}

void replacement_file::put(std::string_view bytes) {
  if (!ok()) return;
  if (buffer_.size() + bytes.size() > buffer_bytes) flush_buffer();
  if (bytes.size() >= buffer_bytes) {
    buffer_.assign(bytes.begin(), bytes.end());
    flush_buffer();
    return;
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void replacement_file::put_u8(uint8_t v) {
  const char c = static_cast<char>(v);
  put(std::string_view(&c, 1));
}

void replacement_file::put_u16(uint16_t v) {
  const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  put(std::string_view(b, 2));
}

void replacement_file::put_i16(int16_t v) { put_u16(static_cast<uint16_t>(v)); }

void replacement_file::put_i32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  const char b[4] = {static_cast<char>(u & 0xFF),
                     static_cast<char>((u >> 8) & 0xFF),
                     static_cast<char>((u >> 16) & 0xFF),
                     static_cast<char>(u >> 24)};
  put(std::string_view(b, 4));
}

void replacement_file::put_f64(double v) {
  uint64_t u;
  static_assert(sizeof u == sizeof v);
  std::memcpy(&u, &v, sizeof u);
  char b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  put(std::string_view(b, 8));
}

bool replacement_file::commit() {
  if (fd_ < 0) return false;
  flush_buffer();
  if (::close(fd_) != 0) fail(system_reason(errno));
  fd_ = -1;
  if (ok() && ::rename(temp_.c_str(), target_.c_str()) != 0) {
    fail(system_reason(errno));
  }
  if (!ok()) {
    ::unlink(temp_.c_str());
  }
  temp_.clear();  // gone, or now the target
  return ok();
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
