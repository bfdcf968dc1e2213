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
#include <set>

#include "model/kilometres.h"

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

// The last cell that carries layer values (speed, gradient, adhesion): the
// last three cells never receive them.
int64_t last_layer_cell(const scenario_model& m) {
  return std::max<int64_t>(0, static_cast<int64_t>(m.celle.size()) - 4);
}

std::set<int> board_entries(const scenario_model& m) {
  std::set<int> entries;
  for (const cella& c : m.celle) {
    if (c.tipo == tipo_cella::cartello_indicatore && c.dato1 > 0 &&
        c.dato1 < voci_count) {
      entries.insert(c.dato1);
    }
  }
  return entries;
}

std::string upper_ascii(std::string_view s) {
  std::string u(s);
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return u;
}

// Runs of equal layer values over the cells that carry layers, as
// "FROM to TO: VALUE" lines.
template <typename F>
void write_layer_runs(const scenario_model& m, std::ostream& out, F value,
                      const char* unit) {
  const int64_t last = last_layer_cell(m);
  int64_t start = 0;
  for (int64_t i = 1; i <= last + 1; ++i) {
    if (i <= last && value(m.celle[i]) == value(m.celle[start])) continue;
    out << "  " << padded(format_km(layer_position_m(start)), 9) << " to "
        << padded(format_km(layer_position_m(i)), 9) << "  "
        << value(m.celle[start]) << unit << '\n';
    start = i;
  }
}

void write_line(const scenario_model& m, std::ostream& out) {
  const voce& train = m.voci[voce_index::treno_generale];
  const voce& route = m.voci[voce_index::percorso_generale];
  const voce& signals = m.voci[voce_index::segnali_generale];
  out << "Route " << windows1252_to_printable(m.percorso) << ", train "
      << windows1252_to_printable(m.treno) << '\n';
  out << "Line: " << train.fine << " m (0+000 to " << format_km(train.fine)
      << "), extended to " << m.lunghezza_estesa << " m; cells 0 to "
      << m.numero_celle << " of " << cell_length_m << " m\n";
  out << "Kilometric progressives (inizio, fine, posizione):\n";
  const std::pair<const char*, int> progressives[] = {
      {"uno", voce_index::progressiva_uno},
      {"due", voce_index::progressiva_due},
      {"tre", voce_index::progressiva_tre}};
  for (const auto& [name, index] : progressives) {
    const voce& v = m.voci[index];
    out << "  " << name << " (entry " << index << "): " << v.inizio << ", "
        << v.fine << ", " << v.posizione << '\n';
  }
  out << "Backgrounds: uno " << route.inizio << ", due " << route.posizione
      << ", tre " << route.fine << '\n';
  out << "Signal repetition: " << signals.inizio << ", " << signals.fine
      << " (codes " << signals.posizione << ")\n";
  out << "Train: " << train.posizione << " cars, braking mass " << train.inizio
      << " %, sand " << signals.num1 << ", clock "
      << format_time(int64_t{signals.num3} * 3600 + signals.num4 * 60 +
                     signals.num5)
      << '\n';
}

void write_stations(const scenario_model& m, std::ostream& out) {
  const std::vector<station_view> list = stations(m);
  out << "\nStations (" << list.size() << "):\n"
      << "  entry  position  kind  " << padded("zone", 22, false) << "  "
      << padded("time", 8, false) << "  stop  name\n";
  for (const station_view& s : list) {
    const voce& v = *s.v;
    const bool timed = v.orario != 0 || s.stops;
    out << "  " << padded(num(s.entry), 5) << "  "
        << padded(format_km(v.posizione), 8) << "  " << padded(num(v.tipo), 4)
        << "  "
        << padded(format_km(v.inizio) + " to " + format_km(v.fine), 22, false)
        << "  " << padded(timed ? format_time(v.orario) : "-", 8, false) << "  "
        << (s.stops ? "stop" : "pass") << "  "
        << windows1252_to_printable(v.nome) << '\n';
  }
}

void write_signals(const scenario_model& m, std::ostream& out) {
  std::vector<int64_t> cells;
  for (size_t i = 0; i < m.celle.size(); ++i) {
    if (m.celle[i].tipo == tipo_cella::segnale) cells.push_back(i);
  }
  out << "\nSignals (" << cells.size() << "): left and right kinds, values "
      << "s1 s2 s3 and d1 d2 d3, rapp, tempo\n";
  for (int64_t i : cells) {
    const cella& c = m.celle[i];
    const int pair = c.dato4 % 10;
    out << "  " << padded(format_km(object_position_m(i)), 8) << "  cell "
        << padded(num(i), 6, false) << " sx " << pair / 3 << " dx " << pair % 3
        << "  s " << c.dato1 / 10 << ' ' << c.dato2 / 10 << ' ' << c.dato3 / 10
        << "  d " << c.dato1 % 10 << ' ' << c.dato2 % 10 << ' ' << c.dato3 % 10
        << "  rapp " << c.dato4 / 10 << "  tempo " << int{c.tempo} << '\n';
  }
}

