#include "decoding/diff.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>
#include <utility>

#include "decoding/readout.h"
#include "model/kilometres.h"

namespace scenario {
namespace {

constexpr std::string_view arrow = " \u2192 ";  // old → new
constexpr std::string_view dash = "\u2013";     // ranges: first–last

// ---------------------------------------------------------------- texts

// The entry's 8-bit text as UTF-8, with control characters (the undefined
// bytes among them) and backslashes escaped so that every byte stays
// visible on one line and a terminal obeys none.
std::string readable_text(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    const char32_t c = windows1252_code_point(b);
    if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
      out += escaped;
    } else {
      append_utf8(out, c);
    }
  }
  return out;
}

// Shortest text that reads back as the same double.
std::string number_text(double v) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

// A difference for people: six significant digits are plenty.
std::string amount_text(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

std::string change_text(std::string_view field, const std::string& from,
                        const std::string& to) {
  std::string out(field);
  out += ' ';
  out += from;
  out += arrow;
  out += to;
  return out;
}

std::string range_text(int64_t first, int64_t last) {
  return std::to_string(first) + std::string(dash) + std::to_string(last);
}

// ---------------------------------------------------------------- cells

struct cell_field {
  const char* name;
  int (*get)(const cella&);
};

constexpr std::array<cell_field, 11> cell_fields = {{
    {"tipo", [](const cella& c) -> int { return c.tipo; }},
    {"dato1", [](const cella& c) -> int { return c.dato1; }},
    {"dato2", [](const cella& c) -> int { return c.dato2; }},
    {"dato3", [](const cella& c) -> int { return c.dato3; }},
    {"dato4", [](const cella& c) -> int { return c.dato4; }},
    {"tempo", [](const cella& c) -> int { return c.tempo; }},
    {"avviso", [](const cella& c) -> int { return c.avviso; }},
    {"montagna", [](const cella& c) -> int { return c.montagna; }},
    {"velocita_limite",
     [](const cella& c) -> int { return c.velocita_limite; }},
    {"pendenza", [](const cella& c) -> int { return c.pendenza; }},
    {"aderenza", [](const cella& c) -> int { return c.aderenza; }},
}};

struct field_change {
  int field = 0;
  int from = 0;
  int to = 0;
  bool operator==(const field_change&) const = default;
};
using change_list = std::vector<field_change>;

change_list cell_changes(const cella& a, const cella& b, uint16_t masked) {
  change_list changes;
  for (int f = 0; f < static_cast<int>(cell_fields.size()); ++f) {
    if ((masked >> f & 1) != 0) continue;
    const int from = cell_fields[f].get(a);
    const int to = cell_fields[f].get(b);
    if (from != to) changes.push_back({f, from, to});
  }
  return changes;
}

std::string changes_text(const change_list& changes) {
  std::string out;
  for (const field_change& c : changes) {
    if (!out.empty()) out += ", ";
    out += change_text(cell_fields[c.field].name, std::to_string(c.from),
                       std::to_string(c.to));
  }
  return out;
}

// A cell is placed by what it holds; when one side holds an object there
// and the other does not, the object's rule names the place.
int64_t cell_position(const scenario_model& a, const scenario_model& b,
                      int64_t i) {
  const int64_t in_a = cell_position_m(a.celle[i], i);
  if (in_a != layer_position_m(i)) return in_a;
  return cell_position_m(b.celle[i], i);
}

std::string cells_label(const scenario_model& a, const scenario_model& b,
                        int64_t first, int64_t last, const translator& tr) {
  if (first == last) {
    return tr.format("cell %s (%s)", std::to_string(first),
                     format_km(cell_position(a, b, first)));
  }
  return tr.format("cells %s (%s\u2013%s)", range_text(first, last),
                   format_km(cell_position(a, b, first)),
                   format_km(cell_position(a, b, last)));
}

// "134 cells (1 → 0 in 67, 0 → 1 in 67)": the count, and the ways when
// they are few enough to read.
std::string ways_text(const std::map<std::pair<int, int>, int64_t>& ways,
                      const translator& tr) {
  constexpr size_t most_ways_shown = 4;
  int64_t cells = 0;
  for (const auto& [way, count] : ways) cells += count;
  std::string out =
      tr.format_plural("%s cell", "%s cells", static_cast<uint64_t>(cells),
                       std::to_string(cells));
  if (ways.size() > most_ways_shown) return out;
  std::string list;
  for (const auto& [way, count] : ways) {
    if (!list.empty()) list += ", ";
    list += std::to_string(way.first) + std::string(arrow) +
            std::to_string(way.second) + " in " + std::to_string(count);
  }
  return out + " (" + list + ")";
}

// Consecutive cells with the same changes.
struct cell_run {
  int64_t first = 0;
  int64_t last = 0;
  change_list changes;
};

void diff_cells(const scenario_model& a, const scenario_model& b,
                const diff_options& options, const diff_mask* mask,
                std::vector<std::string>& out, const translator& tr) {
  const int64_t count_a = static_cast<int64_t>(a.celle.size());
  const int64_t count_b = static_cast<int64_t>(b.celle.size());
  const int64_t common = std::min(count_a, count_b);
  if (count_a != count_b && (mask == nullptr || !mask->cell_count)) {
    out.push_back(tr.format("cell count %s \u2192 %s; the first %s compared",
                            std::to_string(count_a), std::to_string(count_b),
                            std::to_string(common)));
  }

  std::vector<cell_run> runs;
  for (int64_t i = 0; i < common; ++i) {
    if (a.celle[i] == b.celle[i]) continue;
    const uint16_t masked =
        mask != nullptr && i < static_cast<int64_t>(mask->cells.size())
            ? mask->cells[i]
            : 0;
    change_list changes = cell_changes(a.celle[i], b.celle[i], masked);
    if (changes.empty()) continue;
    if (!runs.empty() && runs.back().last == i - 1 &&
        runs.back().changes == changes) {
      runs.back().last = i;
    } else {
      runs.push_back({i, i, std::move(changes)});
    }
  }

  // Stretches of nearby runs: listed run by run when short, summarised per
  // field when long (a shifted section would otherwise print every cell).
  size_t begin = 0;
  while (begin < runs.size()) {
    size_t end = begin + 1;
    while (end < runs.size() &&
           runs[end].first - runs[end - 1].last <= options.stretch_gap_cells) {
      ++end;
    }
    const size_t lines = end - begin;
    if (options.max_stretch_lines <= 0 ||
        lines <= static_cast<size_t>(options.max_stretch_lines)) {
      for (size_t r = begin; r < end; ++r) {
        out.push_back(cells_label(a, b, runs[r].first, runs[r].last, tr) +
                      ": " + changes_text(runs[r].changes));
      }
    } else {
      // Per field, how many cells change each way.
      std::array<std::map<std::pair<int, int>, int64_t>, cell_fields.size()>
          ways{};
      for (size_t r = begin; r < end; ++r) {
        for (const field_change& c : runs[r].changes) {
          ways[c.field][{c.from, c.to}] += runs[r].last - runs[r].first + 1;
        }
      }
      const std::string label =
          cells_label(a, b, runs[begin].first, runs[end - 1].last, tr);
      for (size_t f = 0; f < cell_fields.size(); ++f) {
        if (ways[f].empty()) continue;
        out.push_back(label + ": " +
                      tr.format("%s differs in %s", cell_fields[f].name,
                                ways_text(ways[f], tr)));
      }
    }
    begin = end;
  }
}

// ---------------------------------------------------------------- entries

struct entry_field {
  const char* name;
  int64_t (*get)(const voce&);  // null for the text
};

constexpr std::array<entry_field, 16> entry_fields = {{
    {"tipo", [](const voce& v) -> int64_t { return v.tipo; }},
    {"inizio", [](const voce& v) -> int64_t { return v.inizio; }},
    {"fine", [](const voce& v) -> int64_t { return v.fine; }},
    {"posizione", [](const voce& v) -> int64_t { return v.posizione; }},
    {"flag1", [](const voce& v) -> int64_t { return v.flag1; }},
    {"nome", nullptr},
    {"num1", [](const voce& v) -> int64_t { return v.num1; }},
    {"num2", [](const voce& v) -> int64_t { return v.num2; }},
    {"num3", [](const voce& v) -> int64_t { return v.num3; }},
    {"num4", [](const voce& v) -> int64_t { return v.num4; }},
    {"num5", [](const voce& v) -> int64_t { return v.num5; }},
    {"flag2", [](const voce& v) -> int64_t { return v.flag2; }},
    {"flag3", [](const voce& v) -> int64_t { return v.flag3; }},
    {"flag4", [](const voce& v) -> int64_t { return v.flag4; }},
    {"flag5", [](const voce& v) -> int64_t { return v.flag5; }},
    {"orario", [](const voce& v) -> int64_t { return v.orario; }},
}};

// What a field of a general entry holds, or null when it has no fixed use.
const char* general_meaning(int entry, std::string_view field) {
  struct meaning {
    int entry;
    std::string_view field;
    const char* text;
  };
  static constexpr meaning meanings[] = {
      {84, "inizio", "percentuale massa frenata"},
      {84, "fine", "lunghezza percorso"},
      {84, "posizione", "numero vetture"},
      {85, "inizio", "sfondo uno"},
      {85, "fine", "sfondo tre"},
      {85, "posizione", "sfondo due"},
      {85, "nome", N_("route")},
      {85, "num1", N_("format marker")},
      {85, "orario", N_("checksum")},
      {86, "inizio", N_("ripetizione segnali, first")},
      {86, "fine", N_("ripetizione segnali, second")},
      {86, "posizione", N_("code count")},
      {86, "nome", N_("train")},
      {86, "num1", "sabbia"},
      {86, "num3", N_("orologio hours")},
      {86, "num4", N_("orologio minutes")},
      {86, "num5", N_("orologio seconds")},
  };
  for (const meaning& m : meanings) {
    if (m.entry == entry && m.field == field) return m.text;
  }
  return nullptr;
}

// Entries that a direction board's cell points to.
std::array<bool, voci_count> board_entries(const scenario_model& m) {
  std::array<bool, voci_count> boards{};
  for (const cella& c : m.celle) {
    if (c.tipo == tipo_cella::cartello_indicatore && c.dato1 > 0 &&
        c.dato1 < voci_count) {
      boards[c.dato1] = true;
    }
  }
  return boards;
}

// The use of entry `i` in one scenario, empty when it holds nothing.
std::string entry_use(const scenario_model& m,
                      const std::array<bool, voci_count>& boards, int i,
                      const translator& tr) {
  const voce& v = m.voci[i];
  switch (i) {
    case 0:
      return tr("unused");
    case voce_index::progressiva_tre:
      return "progressiva chilometrica tre";
    case voce_index::progressiva_due:
      return "progressiva chilometrica due";
    case voce_index::progressiva_uno:
      return "progressiva chilometrica uno";
    case voce_index::treno_generale:
      return tr("general values of the train");
    case voce_index::percorso_generale:
      return tr("general values of the route");
    case voce_index::segnali_generale:
      return tr("general values of signals and train");
  }
  if (boards[i]) return tr.format("board %s", readable_text(v.nome));
  if (v == voce{}) return {};
  if (v.nome.empty()) return tr.format("station at %s", format_km(v.posizione));
  return tr.format("station %s", readable_text(v.nome));
}

void diff_entries(const scenario_model& a, const scenario_model& b,
                  const diff_mask* mask, std::vector<std::string>& out,
                  const translator& tr) {
  const auto boards_a = board_entries(a);
  const auto boards_b = board_entries(b);
  for (int i = 0; i < voci_count; ++i) {
    const voce& va = a.voci[i];
    const voce& vb = b.voci[i];
    if (va == vb) continue;
    std::string use = entry_use(a, boards_a, i, tr);
    if (use.empty()) use = entry_use(b, boards_b, i, tr);
    const uint16_t masked = mask != nullptr ? mask->entries[i] : 0;
    std::string changes;
    for (size_t bit = 0; bit < entry_fields.size(); ++bit) {
      const entry_field& f = entry_fields[bit];
      if ((masked >> bit & 1) != 0) continue;
      std::string from, to;
      if (f.get == nullptr) {
        if (va.nome == vb.nome) continue;
        from = quote_entry_text(va.nome);
        to = quote_entry_text(vb.nome);
      } else {
        if (f.get(va) == f.get(vb)) continue;
        from = std::to_string(f.get(va));
        to = std::to_string(f.get(vb));
      }
      std::string name = f.name;
      if (const char* meaning = general_meaning(i, f.name)) {
        name += std::string(" (") + tr(meaning) + ")";
      }
      if (!changes.empty()) changes += ", ";
      changes += change_text(name, from, to);
    }
    if (changes.empty()) continue;
    out.push_back(
        tr.format("entry %s (%s): %s", std::to_string(i), use, changes));
  }
}

// ---------------------------------------------------------------- plan

using genere = tracciato_t::genere;

const char* kind_name(genere g, const translator& tr) {
  switch (g) {
    case genere::vuoto:
      return tr("empty");
    case genere::intero16:
      return tr("16-bit");
    case genere::doppio:
      return tr("double");
  }
  return "?";
}

std::string element_text(const tracciato_t& t, int64_t metre, int coord,
                         const translator& tr) {
  switch (t.kind(metre, coord)) {
    case genere::vuoto:
      return tr("empty");
    case genere::intero16:
      return std::to_string(static_cast<int>(t.value(metre, coord)));
    case genere::doppio:
      return number_text(t.value(metre, coord));
  }
  return "?";
}

std::string element_with_kind(const tracciato_t& t, int64_t metre, int coord,
                              const translator& tr) {
  if (t.kind(metre, coord) == genere::vuoto) return tr("empty");
  return std::string(kind_name(t.kind(metre, coord), tr)) + " " +
         element_text(t, metre, coord, tr);
}

// Values compare by their bits, as the file holds them (so -0 is not 0).
bool same_value(double x, double y) {
  return std::memcmp(&x, &y, sizeof x) == 0;
}

std::string metres_label(int64_t first, int64_t last, const translator& tr) {
  if (first == last) return tr.format("plan metre %s", std::to_string(first));
  return tr.format("plan metres %s", range_text(first, last));
}

const char* coord_name(int coord) { return coord == 0 ? "x" : "y"; }

struct plan_line {
  int64_t first;
  int coord;
  std::string text;
};

// Metres where one coordinate holds the same kind on both sides and
// different values, grouped across short equal gaps.
struct value_range {
  int64_t first = -1;
  int64_t last = -1;
  int64_t count = 0;
  double largest = 0;
  int64_t largest_at = 0;
};

// Consecutive metres where the kind changes the same way.
struct kind_range {
  int64_t first = -1;
  int64_t last = -1;
  genere from{};
  genere to{};
};

void diff_coordinate(const tracciato_t& a, const tracciato_t& b, int coord,
                     int64_t metres, const diff_options& options,
                     std::vector<plan_line>& lines, const translator& tr) {
  const char* name = coord_name(coord);
  value_range values;
  kind_range kinds;

  auto close_values = [&] {
    if (values.count == 0) return;
    std::string text = metres_label(values.first, values.last, tr) + ": ";
    if (values.count == 1) {
      text += change_text(name, element_text(a, values.first, coord, tr),
                          element_text(b, values.first, coord, tr));
    } else {
      text +=
          tr.format("%s differs in %s metres (largest %s at metre %s)", name,
                    std::to_string(values.count), amount_text(values.largest),
                    std::to_string(values.largest_at));
    }
    lines.push_back({values.first, coord, std::move(text)});
    values = {};
  };
  auto close_kinds = [&] {
    if (kinds.first < 0) return;
    std::string text = metres_label(kinds.first, kinds.last, tr) + ": ";
    if (kinds.first == kinds.last) {
      text += change_text(name, element_with_kind(a, kinds.first, coord, tr),
                          element_with_kind(b, kinds.first, coord, tr));
    } else {
      text +=
          change_text(name, kind_name(kinds.from, tr), kind_name(kinds.to, tr));
    }
    lines.push_back({kinds.first, coord, std::move(text)});
    kinds = {};
  };

  for (int64_t m = 0; m < metres; ++m) {
    const genere ka = a.kind(m, coord);
    const genere kb = b.kind(m, coord);
    if (ka != kb) {
      if (kinds.first >= 0 &&
          (kinds.last != m - 1 || kinds.from != ka || kinds.to != kb)) {
        close_kinds();
      }
      if (kinds.first < 0) kinds = {m, m, ka, kb};
      kinds.last = m;
      continue;
    }
    if (ka == genere::vuoto) continue;
    const double va = a.value(m, coord);
    const double vb = b.value(m, coord);
    if (same_value(va, vb)) continue;
    if (values.count > 0 && m - values.last > options.plan_gap_m) {
      close_values();
    }
    const double d = std::fabs(va - vb);
    if (values.count == 0) {
      values.first = m;
      values.largest = d;
      values.largest_at = m;
    } else if (d > values.largest || std::isnan(d)) {
      values.largest = d;
      values.largest_at = m;
    }
    values.last = m;
    ++values.count;
  }
  close_values();
  close_kinds();
}

void diff_plan(const scenario_model& a, const scenario_model& b,
               const diff_options& options, std::vector<std::string>& out,
               const translator& tr) {
  const tracciato_t& pa = a.tracciato;
  const tracciato_t& pb = b.tracciato;
  if (!pa.exists() && !pb.exists()) return;
  auto extent = [&](const tracciato_t& t) {
    return t.exists() ? tr.format("%s metres", std::to_string(t.size()))
                      : std::string(tr("none"));
  };
  if (!pa.exists() || !pb.exists()) {
    out.push_back(tr.format("plan: %s \u2192 %s", extent(pa), extent(pb)));
    return;
  }
  const int64_t common = std::min(pa.size(), pb.size());
  if (pa.size() != pb.size()) {
    out.push_back(tr.format("plan: %s \u2192 %s; the first %s compared",
                            extent(pa), extent(pb), std::to_string(common)));
  }
  std::vector<plan_line> lines;
  for (int coord = 0; coord < 2; ++coord) {
    diff_coordinate(pa, pb, coord, common, options, lines, tr);
  }
  std::stable_sort(
      lines.begin(), lines.end(), [](const plan_line& x, const plan_line& y) {
        return std::pair(x.first, x.coord) < std::pair(y.first, y.coord);
      });
  for (plan_line& l : lines) out.push_back(std::move(l.text));
}

}  // namespace

std::string quote_entry_text(const std::string& text) {
  std::string out = "\"";
  for (const char ch : readable_text(text)) {
    if (ch == '"') out += '\\';
    out += ch;
  }
  return out + "\"";
}

std::vector<std::string> diff_scenarios(const scenario_model& a,
                                        const scenario_model& b,
                                        const diff_options& options,
                                        const diff_mask* mask,
                                        const translator& tr) {
  std::vector<std::string> out;
  diff_cells(a, b, options, mask, out, tr);
  diff_entries(a, b, mask, out, tr);
  if (mask == nullptr || !mask->plan) diff_plan(a, b, options, out, tr);
  return out;
}

}  // namespace scenario
