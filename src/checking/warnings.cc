#include "checking/warnings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <type_traits>
#include <unordered_set>

#include "checking/timetable_warnings.h"
#include "compiler/train_compiler.h"
#include "model/kilometres.h"
#include "model/text_8bit.h"
#include "model/translation.h"
#include "railway/record_railway.h"
#include "railway/rules.h"
#include "running/curves.h"

namespace scenario {
namespace {

constexpr std::array<warning_info, 12> warnings = {{
    {"tunnel-board", N_("a tunnel board (\"GALLERIA\") must state the length "
                        "of the tunnel span "
                        "that follows it")},
    {"station-order",
     N_("stations are listed in their order along the line, so that each "
        "follows the one before it")},
    {"station-overlap",
     N_("two station zones must not share track: the train cannot be in both")},
    {"station-time",
     N_("the timetable runs forward: a station further along is not timed "
        "earlier")},
    {"speed-board-missing", N_("every change of the speed limit is announced "
                               "by a speed board near it")},
    {"speed-board-unmatched",
     N_("a speed board announces a speed-limit change that follows it")},
    {"signal-spacing",
     N_("consecutive signals stand at least a braking distance apart at the "
        "speed in force (0.5 m/s^2)")},
    {"curve-speed",
     N_("the speed in force through a curve is one its cant and the allowed "
        "cant deficiency admit (100 mm and 130 mm, as scenario timing takes "
        "them)")},
    {"beyond-line",
     N_("records stand between the start of the line and its length")},
    {"duplicate-record", N_("the same record written twice is a slip")},
    {"timetable-impossible",
     N_("a timed station is reached no sooner than the fastest run of the "
        "train allows (scenario timing shows the run)")},
    {"timetable-tight",
     N_("a timed station leaves the train at least its regularity margin over "
        "the fastest run")},
}};

// Limits of the warnings, in metres.
constexpr int64_t board_before_change_m = 1500;  // advance boards
constexpr int64_t board_after_change_m = 100;
constexpr int64_t tunnel_length_tolerance_m = 50;

bool is(const record_as_read& r, record_kind k) { return r.kind == k; }

std::string km(int64_t m) { return format_km(m); }

std::string kmh(double v) { return std::to_string(std::lround(v)) + " km/h"; }

// One argument of a message: text as it stands, an integer in digits.
template <typename T>
std::string argument_text(const T& v) {
  if constexpr (std::is_integral_v<T>) {
    return std::to_string(v);
  } else {
    return std::string(std::string_view(v));
  }
}

// A message: its English pattern and its arguments as text, filled in the
// language of whoever shows it.
template <typename... Args>
message_arguments say(const char* pattern, const Args&... args) {
  const std::string texts[] = {std::string(), argument_text(args)...};
  return {pattern, std::span<const std::string>(texts).subspan(1)};
}

// The speed limit in force at position `p`, from the compiled cells (their
// layer rule: cell p / 50), in km/h; none without cells.
std::optional<int64_t> speed_at(const scenario_model& m, int64_t p) {
  if (!m.has_cells()) return std::nullopt;
  const int64_t last = static_cast<int64_t>(m.celle.size()) - 1;
  const int64_t k =
      std::clamp<int64_t>(div_round_even(p, cell_length_m), 0, last);
  return int64_t{m.celle[static_cast<size_t>(k)].velocita_limite} * 5;
}

// The highest speed in force from `from` to `to`.
std::optional<int64_t> top_speed(const scenario_model& m, int64_t from,
                                 int64_t to) {
  std::optional<int64_t> top;
  for (int64_t p = from; p <= to; p += cell_length_m) {
    const auto v = speed_at(m, p);
    if (v && (!top || *v > *top)) top = v;
  }
  const auto end = speed_at(m, to);
  if (end && (!top || *end > *top)) top = end;
  return top;
}

class warning_run {
 public:
  warning_run(const record_list& records,
              const scenario_model& m, const warning_options& options,
              const translator& tr, const warning_sink& sink)
      : records_(records), m_(m), options_(options), tr_(tr), sink_(sink) {}

  void run() {
    if (on("tunnel-board")) tunnel_boards();
    stations();
    if (on("speed-board-missing") || on("speed-board-unmatched")) {
      speed_boards();
    }
    if (on("signal-spacing")) signal_spacing();
    if (on("curve-speed")) curve_speed();
    if (on("beyond-line")) beyond_line();
    if (on("duplicate-record")) duplicates();
    timetable_warnings(records_, m_, options_, tr_, sink_);
  }

