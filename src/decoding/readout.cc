#include "decoding/readout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "model/kilometres.h"
#include "railway/rules.h"

namespace scenario {
namespace {

// Output through a buffer of its own, written out in large pieces: the
// JSON and CSV of a long line are tens of megabytes of small fields.
class buffered_out {
 public:
  explicit buffered_out(std::ostream& out)
      : out_(out), buf_(new char[buffer_bytes]) {}
  ~buffered_out() { flush(); }
  buffered_out(const buffered_out&) = delete;
  buffered_out& operator=(const buffered_out&) = delete;

  buffered_out& operator<<(std::string_view s) {
    if (s.size() > buffer_bytes - used_) {
      flush();
      if (s.size() > buffer_bytes) {
        out_.write(s.data(), static_cast<std::streamsize>(s.size()));
        return *this;
      }
    }
    std::memcpy(buf_.get() + used_, s.data(), s.size());
    used_ += s.size();
    return *this;
  }
  buffered_out& operator<<(char c) {
    room(1);
    buf_[used_++] = c;
    return *this;
  }
  buffered_out& operator<<(int64_t v) {
    room(max_number_bytes);
    used_ = static_cast<size_t>(
        std::to_chars(buf_.get() + used_, buf_.get() + buffer_bytes, v).ptr -
        buf_.get());
    return *this;
  }
  // The shortest text that reads back as the same double, always with a
  // fraction or exponent so that it stays a double; JSON has no NaN or
  // infinity, so those are null.
  void put_double(double d) {
    if (!std::isfinite(d)) {
      *this << std::string_view("null");
      return;
    }
    room(max_number_bytes);
    char* const first = buf_.get() + used_;
    char* const last = std::to_chars(first, buf_.get() + buffer_bytes, d).ptr;
    bool marked = false;
    for (const char* p = first; p != last; ++p) {
      marked = marked || *p == '.' || *p == 'e';
    }
    used_ = static_cast<size_t>(last - buf_.get());
    if (!marked) *this << std::string_view(".0");
  }
  void flush() {
    out_.write(buf_.get(), static_cast<std::streamsize>(used_));
    used_ = 0;
  }

 private:
  static constexpr size_t buffer_bytes = size_t{1} << 16;
  static constexpr size_t max_number_bytes = 32;
  void room(size_t n) {
    if (buffer_bytes - used_ < n) flush();
  }

