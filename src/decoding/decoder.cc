#include "decoding/decoder.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "decoding/damage.h"
#include "decoding/plan_reader.h"
#include "model/system_reasons.h"
#include "output/binary_files.h"
#include "output/checksum.h"
#include "output/folder_lock.h"
#include "output/format.h"
#include "output/native_file.h"

namespace scenario {
namespace {

// The shortest extended line that still has cell 1, which carries the
// format marker: 26 m / 50 rounds to 1, 25 m rounds to the even 0.
constexpr int32_t min_extended_length = cell_length_m / 2 + 1;
constexpr int32_t min_line_length = min_extended_length - line_margin_m;

// Reads the entries field by field; every field is checked against what is
// left of the bytes before it is read.
class entry_reader {
 public:
  entry_reader(std::string_view bytes, std::string_view file,
               const translator& tr)
      : bytes_(bytes), file_(file), tr_(tr) {}

  size_t offset() const { return pos_; }
  size_t left() const { return bytes_.size() - pos_; }
  const decode_result& error() const { return error_; }

  // `field` is the record's own name of the field, said as it is; only a
  // marked description (the name's length) is translated.
  template <typename T>
  bool get(T& out, int entry, const char* field) {
    if (left() < sizeof(T)) {
      error_ = damaged(file_, pos_,
                       tr_.format("entry %d %s (%s)", entry, tr_(field),
                                  bytes_word(sizeof(T), tr_)),
                       found_end(left(), tr_), tr_);
      return false;
    }
    out = get_le<T>(bytes_.data() + pos_);
    pos_ += sizeof(T);
    return true;
  }

  bool get_text(std::string& out, size_t length, int entry) {
    if (left() < length) {
      error_ = damaged(
          file_, pos_,
          tr_.format("entry %d nome of %s", entry, bytes_word(length, tr_)),
          found_end(left(), tr_), tr_);
      return false;
    }
    out.assign(bytes_.substr(pos_, length));
    pos_ += length;
    return true;
  }

 private:
  std::string_view bytes_;
  std::string_view file_;
  translator tr_;
  size_t pos_ = 0;
  decode_result error_;
};

bool read_voce(entry_reader& in, int k, voce& v) {
  uint16_t length = 0;
  return in.get(v.tipo, k, "tipo") && in.get(v.inizio, k, "inizio") &&
         in.get(v.fine, k, "fine") && in.get(v.posizione, k, "posizione") &&
         in.get(v.flag1, k, "flag1") && in.get(length, k, N_("nome length")) &&
         in.get_text(v.nome, length, k) && in.get(v.num1, k, "num1") &&
         in.get(v.num2, k, "num2") && in.get(v.num3, k, "num3") &&
         in.get(v.num4, k, "num4") && in.get(v.num5, k, "num5") &&
         in.get(v.flag2, k, "flag2") && in.get(v.flag3, k, "flag3") &&
         in.get(v.flag4, k, "flag4") && in.get(v.flag5, k, "flag5") &&
         in.get(v.orario, k, "orario");
}

bool line_length_in_range(int32_t length) {
  return length >= min_line_length && length <= max_line_length_m;
}

std::string names_of(const std::array<voce, voci_count>& voci,
                     const translator& tr) {
  return two_names(voci[voce_index::segnali_generale].nome,
                   voci[voce_index::percorso_generale].nome, tr);
}

std::string checksum_work(const std::array<voce, voci_count>& voci) {
  return checksum_work_string(voci[voce_index::segnali_generale].nome,
                              voci[voce_index::percorso_generale].nome);
}

bool plan_length_in_range(int32_t lunghezza_estesa) {
  return lunghezza_estesa >= 0 &&
         lunghezza_estesa <= max_line_length_m + line_margin_m;
}

// An open file, closed when it goes out of scope.
class input_file {
 public:
  input_file() = default;
  ~input_file() {
    native::failure ignored;
    if (file_ != native::no_file) native::close(file_, &ignored);
  }
  input_file(const input_file&) = delete;
  input_file& operator=(const input_file&) = delete;

  // Opens `path`; failure() tells why it failed.
  bool open(const std::filesystem::path& path) {
    uint64_t size = 0;
    file_ = native::open_for_reading(path, &size, &why_);
    size_ = static_cast<size_t>(size);
    return file_ != native::no_file;
  }
  size_t size() const { return size_; }
  const native::failure& failure() const { return why_; }