 private:
  bool on(std::string_view name) const { return options_.enabled(name); }

  void raise(std::string_view name, const record_as_read& r, field_place at,
             std::optional<int64_t> position, message_arguments message) {
    sink_({name, std::move(message), r.in, at, position});
  }

  std::vector<const record_as_read*> accepted(record_kind k) const {
    std::vector<const record_as_read*> v;
    for (const record_as_read& r : records_) {
      if (is(r, k) && r.accepted) v.push_back(&r);
    }
    return v;
  }

  // A board whose text names a tunnel ("GALLERIA") and states a length
  // ("m.550") must be followed, within the railway's board reach, by a
  // tunnel of that length.
  void tunnel_boards() {
    const railway::record_railway rail(records_);
    for (const railway::direction_board_fact& b : rail.direction_boards()) {
      if (!b.stated_length) continue;
      const int64_t stated = *b.stated_length;
      const record_as_read& board = *b.record;
      const int64_t p = board.number(0);
      if (b.reaches == nullptr) {
        raise("tunnel-board", board, board.text_at(), p,
              say(N_("tunnel board states %s m, but no tunnel starts within "
                     "%s m after it"),
                  stated, railway::tunnel_board_reach_m));
        continue;
      }
      const record_as_read* next = b.reaches;
      const int64_t length = next->number(1) - next->number(0);
      if (std::llabs(length - stated) > tunnel_length_tolerance_m) {
        raise("tunnel-board", board, board.text_at(), p,
              say(N_("tunnel board states %s m, but the tunnel that follows "
                     "from %s (line %s) is %s m long"),
                  stated, km(next->number(0)), next->key_at().line, length));
      }
    }
  }

  // Stations: every station record as read, refused ones too, since these
  // warnings say why the compiler refused them.
  struct station {
    const record_as_read* r;
    int64_t posizione, inizio, fine, orario;
  };

  std::vector<station> station_list() const {
    std::vector<station> v;
    for (const record_as_read& r : records_) {
      if (!is(r, record_kind::station) || r.number_count() < 16) continue;
      const station_zone z =
          zone_of_station(r.number(0), r.number(1), r.number(2), r.number(5));
      v.push_back(
          {&r, r.number(0), z.inizio, z.fine, railway::station_time_s(r)});
    }
    return v;
  }