  std::ostream& out_;
  std::unique_ptr<char[]> buf_;
  size_t used_ = 0;
};

// One plan element: nothing for an empty one (`empty` is written), the
// integer for a 16-bit one, the double otherwise.
void put_element(buffered_out& out, const tracciato_t& t, int64_t metre,
                 int coord, std::string_view empty) {
  switch (t.kind(metre, coord)) {
    case tracciato_t::genere::vuoto:
      out << empty;
      break;
    case tracciato_t::genere::intero16:
      out << static_cast<int64_t>(t.value(metre, coord));
      break;
    case tracciato_t::genere::doppio:
      out.put_double(t.value(metre, coord));
      break;
  }
}

std::string json_text(std::string_view eight_bit) {
  return nlohmann::json(windows1252_to_utf8(eight_bit)).dump();
}

std::string padded(std::string s, size_t width, bool right = true) {
  if (s.size() >= width) return s;
  const std::string fill(width - s.size(), ' ');
  return right ? fill + s : s + fill;
}

std::string num(int64_t v) { return std::to_string(v); }

// Stretches of equal layer values as "FROM to TO: VALUE" lines.
void write_layer_runs(const std::vector<layer_stretch>& runs, std::ostream& out,
                      const char* unit, const translator& tr) {
  for (const layer_stretch& r : runs) {
    out << "  "
        << tr.format("%s to %s",
                     padded(format_km(layer_position_m(r.from_cell)), 9),
                     padded(format_km(layer_position_m(r.to_cell)), 9))
        << "  " << r.value << unit << '\n';
  }
}

void write_line(const scenario_model& m, std::ostream& out,
                const translator& tr) {
  const voce& train = m.voci[voce_index::treno_generale];
  const voce& route = m.voci[voce_index::percorso_generale];
  const voce& signals = m.voci[voce_index::segnali_generale];
  out << tr.format("Route %s, train %s", windows1252_to_printable(m.percorso),
                   windows1252_to_printable(m.treno))
      << '\n';
  out << tr.format(
             "Line: %s m (0+000 to %s), extended to %s m; cells 0 to %s of %s "
             "m",
             num(train.fine), format_km(train.fine), num(m.lunghezza_estesa),
             num(m.numero_celle), num(cell_length_m))
      << '\n';
  out << tr("Kilometric progressives (inizio, fine, posizione):") << '\n';
  const std::pair<const char*, int> progressives[] = {
      {"uno", voce_index::progressiva_uno},
      {"due", voce_index::progressiva_due},
      {"tre", voce_index::progressiva_tre}};
  for (const auto& [name, index] : progressives) {
    const voce& v = m.voci[index];
    out << "  "
        << tr.format("%s (entry %s): %s, %s, %s", name, num(index),
                     num(v.inizio), num(v.fine), num(v.posizione))
        << '\n';
  }
  out << tr.format("Backgrounds: uno %s, due %s, tre %s", num(route.inizio),
                   num(route.posizione), num(route.fine))
      << '\n';
  out << tr.format("Signal repetition: %s, %s (codes %s)", num(signals.inizio),
                   num(signals.fine), num(signals.posizione))
      << '\n';
  out << tr.format("Train: %s cars, braking mass %s %%, sand %s, clock %s",
                   num(train.posizione), num(train.inizio), num(signals.num1),
                   format_time(int64_t{signals.num3} * 3600 +
                               signals.num4 * 60 + signals.num5))
      << '\n';
}

// A column heading at least `width` wide, and the width it takes.
size_t heading_width(const char* heading, size_t width) {
  return std::max(width, std::string_view(heading).size());
}

void write_stations(const railway_objects& o, std::ostream& out,
                    const translator& tr) {
  const size_t entry_w = heading_width(tr("entry"), 5);
  const size_t position_w = heading_width(tr("position"), 8);
  const size_t kind_w = heading_width(tr("kind"), 4);
  const size_t stop_w = std::max(heading_width(tr("stop"), 4),
                                 std::string_view(tr("pass")).size());
  out << '\n'
      << tr.format("Stations (%s):",
                   num(static_cast<int64_t>(o.stations.size())))
      << '\n'
      << "  " << padded(tr("entry"), entry_w) << "  "
      << padded(tr("position"), position_w) << "  "
      << padded(tr("kind"), kind_w) << "  " << padded(tr("zone"), 22, false)
      << "  " << padded(tr("time"), 8, false) << "  "
      << padded(tr("stop"), stop_w, false) << "  " << tr("name") << '\n';
  for (const station_view& s : o.stations) {
    const voce& v = *s.v;
    const bool timed = v.orario != 0 || s.stops;
    out << "  " << padded(num(s.entry), entry_w) << "  "
        << padded(format_km(v.posizione), position_w) << "  "
        << padded(num(v.tipo), kind_w) << "  "
        << padded(tr.format("%s to %s", format_km(v.inizio), format_km(v.fine)),
                  22, false)
        << "  " << padded(timed ? format_time(v.orario) : "-", 8, false) << "  "
        << padded(s.stops ? tr("stop") : tr("pass"), stop_w, false) << "  "
        << windows1252_to_printable(v.nome) << '\n';
  }
}

void write_signals(const railway_objects& o, std::ostream& out,
                   const translator& tr) {
  out << '\n'
      << tr.format(
             "Signals (%s): left and right kinds, values s1 s2 s3 and d1 "
             "d2 d3, rapp, tempo",
             num(static_cast<int64_t>(o.signals.size())))
      << '\n';
  for (const signal_view& s : o.signals) {
    out << "  " << padded(format_km(object_position_m(s.cell)), 8) << "  "
        << tr.format("cell %s", padded(num(s.cell), 6, false)) << " sx "
        << s.left_kind << " dx " << s.right_kind << "  s " << s.left[0] << ' '
        << s.left[1] << ' ' << s.left[2] << "  d " << s.right[0] << ' '
        << s.right[1] << ' ' << s.right[2] << "  rapp " << s.rapp << "  tempo "
        << s.tempo << '\n';
  }
}

void write_tunnels(const railway_objects& o, std::ostream& out,
                   const translator& tr) {
  out << '\n'
      << tr.format("Tunnels (%s):", num(static_cast<int64_t>(o.tunnels.size())))
      << '\n';
  for (const tunnel_view& t : o.tunnels) {
    out << "  "
        << tr.format("%s to %s", padded(format_km(t.from_m), 8),
                     padded(format_km(t.to_m), 8))
        << "  " << padded(num(t.to_m - t.from_m), 5) << " m  "
        << tr.format("kind %s", num(t.kind));
    if (!t.name.empty()) out << "  " << windows1252_to_printable(t.name);
    out << '\n';
  }
}

void write_boards(const railway_objects& o, std::ostream& out,
                  const translator& tr) {
  out << '\n'
      << tr.format("Direction boards (%s):",
                   num(static_cast<int64_t>(o.direction_boards.size())))
      << '\n';
  for (const direction_board_view& b : o.direction_boards) {
    out << "  " << padded(format_km(object_position_m(b.cell)), 8) << "  "
        << tr.format("entry %s", padded(num(b.entry), 2)) << "  ";
    if (b.v != nullptr) {
      out << windows1252_to_printable(b.v->nome);
    } else {
      out << tr("(no such entry)");
    }
    out << '\n';
  }
  out << '\n'
      << tr.format(
             "Speed boards (%s): speeds a b c as left|right km/h, "
             "stripes left|right",
             num(static_cast<int64_t>(o.speed_boards.size())))
      << '\n';
  for (const speed_board_view& b : o.speed_boards) {
    out << "  " << padded(format_km(object_position_m(b.cell)), 8);
    for (int k = 0; k < 3; ++k) {
      out << "  " << padded(num(b.left[k]) + "|" + num(b.right[k]), 7, false);
    }
    out << "  "
        << tr.format("stripes %s|%s", num(b.left_stripes), num(b.right_stripes))
        << '\n';
  }
}

// One line per slowdown: start to end, speed, then what it carries beyond.
void write_slowdowns(const railway_objects& o, std::ostream& out,
                     const translator& tr) {
  out << '\n'
      << tr.format("Slowdowns (%s): start to end, speed, warning",
                   num(static_cast<int64_t>(o.slowdowns.size())))
      << '\n';
  const auto at = [](const std::optional<int64_t>& cell) {
    return cell ? format_km(object_position_m(*cell)) : std::string("?");
  };
  for (const slowdown_view& d : o.slowdowns) {
    out << "  "
        << tr.format("%s to %s", padded(at(d.start_cell), 8),
                     padded(at(d.end_cell), 8))
        << "  " << padded(num(d.speed), 4) << " km/h";
    if (d.second_speed != 0) {
      out << tr.format(", second speed %s", num(d.second_speed));
    }
    if (d.start_cell || d.end_cell) out << ", f_tt " << d.f_tt;
    if (d.warning_cell) {
      out << tr.format(", warning at %s", at(d.warning_cell));
      if (d.approach) out << tr(" with approach marks");
    } else {
      out << tr(", no warning");
    }
    out << '\n';
  }
}

void write_speed_points(const railway_objects& o, std::ostream& out,
                        const translator& tr) {
  out << '\n'
      << tr.format("Speed points (%s):",
                   num(static_cast<int64_t>(o.speed_points.size())))
      << '\n';
  for (const speed_point_view& p : o.speed_points) {
    out << "  " << padded(format_km(layer_position_m(p.cell)), 8) << "  ";
    if (p.speed) {
      out << *p.speed << " km/h\n";
    } else {
      out << tr("no speed") << '\n';
    }
  }
}

void write_plan_extent(const scenario_model& m, std::ostream& out,
                       const translator& tr) {
  const tracciato_t& t = m.tracciato;
  if (!t.exists()) {
    out << '\n' << tr("Plan: none") << '\n';
    return;
  }
  std::array<double, 2> low = {std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::infinity()};
  std::array<double, 2> high = {-low[0], -low[1]};
  std::array<int64_t, 3> kinds{};
  for (int coord = 0; coord < 2; ++coord) {
    for (int64_t metre = 0; metre < t.size(); ++metre) {
      const auto kind = t.kind(metre, coord);
      ++kinds[static_cast<int>(kind)];
      if (kind == tracciato_t::genere::vuoto) continue;
      low[coord] = std::min(low[coord], t.value(metre, coord));
      high[coord] = std::max(high[coord], t.value(metre, coord));
    }
  }
  const auto metres = [](double v) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", v);
    return std::string(text);
  };
  out << '\n'
      << tr.format(
             "Plan: metres 0 to %s; x from %s to %s m, y from %s to %s "
             "m; %s 16-bit, %s double and %s empty elements",
             num(t.size() - 1), metres(low[0]), metres(high[0]), metres(low[1]),
             metres(high[1]), num(kinds[1]), num(kinds[2]), num(kinds[0]))
      << '\n';
}

// The fields of a cell in their file order, named by cell_field_names.
std::array<int64_t, 11> cell_fields(const cella& c) {
  return {c.tipo,    c.dato1,  c.dato2,    c.dato3,           c.dato4,
          c.tempo,   c.avviso, c.montagna, c.velocita_limite, c.pendenza,
          c.aderenza};
}

constexpr const char* cell_field_names[] = {
    "tipo",   "dato1",    "dato2",           "dato3",    "dato4",   "tempo",
    "avviso", "montagna", "velocita_limite", "pendenza", "aderenza"};

}  // namespace