  // Reads up to `n` bytes; returns the count, 0 at the end, -1 on failure.
  int64_t read(char* p, size_t n) {
    return native::read_some(file_, p, n, &why_);
  }

 private:
  native::file_handle file_ = native::no_file;
  size_t size_ = 0;
  native::failure why_;
};

// `pattern` is "%s: cannot open: %s" or "%s: cannot read: %s".
decode_result cannot(const std::filesystem::path& path, const char* pattern,
                     const input_file& in, const translator& tr) {
  return {decode_missing, tr.format(pattern, path.string(),
                                    system_reason(in.failure().reason, tr))};
}

decode_result read_whole(const std::filesystem::path& path, std::string& bytes,
                         const translator& tr) {
  input_file in;
  if (!in.open(path)) return cannot(path, N_("%s: cannot open: %s"), in, tr);
  bytes.resize(in.size());
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) bytes.resize(got + 4096 + got / 2);
    const int64_t n = in.read(bytes.data() + got, bytes.size() - got);
    if (n < 0) return cannot(path, N_("%s: cannot read: %s"), in, tr);
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return {};
}

// Streams the plan file through a fixed buffer: a 1000 km plan is some
// 20 MB of file, and its elements go straight into the model.
decode_result read_plan(input_file& in, const std::filesystem::path& path,
                        int32_t lunghezza_estesa, tracciato_t& t,
                        const translator& tr) {
  const std::string file = path.string();
  plan_reader reader(file, lunghezza_estesa, in.size(), t, tr);
  std::vector<char> buffer(size_t{1} << 16);
  size_t filled = 0;
  for (;;) {
    const int64_t n = in.read(buffer.data() + filled, buffer.size() - filled);
    if (n < 0) return cannot(path, N_("%s: cannot read: %s"), in, tr);
    filled += static_cast<size_t>(n);
    const bool at_eof = n == 0;
    size_t used = 0;
    if (!reader.consume(std::string_view(buffer.data(), filled), at_eof,
                        used)) {
      return reader.error();
    }
    if (at_eof) return {};
    // Keep the part of an element that the next read completes.
    std::memmove(buffer.data(), buffer.data() + used, filled - used);
    filled -= used;
  }
}

}  // namespace

size_t entry_offset(const std::array<voce, voci_count>& voci, int index) {
  size_t offset = 0;
  for (int k = 0; k < index; ++k) {
    offset += format::entry_fixed_bytes +
              std::min(voci[k].nome.size(), format::entry_name_max_bytes);
  }
  return offset;
}

int32_t extended_length(const std::array<voce, voci_count>& voci) {
  return voci[voce_index::treno_generale].fine + line_margin_m;
}

int32_t last_cell(const std::array<voce, voci_count>& voci) {
  return static_cast<int32_t>(
      div_round_even(extended_length(voci), cell_length_m));
}

decode_result decode_entries(std::string_view bytes, std::string_view file,
                             std::array<voce, voci_count>& voci,
                             const translator& tr) {
  entry_reader in(bytes, file, tr);
  for (int k = 0; k < voci_count; ++k) {
    voci[k] = voce{};
    if (!read_voce(in, k, voci[k])) return in.error();
  }
  if (in.left() > 0) {
    return damaged(file, in.offset(),
                   tr.format("end of file after entry %d", voci_count - 1),
                   found_more(in.left(), tr), tr);
  }

  const voce& route = voci[format::marker_entry];
  const size_t route_at = entry_offset(voci, format::marker_entry);
  if (route.num1 != format::entries_marker) {
    return damaged(file,
                   route_at + format::entry_num1_offset + route.nome.size(),
                   tr.format("format marker %d in entry %d num1",
                             format::entries_marker, format::marker_entry),
                   std::to_string(route.num1), tr);
  }
  const int32_t st = weighted_sum_of_codes(checksum_work(voci));
  if (route.orario != st) {
    return damaged(file,
                   route_at + format::entry_orario_offset + route.nome.size(),
                   tr.format("checksum %d of the names %s in entry %d orario",
                             st, names_of(voci, tr), format::marker_entry),
                   std::to_string(route.orario), tr);
  }
  const int32_t length = voci[voce_index::treno_generale].fine;
  if (!line_length_in_range(length)) {
    return damaged(file, entry_offset(voci, voce_index::treno_generale) + 5,
                   tr.format("a line length from %d to %d m in entry %d fine",
                             min_line_length, max_line_length_m,
                             voce_index::treno_generale),
                   std::to_string(length), tr);
  }
  return {};
}

