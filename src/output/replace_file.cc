#include "output/replace_file.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>

#include "model/system_reasons.h"
#include "output/native_file.h"

namespace scenario {
namespace {

std::string system_reason(int err) { return std::strerror(err); }

// A hidden name in the target's directory, unique with the process id and
// the attempt number; the exclusive create skips names already taken.
std::filesystem::path temp_name_for(const std::filesystem::path& target,
                                    unsigned attempt) {
  std::string name = "." + target.filename().string() + ".tmp." +
                     std::to_string(native::process_id()) + "." +
                     std::to_string(attempt);
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

std::string file_failure::message(const translator& tr) const {
  return tr.format("cannot write %s: %s", file.string(),
                   system_reason(reason, tr));
}

replacement_file::replacement_file(std::filesystem::path target)
    : target_(std::move(target)), buffer_(new char[buffer_bytes]) {
  failed_.file = target_;
  native::failure why;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temp_ = temp_name_for(target_, attempt);
    file_ = native::create_new(temp_, &why);
    if (file_ != native::no_file) return;
    if (!why.exists) break;
  }
  fail(why.reason);
  temp_.clear();
}

replacement_file::~replacement_file() { discard(); }

void replacement_file::fail(const std::string& reason) {
  if (failed_.reason.empty()) failed_.reason = reason;
}

void replacement_file::write_all(const char* data, size_t size) {
  native::failure why;
  if (ok() && !native::write_all(file_, data, size, &why)) fail(why.reason);
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
  native::failure ignored;
  if (file_ != native::no_file) native::close(file_, &ignored);
  file_ = native::no_file;
  if (!temp_.empty()) native::remove_file(temp_);
  temp_.clear();
}

bool replacement_file::complete() {
  if (file_ == native::no_file) {
    fail(system_reason(EBADF));  // created badly, completed twice, or failed
    return false;
  }
  flush_buffer();
  const native::file_handle file = file_;
  file_ = native::no_file;
  native::failure why;
  if (!native::close(file, &why)) fail(why.reason);
  if (!ok()) discard();
  return ok();
}

bool replacement_file::install() {
  if (!ok() || temp_.empty() || file_ != native::no_file) {
    if (ok()) fail(system_reason(EBADF));  // not completed first
    discard();
    return false;
  }
  if (native::failure why; !native::rename_over(temp_, target_, &why)) {
    fail(why.reason);
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
