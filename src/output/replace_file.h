// Safe replacement of an output file: the new content goes to a temporary
// file in the same directory, which is renamed over the old one only once it
// is complete. A failure leaves the previous file intact and no partial file.
#ifndef SCENARIO_OUTPUT_REPLACE_FILE_H_
#define SCENARIO_OUTPUT_REPLACE_FILE_H_

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/translation.h"
#include "output/native_file.h"

namespace scenario {

// Why a file could not be written: its name and the system's reason.
struct file_failure {
  std::filesystem::path file;
  std::string reason;
  std::string message() const;  // "cannot write FILE: REASON"
  std::string message(const translator& tr) const;  // in the language of `tr`
};

// Buffered writer of one replacement. Bytes are appended with put(); commit()
// flushes, closes and renames. A writer destroyed before commit() removes its
// temporary file.
class replacement_file {
 public:
  explicit replacement_file(std::filesystem::path target);
  ~replacement_file();
  replacement_file(const replacement_file&) = delete;
  replacement_file& operator=(const replacement_file&) = delete;

  // False when the temporary file could not be created (see failure()).
  bool ok() const { return failed_.reason.empty(); }
  const file_failure& failure() const { return failed_; }

  // Appends bytes; inline because the plan file is written a field at a time.
  void put(std::string_view bytes) {
    if (bytes.empty()) return;  // an empty view may have no data at all
    if (bytes.size() <= buffer_bytes - used_) {
      std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
      used_ += bytes.size();
    } else {
      put_large(bytes);
    }
  }
  void put_u8(uint8_t v) { put_le(v, 1); }
  void put_u16(uint16_t v) { put_le(v, 2); }  // little-endian
  void put_i16(int16_t v) { put_le(static_cast<uint16_t>(v), 2); }
  void put_i32(int32_t v) { put_le(static_cast<uint32_t>(v), 4); }
  void put_f64(double v) {  // IEEE 754, little-endian
    uint64_t u;
    static_assert(sizeof u == sizeof v);
    std::memcpy(&u, &v, sizeof u);
    put_le(u, 8);
  }

  // Room for `n` more bytes (at most the buffer's size) written straight
  // into the buffer, for writers of many small records; wrote() then says
  // how many were used.
  char* reserve(size_t n) {
    if (n > buffer_bytes - used_) flush_buffer();
    return buffer_.get() + used_;
  }
  void wrote(size_t n) { used_ += n; }
  static constexpr size_t buffer_bytes = 1 << 16;

  // Completes the replacement; false (with failure() set) when any write,
  // the close or the rename failed, in which case the old file is untouched.
  bool commit() { return complete() && install(); }

  // The two halves of commit(), for files replaced as a set: complete()
  // writes out the buffer and closes the temporary file, install() renames
  // it over the target. Each is false (with failure() set) on failure; a
  // failed or abandoned replacement removes its temporary file.
  bool complete();
  bool install();
  const std::filesystem::path& target() const { return target_; }

 private:
  void put_le(uint64_t v, int bytes) {
    char b[8];
    for (int i = 0; i < bytes; ++i) b[i] = static_cast<char>(v >> (8 * i));
    put(std::string_view(b, static_cast<size_t>(bytes)));
  }
  void put_large(std::string_view bytes);
  void flush_buffer();
  void write_all(const char* data, size_t size);
  void fail(const std::string& reason);
  void discard();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  native::file_handle file_ = native::no_file;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
  file_failure failed_;
};

// Removes the temporary files that replacements of the `targets` (files
// of the folder `dir`) left behind when their process was killed before
// completing; returns how many. Only a process that holds the folder
// exclusively may call it: others' temporaries are live files then.
int remove_abandoned_temporaries(
    const std::filesystem::path& dir,
    const std::vector<std::filesystem::path>& targets);

// Writes `lines` as 8-bit text, each line followed by CR LF.
bool write_text_lines(const std::filesystem::path& target,
                      const std::vector<std::string_view>& lines,
                      file_failure* failure);

}  // namespace scenario

#endif  // SCENARIO_OUTPUT_REPLACE_FILE_H_