std::string format_time(int64_t seconds) {
  const bool negative = seconds < 0;
  const uint64_t s = negative ? 0 - static_cast<uint64_t>(seconds)
                              : static_cast<uint64_t>(seconds);
  char text[40];
  std::snprintf(text, sizeof text, "%s%02llu:%02llu:%02llu",
                negative ? "-" : "", static_cast<unsigned long long>(s / 3600),
                static_cast<unsigned long long>(s / 60 % 60),
                static_cast<unsigned long long>(s % 60));
  return text;
}

void write_summary(const scenario_model& m, std::ostream& out,
                   const translator& tr) {
  const railway_objects o = read_railway_objects(m);
  write_line(m, out, tr);
  write_stations(o, out, tr);
  write_signals(o, out, tr);
  write_tunnels(o, out, tr);
  write_boards(o, out, tr);
  write_slowdowns(o, out, tr);
  write_speed_points(o, out, tr);
  out << '\n'
      << tr.format("Speed limits (over cells 0 to %s):",
                   num(last_layer_cell(m)))
      << '\n';
  write_layer_runs(o.speed_limits, out, " km/h", tr);
  out << '\n' << tr("Gradient (pendenza - 100):") << '\n';
  write_layer_runs(o.gradient, out, "", tr);
  out << '\n' << tr("Adhesion:") << '\n';
  write_layer_runs(o.adhesion, out, "", tr);
  write_plan_extent(m, out, tr);
}

