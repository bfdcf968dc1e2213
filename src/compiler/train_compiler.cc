#include "compiler/train_compiler.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "compiler/line_compiler.h"
#include "compiler/run_time_failure.h"
#include "compiler/stamping.h"
#include "model/error_codes.h"
#include "model/kilometres.h"

namespace scenario {

namespace {

constexpr int train_dash_repeats = 2;
constexpr int32_t speed_unit_kmh = 5;
constexpr int32_t station_position_step_m = 50;
constexpr int32_t station_length_step_m = 100;
constexpr int32_t short_station_m = 600;  // shorter: flag5 is cleared
constexpr int32_t platform_tail_m = 150;  // zone end of kinds 5 and 6
constexpr int32_t flag4_extension_m = 50;
constexpr int32_t station_spacing_m = 350;
constexpr uint8_t first_unmarked_kind = 25;  // 25 and above: no marks
constexpr uint8_t approach_mark_base = 80;
constexpr int approach_marks = 4;
constexpr int closing_free_cells = 2;  // the last three cells keep 0

uint8_t low8(int64_t v) { return static_cast<uint8_t>(v & 0xFF); }
int16_t low16(int64_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF));
}

// A 32-bit result that does not fit is a run-time failure.
// `pattern` names the value, which fills it.
int32_t checked32(int64_t v, const char* pattern) {
  if (v < INT32_MIN || v > INT32_MAX) {
    throw run_time_failure(pattern, {std::to_string(v)});
  }
  return static_cast<int32_t>(v);
}

bool is_multiple(int32_t v, int32_t step) { return v % step == 0; }

}  // namespace

train_compiler::train_compiler(scenario_model& m, std::string file,
                               std::string text, int board_entry,
                               compile_policy policy)
    : m_(m),
      file_(std::move(file)),
      reader_(std::move(text)),
      policy_(policy),
      board_entry_(board_entry) {
  reader_.set_logging(policy_.observer != nullptr);
}

source_span train_compiler::failure_span() const {
  return reading_ ? reader_.span(reader_.last_field()) : source_span{};
}

void train_compiler::reject(error_code code, std::optional<int32_t> posizione,
                            const field_place& at) {
  record_error(m_, code_number(code), posizione, file_, reader_.span(at));
}

train_compiler::step train_compiler::after_rejection(step strict) const {
  return policy_.keep_going ? step::next : strict;
}

void train_compiler::notify(record_kind kind, size_t first, bool accepted) {
  if (policy_.observer == nullptr) return;
  const auto& fields = reader_.record_fields();
  policy_.observer->on_record(
      {kind, description::train, key_, reader_.record_key(),
       std::span<const read_field>(fields).subspan(first), accepted});
}

bool train_compiler::in_range(int32_t p, int32_t margin,
                              const field_place& at) {
  if (record_fits(m_, p, margin)) return true;
  reject(error_code::beyond_cells, p, at);
  return false;
}

bool train_compiler::compile() {
  reading_ = true;
  // A file without "[generale]" simply holds no records.
  search_generale(reader_, m_.riga);
  if (!records()) return false;
  reading_ = false;
  closing_steps();
  return true;
}

// When keeping going, a reading failure is recorded and reading resumes at
// the next line (the cells exist: the line description made them).
bool train_compiler::records() {
  bool go_on = true;
  std::function<bool(const run_time_failure&)> recover;
  if (policy_.keep_going) {
    recover = [&](const run_time_failure& e) {
      record_failure(m_, file_, failure_span(), e);
      return true;
    };
  }
  records_loop(
      reader_, m_.riga, train_dash_repeats, true,
      [&](std::string& key) {
        const step s = record(key);
        if (s == step::reject) go_on = false;
        return s == step::next;
      },
      recover);
  return go_on;
}