decode_result decode_cells(std::string_view bytes, std::string_view file,
                           const std::array<voce, voci_count>& voci,
                           std::vector<cella>& celle, const translator& tr) {
  const int32_t length = voci[voce_index::treno_generale].fine;
  if (!line_length_in_range(length)) {
    return damaged(file, 0,
                   tr.format("the cells of a line from %d to %d m",
                             min_line_length, max_line_length_m),
                   tr.format("entries giving a line of %d m", length), tr);
  }
  const int32_t highest = last_cell(voci);
  const size_t count = static_cast<size_t>(highest) + 1;
  const size_t expected = count * format::cell_record_bytes;
  const std::string cells_of_line =
      tr.format("cells 0 to %d for a line of %d m", highest, length);
  if (bytes.size() < expected) {
    return damaged(file, bytes.size(),
                   bytes_word(expected, tr) + " (" + cells_of_line + ")",
                   tr("end of file"), tr);
  }
  if (bytes.size() > expected) {
    return damaged(file, expected, tr.format("end of file (%s)", cells_of_line),
                   found_more(bytes.size() - expected, tr), tr);
  }

  celle.assign(count, cella{});
  const char* p = bytes.data();
  for (cella& c : celle) {
    c.tipo = get_le<uint8_t>(p + 0);
    c.dato1 = get_le<int16_t>(p + 1);
    c.dato2 = get_le<int16_t>(p + 3);
    c.dato3 = get_le<int16_t>(p + 5);
    c.dato4 = get_le<int16_t>(p + 7);
    c.tempo = get_le<uint8_t>(p + 9);
    c.avviso = get_le<uint8_t>(p + 10);
    c.montagna = get_le<uint8_t>(p + 11);
    c.velocita_limite = get_le<uint8_t>(p + 12);
    c.pendenza = get_le<uint8_t>(p + 13);
    c.aderenza = get_le<uint8_t>(p + 14);
    p += format::cell_record_bytes;
  }

  const cella& marked = celle[format::marker_cell];
  const size_t marked_at = format::marker_cell * format::cell_record_bytes;
  if (marked.dato1 != format::cells_marker) {
    return damaged(file, marked_at + format::cell_dato1_offset,
                   tr.format("format marker %d in cell %d dato1",
                             format::cells_marker, format::marker_cell),
                   std::to_string(marked.dato1), tr);
  }
  const int16_t og = sum_of_codes(checksum_work(voci));
  if (marked.dato2 != og) {
    return damaged(file, marked_at + format::cell_dato2_offset,
                   tr.format("checksum %d of the names %s in cell %d dato2", og,
                             names_of(voci, tr), format::marker_cell),
                   std::to_string(marked.dato2), tr);
  }
  return {};
}

decode_result decode_plan(std::string_view bytes, std::string_view file,
                          int32_t lunghezza_estesa, tracciato_t& t,
                          const translator& tr) {
  if (!plan_length_in_range(lunghezza_estesa)) {
    return damaged(file, 0,
                   tr.format("a plan of metres 0 to at most %d",
                             max_line_length_m + line_margin_m),
                   tr.format("a line of metres 0 to %d", lunghezza_estesa), tr);
  }
  plan_reader reader(file, lunghezza_estesa, bytes.size(), t, tr);
  size_t used = 0;
  if (!reader.consume(bytes, /*at_eof=*/true, used)) return reader.error();
  return {};
}

