#include "output/binary_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "model/error_codes.h"
#include "output/checksum.h"
#include "output/format.h"
#include "output/native_file.h"

namespace scenario {
namespace {

// Writes one element at `p` and returns the byte after it.
char* put_element(char* p, tracciato_t::genere kind, double value) {
  const auto put_le = [&p](uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) *p++ = static_cast<char>(v >> (8 * i));
  };
  switch (kind) {
    case tracciato_t::genere::vuoto:
      put_le(format::element_empty, 2);
      break;
    case tracciato_t::genere::intero16:
      put_le(format::element_int16, 2);
      put_le(static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
      break;
    case tracciato_t::genere::doppio: {
      uint64_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      put_le(format::element_double, 2);
      put_le(bits, 8);
      break;
    }
  }
  return p;
}

void put_plan(replacement_file& out, const tracciato_t& t) {
  // Storage order: the metre runs fastest, x before y. The plan is most of
  // a run's output, so its elements go straight into the write buffer.
  constexpr int64_t chunk =
      replacement_file::buffer_bytes / format::element_double_bytes;
  for (int coord = 0; coord < 2; ++coord) {
    for (int64_t first = 0; first < t.size(); first += chunk) {
      const int64_t last = std::min(t.size(), first + chunk);
      char* const start = out.reserve(static_cast<size_t>(last - first) *
                                      format::element_double_bytes);
      char* p = start;
      for (int64_t metre = first; metre < last; ++metre) {
        p = put_element(p, t.kind(metre, coord), t.value(metre, coord));
      }
      out.wrote(static_cast<size_t>(p - start));
    }
  }
}

bool failed(const replacement_file& out, file_failure* failure) {
  if (failure != nullptr) *failure = out.failure();
  return false;
}

// A folder standing where a file goes would refuse the rename only after
// the files before it were renamed; it is checked before any rename.
bool target_is_a_folder(const replacement_file& out, file_failure* failure) {
  if (!native::is_folder(out.target())) return false;
  if (failure != nullptr) *failure = {out.target(), std::strerror(EISDIR)};
  return true;
}

}  // namespace

std::filesystem::path plan_path(const std::filesystem::path& dir,
                                const std::string& percorso) {
  return dir / (percorso + std::string(format::plan_suffix));
}

std::filesystem::path entries_path(const std::filesystem::path& dir,
                                   const std::string& percorso,
                                   const std::string& treno) {
  return dir / (percorso + "_" + treno + std::string(format::entries_suffix));
}

std::filesystem::path cells_path(const std::filesystem::path& dir,
                                 const std::string& percorso,
                                 const std::string& treno) {
  return dir / (percorso + "_" + treno + std::string(format::cells_suffix));
}

std::vector<std::filesystem::path> binary_outputs(
    const std::filesystem::path& dir, const std::string& percorso,
    const std::string& treno) {
  return {plan_path(dir, percorso), entries_path(dir, percorso, treno),
          cells_path(dir, percorso, treno)};
}

int fill_marker_slots(scenario_model& m) {
  voce& entry = m.voci[format::marker_entry];
  cella& cell = m.celle.at(format::marker_cell);
  if (entry.num1 != 0 || cell.dato1 != 0)
    return code_number(error_code::marker_slot_used);
  entry.num1 = format::entries_marker;
  cell.dato1 = format::cells_marker;
  if (entry.orario != 0 || cell.dato2 != 0)
    return code_number(error_code::checksum_slot_used);
  entry.orario = codice_gara_st(m);
  cell.dato2 = codice_gara_og(m);
  return 0;
}

void write_cella(replacement_file& out, const cella& c) {
  out.put_u8(c.tipo);
  out.put_i16(c.dato1);
  out.put_i16(c.dato2);
  out.put_i16(c.dato3);
  out.put_i16(c.dato4);
  out.put_u8(c.tempo);
  out.put_u8(c.avviso);
  out.put_u8(c.montagna);
  out.put_u8(c.velocita_limite);
  out.put_u8(c.pendenza);
  out.put_u8(c.aderenza);
}

void write_voce(replacement_file& out, const voce& v) {
  out.put_u8(v.tipo);
  out.put_i32(v.inizio);
  out.put_i32(v.fine);
  out.put_i32(v.posizione);
  out.put_u8(v.flag1);
  // A text is its 16-bit length, then its 8-bit characters. Texts come from
  // description lines, far shorter than 64 KiB; a longer one keeps its first
  // 65535 bytes so that the length always matches what follows.
  const size_t length = std::min(v.nome.size(), format::entry_name_max_bytes);
  out.put_u16(static_cast<uint16_t>(length));
  out.put(std::string_view(v.nome).substr(0, length));
  out.put_i16(v.num1);
  out.put_i16(v.num2);
  out.put_i16(v.num3);
  out.put_i16(v.num4);
  out.put_i16(v.num5);
  out.put_u8(v.flag2);
  out.put_u8(v.flag3);
  out.put_u8(v.flag4);
  out.put_u8(v.flag5);
  out.put_i32(v.orario);
}

void write_plan_element(replacement_file& out, const tracciato_t& t,
                        int64_t metre, int coord) {
  char* const start = out.reserve(format::element_double_bytes);
  char* const end =
      put_element(start, t.kind(metre, coord), t.value(metre, coord));
  out.wrote(static_cast<size_t>(end - start));
}

bool write_binary_files(const scenario_model& m,
                        const std::filesystem::path& dir,
                        file_failure* failure) {
  // Every file of the set is written out completely before any is renamed
  // over its old one: a mix of new and old files would load as one
  // inconsistent scenario. An unfinished file removes its temporary file.
  std::vector<std::unique_ptr<replacement_file>> set;
  const auto start = [&set](const std::filesystem::path& path) {
    return set.emplace_back(std::make_unique<replacement_file>(path)).get();
  };
  if (m.con_tracciato != 0 && m.tracciato.exists()) {
    replacement_file* plan = start(plan_path(dir, m.percorso));
    if (!plan->ok()) return failed(*plan, failure);
    put_plan(*plan, m.tracciato);
    if (!plan->complete()) return failed(*plan, failure);
  }
  replacement_file* entries = start(entries_path(dir, m.percorso, m.treno));
  if (!entries->ok()) return failed(*entries, failure);
  for (const voce& v : m.voci) write_voce(*entries, v);
  if (!entries->complete()) return failed(*entries, failure);
  replacement_file* cells = start(cells_path(dir, m.percorso, m.treno));
  if (!cells->ok()) return failed(*cells, failure);
  for (const cella& c : m.celle) write_cella(*cells, c);
  if (!cells->complete()) return failed(*cells, failure);

  for (const auto& out : set) {
    if (target_is_a_folder(*out, failure)) return false;
  }
  for (const auto& out : set) {
    if (!out->install()) return failed(*out, failure);
  }
  return true;
}

}  // namespace scenario