train_compiler::step train_compiler::record(const std::string& key) {
  if (policy_.observer != nullptr) key_ = key;
  if (contains_nocase(key, "frenata") && contains_nocase(key, "massa")) {
    voce_at(m_, voce_index::treno_generale).inizio = reader_.read_int32();
  }
  if (contains_nocase(key, "vetture")) {
    voce_at(m_, voce_index::treno_generale).posizione = reader_.read_int32();
  }
  step s = step::next;
  if (contains_nocase(key, "velocit")) s = speed_limit();
  if (s == step::next && contains_nocase(key, "aderenza")) s = adhesion();
  if (s != step::next) return s;
  voce& general = voce_at(m_, voce_index::segnali_generale);
  if (contains_nocase(key, "orologio")) {
    general.num3 = reader_.read_int16();
    general.num4 = reader_.read_int16();
    general.num5 = reader_.read_int16();
  }
  if (contains_nocase(key, "sabbia")) general.num1 = reader_.read_int16();
  if (contains_nocase(key, "segnale")) s = signal();
  if (s == step::next && contains_nocase(key, "rallentamento")) {
    s = slowdown();
  }
  if (s == step::next && contains_nocase(key, "abbattimento")) {
    s = speed_point();
  }
  if (s == step::next && contains_nocase(key, "stazione")) s = station();
  return s;
}

// ---------------------------------------------------------------------------
// Speed limit and adhesion layers

void train_compiler::write_speed() {
  const int64_t units = div_round_even(speed_, speed_unit_kmh);
  if (units < 0 || units > 255) {
    throw run_time_failure(
        N_("speed %s km/h does not fit the speed limit byte"),
        {std::to_string(speed_)});
  }
  cell_at(m_, speed_pointer_).velocita_limite = static_cast<uint8_t>(units);
  ++speed_pointer_;
}

void train_compiler::write_adhesion() {
  cell_at(m_, adhesion_pointer_).aderenza = low8(adhesion_);
  ++adhesion_pointer_;
}

// The speed in force reaches up to the cell before p / 50; the new speed
// takes effect from there.
train_compiler::step train_compiler::speed_limit() {
  const size_t first = fields_so_far();
  const int32_t p = reader_.read_int32();
  const field_place at = reader_.last_field();
  const int32_t v = reader_.read_int32();
  if (!in_range(p, record_margin_m, at)) {
    notify(record_kind::speed_limit, first, false);
    return after_rejection(step::stop_records);
  }
  notify(record_kind::speed_limit, first, true);
  const int64_t k = layer_cell(p);
  if (k > 0) {
    while (speed_pointer_ < m_.numero_celle) {
      write_speed();
      if (speed_pointer_ >= k) break;
    }
  }
  speed_ = v;
  return step::next;
}

train_compiler::step train_compiler::adhesion() {
  const size_t first = fields_so_far();
  const int32_t p = reader_.read_int32();
  const field_place at = reader_.last_field();
  const int32_t a = reader_.read_int32();
  if (!in_range(p, record_margin_m, at)) {
    notify(record_kind::adhesion, first, false);
    return after_rejection(step::stop_records);
  }
  notify(record_kind::adhesion, first, true);
  const int64_t k = layer_cell(p);
  if (k > 0) {
    do {
      write_adhesion();
    } while (adhesion_pointer_ < k);
  }
  adhesion_ = a;
  return step::next;
}

// ---------------------------------------------------------------------------
// Objects stamped into the cells

// The stamping operations report a conflict by setting a code of their own;
// a 15 left by the line description is no conflict.
train_compiler::step train_compiler::signal() {
  const size_t first = fields_so_far();
  int32_t f[11];
  f[0] = reader_.read_int32();
  const field_place at = reader_.last_field();
  for (int i = 1; i < 11; ++i) f[i] = reader_.read_int32();
  if (!in_range(f[0], record_margin_m, at)) {
    notify(record_kind::signal, first, false);
    return after_rejection(step::stop_records);
  }
  const int32_t code = stamp_conflict(m_, [&] {
    memo_segnale(m_, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9],
                 f[10]);
  });
  if (code > 0) {
    reject(static_cast<error_code>(code), f[0], at);
    notify(record_kind::signal, first, false);
    return after_rejection(step::reject);
  }
  notify(record_kind::signal, first, true);
  return step::next;
}