void write_cell_table(const scenario_model& m, int64_t from_m, int64_t to_m,
                      std::ostream& out, const translator& tr) {
  const size_t cell_w = heading_width(tr("cell"), 6);
  const size_t position_w = heading_width(tr("position"), 8);
  out << padded(tr("cell"), cell_w) << "  "
      << padded(tr("position"), position_w);
  for (const char* name : cell_field_names) out << "  " << name;
  out << '\n';
  const int64_t first =
      std::max<int64_t>(0, (from_m + cell_length_m - 1) / cell_length_m);
  const int64_t last =
      std::min<int64_t>(static_cast<int64_t>(m.celle.size()) - 1,
                        to_m < 0 ? -1 : to_m / cell_length_m);
  for (int64_t i = first; i <= last; ++i) {
    const cella& c = m.celle[i];
    const std::array<int64_t, 11> fields = cell_fields(c);
    out << padded(num(i), cell_w) << "  "
        << padded(format_km(cell_position_m(c, i)), position_w);
    for (size_t f = 0; f < fields.size(); ++f) {
      out << "  "
          << padded(num(fields[f]),
                    std::string_view(cell_field_names[f]).size());
    }
    out << '\n';
  }
}

nlohmann::json cell_json(std::optional<int64_t> cell) {
  if (!cell) return nullptr;
  return {{"cell", *cell}, {"metres", object_position_m(*cell)}};
}