void write_tunnels(const scenario_model& m, std::ostream& out) {
  const std::vector<tunnel_view> list = tunnels(m);
  out << "\nTunnels (" << list.size() << "):\n";
  for (const tunnel_view& t : list) {
    out << "  " << padded(format_km(t.from_m), 8) << " to "
        << padded(format_km(t.to_m), 8) << "  "
        << padded(num(t.to_m - t.from_m), 5) << " m  kind " << t.kind;
    if (!t.name.empty()) out << "  " << windows1252_to_printable(t.name);
    out << '\n';
  }
}

void write_boards(const scenario_model& m, std::ostream& out) {
  std::vector<int64_t> direction;
  std::vector<int64_t> speed;
  for (size_t i = 0; i < m.celle.size(); ++i) {
    if (m.celle[i].tipo == tipo_cella::cartello_indicatore) {
      direction.push_back(i);
    }
    if (m.celle[i].tipo == tipo_cella::indicatore_vmax) speed.push_back(i);
  }
  out << "\nDirection boards (" << direction.size() << "):\n";
  for (int64_t i : direction) {
    const int entry = m.celle[i].dato1;
    out << "  " << padded(format_km(object_position_m(i)), 8) << "  entry "
        << padded(num(entry), 2) << "  ";
    if (entry >= 0 && entry < voci_count) {
      out << windows1252_to_printable(m.voci[entry].nome);
    } else {
      out << "(no such entry)";
    }
    out << '\n';
  }
  out << "\nSpeed boards (" << speed.size()
      << "): speeds a b c as left|right km/h, stripes left|right\n";
  for (int64_t i : speed) {
    const cella& c = m.celle[i];
    out << "  " << padded(format_km(object_position_m(i)), 8);
    for (int16_t d : {c.dato1, c.dato2, c.dato3}) {
      out << "  " << padded(num(d / 20) + "|" + num(d % 20 * 5), 7, false);
    }
    out << "  stripes " << c.dato4 / 10 << '|' << c.dato4 % 10 << '\n';
  }
}

void write_slowdowns(const scenario_model& m, std::ostream& out) {
  std::vector<int64_t> marks;
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const uint8_t t = m.celle[i].tipo;
    if (t == tipo_cella::avviso_rallentamento ||
        t == tipo_cella::inizio_rallentamento ||
        t == tipo_cella::fine_rallentamento) {
      marks.push_back(i);
    }
  }
  out << "\nSlowdown marks (" << marks.size() << "):\n";
  for (int64_t i : marks) {
    const cella& c = m.celle[i];
    const char* what = c.tipo == tipo_cella::avviso_rallentamento   ? "warning"
                       : c.tipo == tipo_cella::inizio_rallentamento ? "start  "
                                                                    : "end    ";
    out << "  " << padded(format_km(object_position_m(i)), 8) << "  " << what
        << "  " << padded(num(c.dato1), 4) << " km/h";
    if (c.dato2 != 0) out << ", second speed " << c.dato2;
    if (c.tipo != tipo_cella::avviso_rallentamento) out << ", f_tt " << c.dato3;
    out << '\n';
  }
}

void write_speed_points(const scenario_model& m, std::ostream& out) {
  std::vector<int64_t> points;
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const uint8_t t = m.celle[i].tipo;
    if (t == tipo_cella::punto_velocita ||
        t == tipo_cella::punto_senza_velocita) {
      points.push_back(i);
    }
  }
  out << "\nSpeed points (" << points.size() << "):\n";
  for (int64_t i : points) {
    const cella& c = m.celle[i];
    out << "  " << padded(format_km(layer_position_m(i)), 8) << "  ";
    if (c.tipo == tipo_cella::punto_velocita) {
      out << c.dato1 << " km/h\n";
    } else {
      out << "no speed\n";
    }
  }
}