  static std::string clock(int64_t s) {
    char buf[32];
    std::snprintf(
        buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
        static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return buf;
  }

  std::string named(const station& s) const {
    return say(N_("%s (%s, line %s)"), s.r->text(), km(s.posizione),
               s.r->key_at().line)
        .text(tr_);
  }

  void stations() {
    const std::vector<station> in_file = station_list();
    if (on("station-order")) {
      const station* furthest = nullptr;
      for (const station& s : in_file) {
        if (furthest != nullptr && s.posizione < furthest->posizione) {
          raise("station-order", *s.r, s.r->place(0), s.posizione,
                say(N_("station %s comes after %s in the file but stands "
                       "before it on the line"),
                    s.r->text(), named(*furthest)));
        }
        if (furthest == nullptr || s.posizione >= furthest->posizione) {
          furthest = &s;
        }
      }
    }
    std::vector<station> along = in_file;
    std::stable_sort(along.begin(), along.end(),
                     [](const station& a, const station& b) {
                       return a.posizione < b.posizione;
                     });
    if (on("station-overlap")) {
      const station* reach = nullptr;  // the zone that reaches furthest
      for (const station& s : along) {
        if (reach != nullptr && s.inizio < reach->fine) {
          raise("station-overlap", *s.r, s.r->place(0), s.posizione,
                say(N_("the zone of station %s (%s to %s) overlaps the zone "
                       "of %s (%s to %s)"),
                    s.r->text(), km(s.inizio), km(s.fine), named(*reach),
                    km(reach->inizio), km(reach->fine)));
        }
        if (reach == nullptr || s.fine > reach->fine) reach = &s;
      }
    }
    if (on("station-time")) {
      // Stations without a time (passed without a stop) are left out.
      const station* latest = nullptr;
      for (const station& s : along) {
        if (s.orario == 0) continue;
        if (latest != nullptr && s.orario < latest->orario) {
          raise("station-time", *s.r, s.r->place(13), s.posizione,
                say(N_("station %s is timed %s, earlier than %s before it "
                       "(%s)"),
                    s.r->text(), clock(s.orario), named(*latest),
                    clock(latest->orario)));
        }
        if (latest == nullptr || s.orario > latest->orario) latest = &s;
      }
    }
  }

  // A speed-limit change is a speed record whose speed differs from the one
  // in force before it (the first record sets the speed, it changes none).
  // A board announces a change when one of its six speeds is the new speed
  // and it stands from 1500 m before the change to 100 m after it.
  void speed_boards() {
    const auto boards = accepted(record_kind::speed_board);
    struct change {
      const record_as_read* r;
      int64_t at, speed;
    };
    std::vector<change> changes;
    std::optional<int64_t> in_force;
    for (const record_as_read* r : accepted(record_kind::speed_limit)) {
      if (in_force && *in_force != r->number(1)) {
        changes.push_back({r, r->number(0), r->number(1)});
      }
      in_force = r->number(1);
    }
    auto announces = [](const record_as_read& b, const change& c) {
      const int64_t p = b.number(0);
      if (p < c.at - board_before_change_m || p > c.at + board_after_change_m) {
        return false;
      }
      for (size_t i : {1, 2, 3, 5, 6, 7}) {
        if (b.number(i) == c.speed) return true;
      }
      return false;
    };
    if (on("speed-board-missing")) {
      for (const change& c : changes) {
        const bool announced = std::any_of(
            boards.begin(), boards.end(),
            [&](const record_as_read* b) { return announces(*b, c); });
        if (!announced) {
          raise("speed-board-missing", *c.r, c.r->place(0), c.at,
                say(N_("the speed limit changes to %s with no speed board "
                       "for it from %s m before to %s m after"),
                    kmh(c.speed), board_before_change_m, board_after_change_m));
        }
      }
    }
    if (on("speed-board-unmatched")) {
      for (const record_as_read* b : boards) {
        const bool used =
            std::any_of(changes.begin(), changes.end(),
                        [&](const change& c) { return announces(*b, c); });
        if (!used) {
          raise("speed-board-unmatched", *b, b->place(0), b->number(0),
                say(N_("speed board for %s km/h announces no speed-limit "
                       "change from %s m before it to %s m after it"),
                    std::to_string(b->number(1)) + "/" +
                        std::to_string(b->number(2)) + "/" +
                        std::to_string(b->number(3)),
                    board_after_change_m, board_before_change_m));
        }
      }
    }
  }

  // Braking distance v^2 / 2a at the highest speed in force between two
  // consecutive signals along the line.
  void signal_spacing() {
    auto signals = accepted(record_kind::signal);
    std::stable_sort(signals.begin(), signals.end(),
                     [](const record_as_read* a, const record_as_read* b) {
                       return a->number(0) < b->number(0);
                     });
    for (size_t i = 1; i < signals.size(); ++i) {
      const int64_t from = signals[i - 1]->number(0);
      const int64_t to = signals[i]->number(0);
      const auto v = top_speed(m_, from, to);
      if (!v || *v <= 0) continue;
      const double ms = static_cast<double>(*v) / 3.6;
      const double braking = ms * ms / (2 * braking_deceleration_ms2);
      if (static_cast<double>(to - from) < braking) {
        raise("signal-spacing", *signals[i], signals[i]->place(0), to,
              say(N_("signal stands %s m after the one at %s (line %s); "
                     "braking from %s at 0.5 m/s^2 takes %s m"),
                  to - from, km(from), signals[i - 1]->key_at().line,
                  kmh(static_cast<double>(*v)), std::lround(braking)));
      }
    }
  }

  // The radius of a curve class is 1 / curvature; the speed it allows is
  // the one rule of curve_rule, with the default cant and deficiency.
  void curve_speed() {
    const curve_rule rule;
    for (const record_as_read* c : accepted(record_kind::curve)) {
      const std::optional<double> r = curve_radius_m(c->key());
      if (!r) continue;
      const double radius = *r;
      const double allowed = rule.limit_ms(radius) * 3.6;
      const auto v = top_speed(m_, c->number(0), c->number(0) + c->number(1));
      if (!v || static_cast<double>(*v) <= allowed) continue;
      raise("curve-speed", *c, c->key_at(), c->number(0),
            say(N_("curve of radius about %s m is run at %s; %s mm of cant "
                   "and %s mm of cant deficiency allow %s"),
                std::lround(radius), kmh(static_cast<double>(*v)),
                std::lround(rule.cant_mm), std::lround(rule.cant_deficiency_mm),
                kmh(allowed)));
    }
  }

  // Where a record starts and ends along the line, when it has a place.
  static std::optional<std::pair<int64_t, int64_t>> extent(
      const record_as_read& r) {
    switch (r.kind) {
      case record_kind::line_length:
        return std::nullopt;
      case record_kind::curve:
        return std::pair{r.number(0), r.number(0) + r.number(1)};
      case record_kind::tunnel:
        return std::pair{r.number(0), r.number(1)};
      case record_kind::slowdown:
        return std::pair{r.number(0), r.number(0) + r.number(2)};
      default:
        return std::pair{r.number(0), r.number(0)};
    }
  }

  void beyond_line() {
    std::optional<int64_t> length;
    for (const record_as_read* r : accepted(record_kind::line_length)) {
      length = r->number(0);
    }
    if (!length) return;
    for (const record_as_read& r : records_) {
      if (!r.accepted) continue;
      const auto e = extent(r);
      if (!e) continue;
      if (e->first < 0) {
        raise("beyond-line", r, r.place(0), e->first,
              say(N_("record starts %s m before the start of the line"),
                  -e->first));
      } else if (e->second > *length) {
        raise("beyond-line", r, r.place(0), e->first,
              say(e->first > *length
                      ? N_("record lies beyond the end of the line at %s "
                           "(\"lunghezza percorso\")")
                      : N_("record ends beyond the end of the line at %s "
                           "(\"lunghezza percorso\")"),
                  km(*length)));
      }
    }
  }

  // The same key (ignoring case and blanks at its ends) with the same
  // fields, in the same description. Records are compared where they are
  // kept, through a hash of their fields, with no key built for each.
  static char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  struct record_hash {
    size_t operator()(const record_as_read* r) const {
      size_t h = static_cast<size_t>(r->in) * 64 + static_cast<size_t>(r->kind);
      const auto mix = [&h](size_t v) {
        h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
      };
      for (char c : r->key()) mix(static_cast<unsigned char>(lower(c)));
      for (size_t i = 0; i < r->number_count(); ++i) {
        mix(std::hash<int64_t>()(r->number(i)));
      }
      mix(std::hash<std::string_view>()(r->text()));
      return h;
    }
  };
  struct same_record {
    bool operator()(const record_as_read* a, const record_as_read* b) const {
      return a->in == b->in && a->kind == b->kind &&
             a->number_count() == b->number_count() &&
             std::ranges::equal(
                 a->key(), b->key(),
                 [](char x, char y) { return lower(x) == lower(y); }) &&
             same_numbers(*a, *b) && a->text() == b->text();
    }
    static bool same_numbers(const record_as_read& a, const record_as_read& b) {
      for (size_t i = 0; i < a.number_count(); ++i) {
        if (a.number(i) != b.number(i)) return false;
      }
      return true;
    }
  };

  void duplicates() {
    std::unordered_set<const record_as_read*, record_hash, same_record> seen;
    for (const record_as_read& r : records_) {
      const auto [it, fresh] = seen.insert(&r);
      if (!fresh) {
        raise("duplicate-record", r, r.key_at(),
              extent(r) ? std::optional{extent(r)->first} : std::nullopt,
              say(N_("the same record as line %s"), (*it)->key_at().line));
      }
    }
  }

  const record_list& records_;
  const scenario_model& m_;
  const warning_options& options_;
  const translator& tr_;
  const warning_sink& sink_;
};

}  // namespace

std::span<const warning_info> all_warnings() { return warnings; }

bool apply_warning_switch(warning_options& o, std::string_view value,
                          std::string* why, const translator& tr) {
  if (value == "error") {
    o.warnings_as_errors = true;
    return true;
  }
  if (value == "no-error") {
    o.warnings_as_errors = false;
    return true;
  }
  const bool off = value.starts_with("no-");
  const std::string_view name = off ? value.substr(3) : value;
  const bool known =
      std::any_of(warnings.begin(), warnings.end(),
                  [&](const warning_info& w) { return w.name == name; });
  if (!known) {
    *why = tr.format(
        "unknown warning \"%s\" (scenario check --list-warnings lists them)",
        name);
    return false;
  }
  if (off) {
    o.disabled.emplace(name);
  } else {
    o.disabled.erase(std::string(name));
  }
  return true;
}

void run_warnings(const record_list& records,
                  const scenario_model& m, const warning_options& options,
                  const translator& tr, const warning_sink& sink) {
  warning_run(records, m, options, tr, sink).run();
}

}  // namespace scenario
