#include "output/binary_files.h"

#include <algorithm>
#include <cstring>

#include "output/checksum.h"
#include "output/format.h"

namespace scenario {
namespace {

bool finish(replacement_file& out, file_failure* failure) {
  if (out.commit()) return true;
  if (failure != nullptr) *failure = out.failure();
  return false;
}

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

bool write_plan(const tracciato_t& t, const std::filesystem::path& path,
                file_failure* failure) {
  replacement_file out(path);
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
  return finish(out, failure);
}

bool write_entries(const scenario_model& m, const std::filesystem::path& path,
                   file_failure* failure) {
  replacement_file out(path);
  for (const voce& v : m.voci) write_voce(out, v);
  return finish(out, failure);
}

bool write_cells(const scenario_model& m, const std::filesystem::path& path,
                 file_failure* failure) {
  replacement_file out(path);
  for (const cella& c : m.celle) write_cella(out, c);
  return finish(out, failure);
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

int fill_marker_slots(scenario_model& m) {
  voce& entry = m.voci[format::marker_entry];
  cella& cell = m.celle.at(format::marker_cell);
  if (entry.num1 != 0 || cell.dato1 != 0) return 1250;
  entry.num1 = format::entries_marker;
  cell.dato1 = format::cells_marker;
  if (entry.orario != 0 || cell.dato2 != 0) return 1251;
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
  if (m.con_tracciato != 0 && m.tracciato.exists() &&
      !write_plan(m.tracciato, plan_path(dir, m.percorso), failure)) {
    return false;
  }
  return write_entries(m, entries_path(dir, m.percorso, m.treno), failure) &&
         write_cells(m, cells_path(dir, m.percorso, m.treno), failure);
}

}  // namespace scenario