void write_plan_extent(const scenario_model& m, std::ostream& out) {
  const tracciato_t& t = m.tracciato;
  if (!t.exists()) {
    out << "\nPlan: none\n";
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
  char text[160];
  std::snprintf(text, sizeof text,
                "x from %.3f to %.3f m, y from %.3f to %.3f m", low[0], high[0],
                low[1], high[1]);
  out << "\nPlan: metres 0 to " << t.size() - 1 << "; " << text << "; "
      << kinds[1] << " 16-bit, " << kinds[2] << " double and " << kinds[0]
      << " empty elements\n";
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

std::vector<station_view> stations(const scenario_model& m) {
  const std::set<int> boards = board_entries(m);
  std::vector<station_view> list;
  for (int k = voce_index::prima_stazione; k <= voce_index::primo_cartello;
       ++k) {
    if (m.voci[k] == voce{} || boards.count(k) != 0) break;
    list.push_back({k, &m.voci[k], m.voci[k].flag3 != 0});
  }
  if (!list.empty() && list.back().v->orario != 0) list.back().stops = true;
  return list;
}

std::string tunnel_name_of_board(std::string_view text) {
  std::vector<std::string> groups;
  for (size_t open = text.find('('); open != std::string_view::npos;
       open = text.find('(', open + 1)) {
    const size_t close = text.find(')', open);
    if (close == std::string_view::npos) break;
    groups.emplace_back(text.substr(open + 1, close - open - 1));
    open = close;
  }
  const auto trim_blanks = [](std::string s) {
    std::string collapsed;
    for (char c : s) {
      if (c == ' ' && (collapsed.empty() || collapsed.back() == ' ')) continue;
      collapsed += c;
    }
    while (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
    return collapsed;
  };
  if (groups.size() < 2 || upper_ascii(trim_blanks(groups[0])) != "GALLERIA") {
    return {};
  }
  std::string name;
  for (size_t g = 1; g < groups.size(); ++g) name += groups[g] + " ";
  name = trim_blanks(name);
  // The last word "m.LENGTH" is the tunnel's length, not its name.
  const size_t last = name.rfind(' ');
  const size_t word = last == std::string::npos ? 0 : last + 1;
  if (name.compare(word, 2, "m.") == 0) {
    name.resize(word);
    name = trim_blanks(name);
  }
  return name;
}

std::vector<tunnel_view> tunnels(const scenario_model& m) {
  // A board stands shortly before the entrance it names.
  constexpr int64_t board_reach_m = 200;
  std::vector<std::pair<int64_t, std::string>> named;  // board position, name
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    if (c.tipo == tipo_cella::cartello_indicatore && c.dato1 >= 0 &&
        c.dato1 < voci_count) {
      std::string name = tunnel_name_of_board(m.voci[c.dato1].nome);
      if (!name.empty()) named.emplace_back(object_position_m(i), name);
    }
  }
  std::vector<tunnel_view> list;
  const int64_t n = static_cast<int64_t>(m.celle.size());
  for (int64_t i = 0; i < n;) {
    const uint8_t kind = m.celle[i].montagna;
    int64_t j = i + 1;
    while (j < n && m.celle[j].montagna == kind) ++j;
    if (kind != 0) {
      tunnel_view t{layer_position_m(i), layer_position_m(j), kind, {}};
      for (const auto& [at, name] : named) {
        if (at <= t.from_m && t.from_m - at <= board_reach_m) t.name = name;
      }
      list.push_back(std::move(t));
    }
    i = j;
  }
  return list;
}

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

void write_summary(const scenario_model& m, std::ostream& out) {
  write_line(m, out);
  write_stations(m, out);
  write_signals(m, out);
  write_tunnels(m, out);
  write_boards(m, out);
  write_slowdowns(m, out);
  write_speed_points(m, out);
  out << "\nSpeed limits (over cells 0 to " << last_layer_cell(m) << "):\n";
  write_layer_runs(
      m, out, [](const cella& c) { return int{c.velocita_limite} * 5; },
      " km/h");
  out << "\nGradient (pendenza - 100):\n";
  write_layer_runs(
      m, out, [](const cella& c) { return int{c.pendenza} - 100; }, "");
  out << "\nAdhesion:\n";
  write_layer_runs(
      m, out, [](const cella& c) { return int{c.aderenza}; }, "");
  write_plan_extent(m, out);
}

void write_cell_table(const scenario_model& m, int64_t from_m, int64_t to_m,
                      std::ostream& out) {
  out << "  cell  position";
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
    out << padded(num(i), 6) << "  "
        << padded(format_km(cell_position_m(c, i)), 8);
    for (size_t f = 0; f < fields.size(); ++f) {
      out << "  "
          << padded(num(fields[f]),
                    std::string_view(cell_field_names[f]).size());
    }
    out << '\n';
  }
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
  out << "],\"tracciato\":";
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
