#include "compiler/line_compiler.h"

#include <functional>
#include <utility>

#include "compiler/progressive.h"
#include "compiler/run_time_failure.h"
#include "compiler/stamping.h"
#include "model/error_codes.h"
#include "model/kilometres.h"

namespace scenario {

namespace {

constexpr int general_dash_repeats = 10;
constexpr int body_dash_repeats = 2;
constexpr int32_t gradient_offset = 100;  // a level cell stores 100
constexpr int32_t signal_repetition_step_m = 50;
constexpr int closing_free_cells = 2;  // the last three cells keep 0

uint8_t low8(int64_t v) { return static_cast<uint8_t>(v & 0xFF); }

// The key that closes the general block: a section head that is not dashed.
bool ends_general_block(const std::string& key) {
  if (!contains_exact(key, "[") || !contains_exact(key, "]")) return false;
  const size_t first = key.find_first_not_of(" \t");
  return first == std::string::npos || key[first] != '-';
}

}  // namespace

bool record_fits(const scenario_model& m, int32_t p, int32_t margin) {
  if (!m.has_cells()) {
    throw run_time_failure(
        N_("a record is placed before the line length has created the cells"));
  }
  // (p + margin) / 50 <= numero_celle, exactly, without a division.
  return static_cast<int64_t>(p) + margin <=
         static_cast<int64_t>(m.numero_celle) * cell_length_m;
}

line_compiler::line_compiler(scenario_model& m, std::string file,
                             std::string text, compile_policy policy)
    : m_(m),
      file_(std::move(file)),
      reader_(std::move(text)),
      policy_(policy),
      plan_(m.tracciato) {
  reader_.set_logging(policy_.observer != nullptr);
}

source_span line_compiler::failure_span() const {
  return reading_ ? reader_.span(reader_.last_field()) : source_span{};
}

void line_compiler::reject(error_code code, std::optional<int32_t> posizione,
                           const field_place& at) {
  record_error(m_, code_number(code), posizione, file_, reader_.span(at));
}

line_compiler::step line_compiler::after_rejection(step strict) const {
  return policy_.keep_going ? step::next : strict;
}

void line_compiler::notify(record_kind kind, size_t first, bool accepted) {
  if (policy_.observer == nullptr) return;
  const auto& fields = reader_.record_fields();
  policy_.observer->on_record(
      {kind, description::line, key_, reader_.record_key(),
       std::span<const read_field>(fields).subspan(first), accepted});
}

bool line_compiler::compile() {
  reading_ = true;
  if (!search_generale(reader_, m_.riga)) {
    reading_ = false;
    reject(error_code::line_ends_early, std::nullopt, {});
    return false;
  }
  if (!general_block()) return false;
  reading_ = false;
  // Keeping going, a general block whose failure left no cells has said
  // all there is: what follows would only fail again for want of them.
  if (policy_.keep_going && general_failed_ && !m_.has_cells()) return false;
  between_blocks();
  reading_ = true;
  if (!body()) return false;
  reading_ = false;
  closing_steps();
  return true;
}

// ---------------------------------------------------------------------------
// General block

// When keeping going, a reading failure in the general block is recorded
// and reading resumes at the next line: the block needs no cells.
bool line_compiler::general_block() {
  bool go_on = true;
  std::function<bool(const run_time_failure&)> recover;
  if (policy_.keep_going) {
    recover = [&](const run_time_failure& e) {
      record_failure(m_, file_, failure_span(), e);
      general_failed_ = true;
      return true;
    };
  }
  records_loop(
      reader_, m_.riga, general_dash_repeats, false,
      [&](std::string& key) {
        if (!general_record(key)) {
          go_on = false;
          return false;
        }
        return !ends_general_block(key);
      },
      recover);
  return go_on;
}

// Returns false when the compilation ends: strictly on any rejection; when
// keeping going, only on a length that leaves no cells.
bool line_compiler::general_record(const std::string& key) {
  if (policy_.observer != nullptr) key_ = key;
  if (contains_nocase(key, "percorso") && contains_nocase(key, "lunghezza")) {
    const size_t first = fields_so_far();
    const int32_t length = reader_.read_int32();
    const field_place at = reader_.last_field();
    voce& general = voce_at(m_, voce_index::treno_generale);
    const int32_t cells_built_for = general.fine;
    general.fine = length;
    // After an earlier length record the cells exist and are written: a
    // refused length leaves entry 84 at the length they were built for.
    const auto refuse = [&] {
      if (m_.has_cells()) general.fine = cells_built_for;
    };
    if (length > max_line_length_m) {
      refuse();
      reject(error_code::line_too_long, std::nullopt, at);
      notify(record_kind::line_length, first, false);
      return policy_.keep_going && m_.has_cells();
    }
    notify(record_kind::line_length, first, true);
    // Cell 0 must exist; a plan without metre 1 fails when it is started.
    if (static_cast<int64_t>(length) + line_margin_m < 0) {
      refuse();
      throw run_time_failure(N_("line length %s leaves no cell array"),
                             {std::to_string(length)});
    }
    create_cells(m_, length);
  }
  // Kilometric references, stored in record order.
  const std::pair<const char*, int> references[] = {
      {"tre", voce_index::progressiva_tre},
      {"due", voce_index::progressiva_due},
      {"uno", voce_index::progressiva_uno},
  };
  for (const auto& [word, entry] : references) {
    if (contains_exact(key, word) && contains_exact(key, "progressiva")) {
      voce& v = voce_at(m_, entry);
      v.inizio = reader_.read_int32();
      v.fine = reader_.read_int32();
      v.posizione = reader_.read_int32();
    }
  }
  // Background selectors: "due" goes to posizione and "tre" to fine.
  voce& backgrounds = voce_at(m_, voce_index::percorso_generale);
  if (contains_exact(key, "sfondo") && contains_exact(key, "uno")) {
    backgrounds.inizio = reader_.read_int32();
  }
  if (contains_exact(key, "sfondo") && contains_exact(key, "due")) {
    backgrounds.posizione = reader_.read_int32();
  }
  if (contains_exact(key, "sfondo") && contains_exact(key, "tre")) {
    backgrounds.fine = reader_.read_int32();
  }
  if (contains_exact(key, "segnali") && contains_exact(key, "ripetizione")) {
    return signal_repetition(key) || policy_.keep_going;
  }
  return true;
}

bool line_compiler::signal_repetition(const std::string& key) {
  const field_place key_at = reader_.record_key();
  voce& v = voce_at(m_, voce_index::segnali_generale);
  v.inizio = reader_.read_int32();
  const field_place first_at = reader_.last_field();
  v.fine = reader_.read_int32();
  const field_place second_at = reader_.last_field();
  if (v.inizio % signal_repetition_step_m != 0) {
    reject(error_code::first_repetition, std::nullopt, first_at);
    return false;
  }
  if (v.fine % signal_repetition_step_m != 0) {
    reject(error_code::second_repetition, std::nullopt, second_at);
    return false;
  }
  // The number of codes is named in the key itself.
  if (contains_exact(key, "4")) {
    v.posizione = 4;
  } else if (contains_exact(key, "9")) {
    v.posizione = 9;
  } else {
    reject(error_code::repetition_key, std::nullopt, key_at);
    return false;
  }
  if (v.fine == 0) v.posizione = 0;
  return true;
}

// ---------------------------------------------------------------------------
// Between the blocks

void line_compiler::between_blocks() {
  progressive_ordina(m_);
  m_.numero_montagne = 0;
  board_entry_ = voce_index::primo_cartello;
  gradient_pointer_ = 0;
  if (m_.con_tracciato != 0) plan_.start();
}

// ---------------------------------------------------------------------------
// Body

// When keeping going, a reading failure in the body is recorded and reading
// resumes at the next line, as long as the cells exist: without them every
// record would fail alike.
bool line_compiler::body() {
  bool go_on = true;
  std::function<bool(const run_time_failure&)> recover;
  if (policy_.keep_going) {
    recover = [&](const run_time_failure& e) {
      if (!m_.has_cells()) return false;
      record_failure(m_, file_, failure_span(), e);
      return true;
    };
  }
  records_loop(
      reader_, m_.riga, body_dash_repeats, true,
      [&](std::string& key) {
        const step s = body_record(key);
        if (s == step::reject) go_on = false;
        return s == step::next;
      },
      recover);
  return go_on;
}

line_compiler::step line_compiler::body_record(std::string& key) {
  if (policy_.observer != nullptr) key_ = key;
  step s = step::next;
  if (contains_nocase(key, "pendenza")) s = gradient();
  if (s == step::next && contains_nocase(key, "curva") &&
      m_.con_tracciato != 0) {
    s = curve(key);
  }
  if (s == step::next && contains_nocase(key, "montagna")) s = tunnel();
  if (s == step::next && contains_nocase(key, "indicatori_v")) {
    s = speed_board();
  }
  // Last: it reads the board text over the key.
  if (s == step::next && contains_nocase(key, "cartello") &&
      contains_nocase(key, "indicat")) {
    s = direction_board(key);
  }
  return s;
}

bool line_compiler::in_range(int32_t p, const field_place& at) {
  if (record_fits(m_, p, record_margin_m)) return true;
  reject(error_code::beyond_cells, p, at);
  return false;
}

void line_compiler::write_gradient() {
  cell_at(m_, gradient_pointer_).pendenza =
      low8(static_cast<int64_t>(gradient_) + gradient_offset);
  ++gradient_pointer_;
}

// The gradient in force reaches up to the cell before p / 50; the new value
// takes effect from there.
line_compiler::step line_compiler::gradient() {
  const size_t first = fields_so_far();
  const int32_t p = reader_.read_int32();
  const field_place at = reader_.last_field();
  const int32_t g = reader_.read_int32();
  if (!in_range(p, at)) {
    notify(record_kind::gradient, first, false);
    return after_rejection(step::stop_body);
  }
  notify(record_kind::gradient, first, true);
  const int64_t k = layer_cell(p);
  if (k > 0) {
    do {
      write_gradient();
    } while (gradient_pointer_ < k);
  }
  gradient_ = g;
  return step::next;
}

line_compiler::step line_compiler::curve(const std::string& key) {
  const size_t first = fields_so_far();
  const field_place key_at = reader_.record_key();
  const int32_t start = reader_.read_int32();
  const field_place at = reader_.last_field();
  const int32_t length = reader_.read_int32();
  if (!in_range(start, at)) {
    notify(record_kind::curve, first, false);
    return after_rejection(step::stop_body);
  }
  if (!plan_.draw_curve(key, start, length)) {
    reject(error_code::curve_key, std::nullopt, key_at);
    notify(record_kind::curve, first, false);
    return after_rejection(step::reject);
  }
  notify(record_kind::curve, first, true);
  return step::next;
}

// The stamping operations report a conflict by setting a code of their own;
// a 15 left by an earlier record is no conflict.
line_compiler::step line_compiler::tunnel() {
  const size_t first = fields_so_far();
  const int32_t inizio = reader_.read_int32();
  const field_place at = reader_.last_field();
  const int32_t fine = reader_.read_int32();
  const int32_t tipo = reader_.read_int32();
  if (!in_range(inizio, at)) {
    notify(record_kind::tunnel, first, false);
    return after_rejection(step::stop_body);
  }
  const int32_t code =
      stamp_conflict(m_, [&] { memo_montagna(m_, inizio, fine, tipo); });
  if (code > 0) {
    reject(static_cast<error_code>(code), inizio, at);
    notify(record_kind::tunnel, first, false);
    return after_rejection(step::reject);
  }
  notify(record_kind::tunnel, first, true);
  return step::next;
}

line_compiler::step line_compiler::speed_board() {
  const size_t first = fields_so_far();
  int32_t f[9];
  f[0] = reader_.read_int32();
  const field_place at = reader_.last_field();
  for (int i = 1; i < 9; ++i) f[i] = reader_.read_int32();
  if (!in_range(f[0], at)) {
    notify(record_kind::speed_board, first, false);
    return after_rejection(step::stop_body);
  }
  const int32_t code = stamp_conflict(m_, [&] {
    memo_indicatori_v_max(m_, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7],
                          f[8]);
  });
  if (code > 0) {
    reject(static_cast<error_code>(code), f[0], at);
    notify(record_kind::speed_board, first, false);
    return after_rejection(step::reject);
  }
  notify(record_kind::speed_board, first, true);
  return step::next;
}