decode_result decode_scenario(const std::filesystem::path& dir,
                              const std::string& percorso,
                              const std::string& treno, scenario_model& m,
                              const reader_wait& wait) {
  const lock_result held = lock_folder(dir, {.mode = lock_mode::shared,
                                             .wait = wait.wait,
                                             .waiting_notice = wait.notice,
                                             .tr = wait.tr});
  if (held.outcome == lock_outcome::timed_out) {
    return {decode_busy, held.message};
  }
  // Every read of the three files happens here, one after the other, with
  // the folder held.
  std::array<voce, voci_count> voci;
  const std::filesystem::path sim = entries_path(dir, percorso, treno);
  {
    std::string bytes;
    decode_result r = read_whole(sim, bytes, wait.tr);
    if (r.ok()) r = decode_entries(bytes, sim.string(), voci, wait.tr);
    if (!r.ok()) return r;
  }
  // The names inside must be the ones the files are named after.
  const std::pair<int, const std::string*> names[] = {
      {voce_index::percorso_generale, &percorso},
      {voce_index::segnali_generale, &treno},
  };
  for (const auto& [index, want] : names) {
    if (voci[index].nome != *want) {
      return damaged(
          sim.string(),
          entry_offset(voci, index) + format::entry_name_length_offset,
          wait.tr.format(index == voce_index::percorso_generale
                             ? N_("route name %s in entry %d")
                             : N_("train name %s in entry %d"),
                         quote_name(*want), index),
          quote_name(voci[index].nome), wait.tr);
    }
  }

  std::vector<cella> celle;
  const std::filesystem::path dat = cells_path(dir, percorso, treno);
  {
    std::string bytes;
    decode_result r = read_whole(dat, bytes, wait.tr);
    if (r.ok()) r = decode_cells(bytes, dat.string(), voci, celle, wait.tr);
    if (!r.ok()) return r;
  }

  tracciato_t plan;
  const std::filesystem::path linea = plan_path(dir, percorso);
  input_file in;
  if (in.open(linea)) {
    decode_result r =
        read_plan(in, linea, extended_length(voci), plan, wait.tr);
    if (!r.ok()) return r;
  } else if (!in.failure().missing) {
    return cannot(linea, N_("%s: cannot open: %s"), in, wait.tr);
  }

  m.percorso = percorso;
  m.treno = treno;
  m.voci = std::move(voci);
  m.celle = std::move(celle);
  m.lunghezza_estesa = extended_length(m.voci);
  m.numero_celle = last_cell(m.voci);
  m.con_tracciato = plan.exists() ? 1 : 0;
  m.tracciato = std::move(plan);
  return {};
}

decode_result find_scenario(const std::filesystem::path& dir,
                            const std::optional<std::string>& percorso,
                            const std::optional<std::string>& treno,
                            scenario_names& names, const reader_wait& wait) {
  if (percorso && treno) {
    names = {*percorso, *treno};
    return {};
  }
  const std::string prefix = percorso ? *percorso + "_" : "";
  const std::string suffix =
      (treno ? "_" + *treno : "") + std::string(format::entries_suffix);
  std::vector<std::string> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() >= prefix.size() + suffix.size() &&
        name.compare(0, prefix.size(), prefix) == 0 &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        it->is_regular_file()) {
      found.push_back(name);
    }
  }
  if (ec) {
    return {decode_missing,
            wait.tr.format("%s: cannot open: %s", dir.string(),
                           system_reason(ec.message(), wait.tr))};
  }
  const std::string pattern = (percorso ? prefix : "ROUTE_") +
                              (treno ? *treno : "TRAIN") +
                              std::string(format::entries_suffix);
  if (found.empty()) {
    return {decode_missing, wait.tr.format("%s: no scenario: no file %s there",
                                           dir.string(), pattern)};
  }
  if (found.size() > 1) {
    std::sort(found.begin(), found.end());
    std::string list;
    for (const std::string& f : found) list += (list.empty() ? "" : ", ") + f;
    return {decode_usage,
            wait.tr.format(
                "%s: several scenarios (%s): choose one with --route and "
                "--train",
                dir.string(), list)};
  }
  const std::string& file = found.front();
  const std::string middle =
      file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
  if (percorso) {
    names = {*percorso, middle};
    return {};
  }
  if (treno) {
    names = {middle, *treno};
    return {};
  }
  // The route and the train are both free to hold "_": the entries tell
  // where one ends.
  std::array<voce, voci_count> voci;
  const std::filesystem::path sim = dir / file;
  std::string bytes;
  const lock_result held = lock_folder(dir, {.mode = lock_mode::shared,
                                             .wait = wait.wait,
                                             .waiting_notice = wait.notice,
                                             .tr = wait.tr});
  if (held.outcome == lock_outcome::timed_out) {
    return {decode_busy, held.message};
  }
  decode_result r = read_whole(sim, bytes, wait.tr);
  if (r.ok()) r = decode_entries(bytes, sim.string(), voci, wait.tr);
  if (!r.ok()) return r;
  names = {voci[voce_index::percorso_generale].nome,
           voci[voce_index::segnali_generale].nome};
  if (names.percorso + "_" + names.treno +
          std::string(format::entries_suffix) !=
      file) {
    return damaged(sim.string(),
                   entry_offset(voci, voce_index::percorso_generale) +
                       format::entry_name_length_offset,
                   wait.tr("route and train names that make up the file name"),
                   two_names(names.percorso, names.treno, wait.tr), wait.tr);
  }
  return {};
}

}  // namespace scenario