nlohmann::json stations_json(const railway_objects& o) {
  nlohmann::json list = nlohmann::json::array();
  for (const station_view& s : o.stations) {
    list.push_back({{"entry", s.entry},
                    {"name", windows1252_to_utf8(s.v->nome)},
                    {"metres", s.v->posizione},
                    {"time_s", s.v->orario},
                    {"dwell_s", s.v->flag3},
                    {"stop", s.stops}});
  }
  return list;
}

nlohmann::json boards_json(const railway_objects& o) {
  nlohmann::json list = nlohmann::json::array();
  for (const speed_board_view& b : o.speed_boards) {
    list.push_back(
        {{"cell", b.cell},
         {"metres", object_position_m(b.cell)},
         {"left", {{"speeds_kmh", b.left}, {"stripes", b.left_stripes}}},
         {"right", {{"speeds_kmh", b.right}, {"stripes", b.right_stripes}}}});
  }
  return list;
}

nlohmann::json slowdowns_json(const scenario_model& m,
                              const railway_objects& o) {
  nlohmann::json list = nlohmann::json::array();
  for (const slowdown_view& d : o.slowdowns) {
    nlohmann::json warning = cell_json(d.warning_cell);
    if (d.warning_cell) {
      warning["speed_kmh"] = railway::warning_speed_kmh(
          m.celle[static_cast<size_t>(*d.warning_cell)]);
      warning["approach"] = d.approach;
    }
    list.push_back({{"start", cell_json(d.start_cell)},
                    {"end", cell_json(d.end_cell)},
                    {"warning", warning},
                    {"speed_kmh", d.speed},
                    {"second_speed_kmh", d.second_speed},
                    {"f_tt", d.f_tt}});
  }
  return list;
}

// The railway objects, as every tool reads them (railway/).
nlohmann::json objects_json(const scenario_model& m) {
  const railway_objects o = read_railway_objects(m);
  nlohmann::json j;
  j["stations"] = stations_json(o);
  j["signals"] = nlohmann::json::array();
  for (const signal_view& g : o.signals) {
    j["signals"].push_back({{"cell", g.cell},
                            {"metres", object_position_m(g.cell)},
                            {"left_kind", g.left_kind},
                            {"right_kind", g.right_kind},
                            {"rapp", g.rapp}});
  }
  j["tunnels"] = nlohmann::json::array();
  for (const tunnel_view& t : o.tunnels) {
    j["tunnels"].push_back(
        {{"from_m", t.from_m},
         {"to_m", t.to_m},
         {"kind", t.kind},
         {"name", windows1252_to_utf8(t.name)},
         {"board", cell_json(t.board_cell < 0 ? std::nullopt
                                              : std::optional(t.board_cell))}});
  }
  j["speed_boards"] = boards_json(o);
  j["direction_boards"] = nlohmann::json::array();
  for (const direction_board_view& b : o.direction_boards) {
    j["direction_boards"].push_back(
        {{"cell", b.cell},
         {"metres", object_position_m(b.cell)},
         {"entry", b.entry},
         {"text", b.v ? windows1252_to_utf8(b.v->nome) : ""}});
  }
  j["slowdowns"] = slowdowns_json(m, o);
  j["speed_points"] = nlohmann::json::array();
  for (const speed_point_view& p : o.speed_points) {
    j["speed_points"].push_back(
        {{"cell", p.cell},
         {"metres", layer_position_m(p.cell)},
         {"speed_kmh", p.speed ? nlohmann::json(*p.speed) : nullptr}});
  }
  return j;
}

