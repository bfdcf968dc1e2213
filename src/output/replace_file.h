// Safe replacement of an output file: the new content goes to a temporary
// file in the same directory, which is renamed over the old one only once it
// is complete. A failure leaves the previous file intact and no partial file.
#ifndef SCENARIO_OUTPUT_REPLACE_FILE_H_
#define SCENARIO_OUTPUT_REPLACE_FILE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Why a file could not be written: its name and the system's reason.
struct file_failure {
  std::filesystem::path file;
  std::string reason;
  std::string message() const;  // "cannot write FILE: REASON"
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

  void put(std::string_view bytes);
  void put_u8(uint8_t v);
  void put_u16(uint16_t v);  // little-endian
  void put_i16(int16_t v);
  void put_i32(int32_t v);
  void put_f64(double v);  // IEEE 754, little-endian

  // Completes the replacement; false (with failure() set) when any write,
  // the close or the rename failed, in which case the old file is untouched.
  bool commit();

 private:
  void flush_buffer();
  void fail(const std::string& reason);

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  std::vector<char> buffer_;
  file_failure failed_;
};

// Writes `lines` as 8-bit text, each line followed by CR LF.
bool write_text_lines(const std::filesystem::path& target,
                      const std::vector<std::string_view>& lines,
                      file_failure* failure);

}  // namespace scenario

#endif  // SCENARIO_OUTPUT_REPLACE_FILE_H_