train_compiler::step train_compiler::slowdown() {
  const size_t first = fields_so_far();
  int32_t f[6];
  f[0] = reader_.read_int32();
  const field_place at = reader_.last_field();
  for (int i = 1; i < 6; ++i) f[i] = reader_.read_int32();
  if (!in_range(f[0], record_margin_m, at)) {
    notify(record_kind::slowdown, first, false);
    return after_rejection(step::stop_records);
  }
  const int32_t code = stamp_conflict(
      m_, [&] { memo_rallentamento(m_, f[0], f[1], f[2], f[3], f[4], f[5]); });
  if (code > 0) {
    reject(static_cast<error_code>(code), f[0], at);
    notify(record_kind::slowdown, first, false);
    return after_rejection(step::reject);
  }
  notify(record_kind::slowdown, first, true);
  return step::next;
}

// A speed point claims cell p / 50 (no + 1); a value below 1 makes a point
// without a speed.
train_compiler::step train_compiler::speed_point() {
  const size_t first = fields_so_far();
  const int32_t p = reader_.read_int32();
  const field_place at = reader_.last_field();
  const int32_t w = reader_.read_int32();
  if (!in_range(p, record_margin_m, at)) {
    notify(record_kind::speed_point, first, false);
    return after_rejection(step::stop_records);
  }
  cella& c = cell_at(m_, layer_cell(p));
  if (!is_free(c)) {
    reject(error_code::speed_point_occupied, p, at);
    notify(record_kind::speed_point, first, false);
    return after_rejection(step::reject);
  }
  if (w < 1) {
    c.tipo = tipo_cella::punto_senza_velocita;
  } else {
    c.tipo = tipo_cella::punto_velocita;
    c.dato1 = low16(w);
  }
  notify(record_kind::speed_point, first, true);
  return step::next;
}

// ---------------------------------------------------------------------------
// Stations

// The columns are stored into the station's entry as they are read. When
// keeping going, a rejected station is still read to its end and its entry
// is given back as it was.
train_compiler::step train_compiler::station() {
  const size_t first = fields_so_far();
  voce& v = voce_at(m_, station_);
  std::optional<voce> saved;
  if (policy_.keep_going) saved = v;
  bool rejected = false;
  v.posizione = reader_.read_int32();
  const field_place at = reader_.last_field();
  if (!in_range(v.posizione, station_margin_m, at)) {
    if (!policy_.keep_going) return step::stop_records;
    rejected = true;
  } else if (!is_multiple(v.posizione, station_position_step_m)) {
    reject(error_code::station_off_grid, v.posizione, at);
    if (!policy_.keep_going) return step::reject;
    rejected = true;
  }
  v.tipo = reader_.read_int8();
  const int32_t length = reader_.read_int32();
  const field_place length_at = reader_.last_field();
  if (!rejected && !is_multiple(length, station_length_step_m)) {
    reject(error_code::station_length_off_grid, v.posizione, length_at);
    if (!policy_.keep_going) return step::reject;
    rejected = true;
  }
  v.flag1 = reader_.read_int8();
  v.flag5 = reader_.read_int8();
  v.flag4 = reader_.read_int8();
  v.num1 = reader_.read_int16();
  v.num2 = reader_.read_int16();
  v.flag2 = reader_.read_int8();
  v.num3 = reader_.read_int16();
  v.num4 = reader_.read_int16();
  v.num5 = reader_.read_int16();
  v.flag3 = reader_.read_int8();
  const int64_t hours = reader_.read_int32();
  const int64_t minutes = reader_.read_int32();
  const int64_t seconds = reader_.read_int32();
  v.orario = checked32((hours * 60 + minutes) * 60 + seconds,
                       N_("time of day %s lies outside 32 bits"));
  v.nome = reader_.read_text();
  if (rejected) {
    v = *saved;
    notify(record_kind::station, first, false);
    return step::next;
  }
  const step s = station_zone_and_marks(v, length, at);
  notify(record_kind::station, first, s == step::next && !rejected_);
  rejected_ = false;
  return s;
}