void write_json(const scenario_model& m, std::ostream& os) {
  buffered_out out(os);
  out << "{\"percorso\":" << json_text(m.percorso)
      << ",\"treno\":" << json_text(m.treno)
      << ",\"lunghezza\":" << int64_t{m.voci[voce_index::treno_generale].fine}
      << ",\"lunghezza_estesa\":" << int64_t{m.lunghezza_estesa}
      << ",\"numero_celle\":" << int64_t{m.numero_celle}
      << ",\"con_tracciato\":" << int64_t{m.con_tracciato} << ",\"voci\":[";
  for (int k = 0; k < voci_count; ++k) {
    const voce& v = m.voci[k];
    out << (k == 0 ? "" : ",") << "{\"tipo\":" << int64_t{v.tipo}
        << ",\"inizio\":" << int64_t{v.inizio}
        << ",\"fine\":" << int64_t{v.fine}
        << ",\"posizione\":" << int64_t{v.posizione}
        << ",\"flag1\":" << int64_t{v.flag1}
        << ",\"nome\":" << json_text(v.nome) << ",\"num1\":" << int64_t{v.num1}
        << ",\"num2\":" << int64_t{v.num2} << ",\"num3\":" << int64_t{v.num3}
        << ",\"num4\":" << int64_t{v.num4} << ",\"num5\":" << int64_t{v.num5}
        << ",\"flag2\":" << int64_t{v.flag2}
        << ",\"flag3\":" << int64_t{v.flag3}
        << ",\"flag4\":" << int64_t{v.flag4}
        << ",\"flag5\":" << int64_t{v.flag5}
        << ",\"orario\":" << int64_t{v.orario} << '}';
  }
  out << "],\"celle\":[";
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    out << (i == 0 ? "" : ",") << "{\"tipo\":" << int64_t{c.tipo}
        << ",\"dato1\":" << int64_t{c.dato1}
        << ",\"dato2\":" << int64_t{c.dato2}
        << ",\"dato3\":" << int64_t{c.dato3}
        << ",\"dato4\":" << int64_t{c.dato4}
        << ",\"tempo\":" << int64_t{c.tempo}
        << ",\"avviso\":" << int64_t{c.avviso}
        << ",\"montagna\":" << int64_t{c.montagna}
        << ",\"velocita_limite\":" << int64_t{c.velocita_limite}
        << ",\"pendenza\":" << int64_t{c.pendenza}
        << ",\"aderenza\":" << int64_t{c.aderenza} << '}';
  }
  out << "],\"objects\":" << objects_json(m).dump() << ",\"tracciato\":";
  const tracciato_t& t = m.tracciato;
  if (!t.exists()) {
    out << std::string_view("null}\n");
    return;
  }
  for (int coord = 0; coord < 2; ++coord) {
    out << (coord == 0 ? "{\"x\":[" : "],\"y\":[");
    for (int64_t metre = 0; metre < t.size(); ++metre) {
      if (metre != 0) out << ',';
      put_element(out, t, metre, coord, "null");
    }
  }
  out << std::string_view("]}}\n");
}

void write_csv(const scenario_model& m, bool with_plan, std::ostream& os) {
  buffered_out out(os);
  out << std::string_view("cella,metri");
  for (const char* name : cell_field_names)
    out << ',' << std::string_view(name);
  out << '\n';
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    out << static_cast<int64_t>(i) << ','
        << cell_position_m(c, static_cast<int64_t>(i));
    for (int64_t f : cell_fields(c)) out << ',' << f;
    out << '\n';
  }
  if (!with_plan || !m.tracciato.exists()) return;
  out << std::string_view("\nmetre,x,y\n");
  for (int64_t metre = 0; metre < m.tracciato.size(); ++metre) {
    out << metre << ',';
    put_element(out, m.tracciato, metre, 0, "");
    out << ',';
    put_element(out, m.tracciato, metre, 1, "");
    out << '\n';
  }
}

}  // namespace scenario