line_compiler::step line_compiler::direction_board(std::string& riga) {
  const size_t first = fields_so_far();
  const int32_t p = reader_.read_int32();
  const field_place at = reader_.last_field();
  riga = reader_.read_text();
  if (!in_range(p, at)) {
    notify(record_kind::direction_board, first, false);
    return after_rejection(step::stop_body);
  }
  cella& c = cell_at(m_, ordinary_cell(p));
  if (!is_free(c)) {
    reject(error_code::direction_board_occupied, p, at);
    notify(record_kind::direction_board, first, false);
    return after_rejection(step::reject);
  }
  // Entry 0 is never written: a board that would need it does not fit.
  if (board_entry_ < 1) {
    throw run_time_failure(
        N_("no entry is left for the direction board at %s m"),
        {std::to_string(p)});
  }
  c.tipo = tipo_cella::cartello_indicatore;
  c.dato1 = static_cast<int16_t>(board_entry_);
  voce_at(m_, board_entry_).nome = riga;
  --board_entry_;
  notify(record_kind::direction_board, first, true);
  return step::next;
}

// ---------------------------------------------------------------------------
// Closing steps

void line_compiler::closing_steps() {
  do {
    write_gradient();
  } while (gradient_pointer_ < m_.numero_celle - closing_free_cells);
  if (m_.con_tracciato != 0) plan_.finish(m_.lunghezza_estesa - 2);
}

}  // namespace scenario