station_zone zone_of_station(int64_t posizione, int64_t kind, int64_t length,
                             int64_t flag4) {
  // flag4 lengthens the zone of an ordinary station before it is cleared
  // for the first one.
  if (kind == 5 || kind == 6) {
    return {posizione - length, posizione + platform_tail_m};
  }
  if (kind == 7 || kind == 8) return {posizione - length, posizione + length};
  const int64_t half = length / 2;  // exact: a multiple of 100
  return {posizione - half,
          posizione + half + (flag4 != 0 ? flag4_extension_m : 0)};
}

train_compiler::step train_compiler::station_zone_and_marks(
    voce& v, int32_t length, const field_place& at) {
  const station_zone zone =
      zone_of_station(v.posizione, v.tipo, length, v.flag4);
  v.inizio =
      checked32(zone.inizio, N_("station zone start %s lies outside 32 bits"));
  v.fine = checked32(zone.fine, N_("station zone end %s lies outside 32 bits"));
  if (v.tipo >= 5 && v.tipo <= 8) v.flag4 = 0;
  if (length < short_station_m) v.flag5 = 0;
  if (station_ == voce_index::prima_stazione) {
    v.flag4 = 0;
    v.flag5 = 0;
  }

  // Approach marks in the four cells before the end mark, whatever they hold.
  const int64_t fine = v.fine;
  if (v.tipo < first_unmarked_kind && v.tipo != 5 && v.tipo != 6) {
    for (int i = 1; i <= approach_marks; ++i) {
      // fine / 50 - i - 1 > 1, exactly.
      const int64_t numerator = fine - cell_length_m * (i + 1);
      if (numerator > cell_length_m) {
        cell_at(m_, div_round_even(numerator, cell_length_m)).avviso =
            static_cast<uint8_t>(approach_mark_base + i);
      }
    }
  }
  // End mark in cell fine / 50 - 1, whatever it held.
  if (v.tipo < first_unmarked_kind) {
    const int64_t numerator = fine - cell_length_m;
    if (numerator <= cell_length_m) {
      reject(error_code::station_near_line_start, std::nullopt, at);
      rejected_ = true;
      return after_rejection(step::reject);
    }
    cella& c = cell_at(m_, div_round_even(numerator, cell_length_m));
    c.tipo = tipo_cella::fine_stazione;
    c.dato1 = static_cast<int16_t>(station_);
  }

  if (station_ > voce_index::prima_stazione &&
      static_cast<int64_t>(v.inizio) - station_spacing_m <
          voce_at(m_, station_ - 1).fine) {
    reject(error_code::stations_too_close, v.posizione, at);
    rejected_ = true;
    return after_rejection(step::reject);
  }
  ++station_;
  if (station_ >= board_entry_) {
    reject(error_code::entry_table_full, std::nullopt, at);
    rejected_ = true;
    // Keeping going, each further station takes the last free entry and is
    // refused alike.
    if (policy_.keep_going) --station_;
    return after_rejection(step::reject);
  }
  return step::next;
}

// ---------------------------------------------------------------------------
// Closing steps

void train_compiler::closing_steps() {
  do {
    write_speed();
  } while (speed_pointer_ < m_.numero_celle - closing_free_cells);
  do {
    write_adhesion();
  } while (adhesion_pointer_ < m_.numero_celle - closing_free_cells);

  for (int entry : {voce_index::progressiva_tre, voce_index::progressiva_due,
                    voce_index::progressiva_uno}) {
    const voce& v = voce_at(m_, entry);
    if (!is_multiple(v.inizio, cell_length_m) ||
        !is_multiple(v.fine, cell_length_m)) {
      reject(error_code::reference_off_grid, std::nullopt, {});
      return;
    }
  }
}

}  // namespace scenario
