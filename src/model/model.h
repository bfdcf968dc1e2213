// The scenario model: run state, the 50-metre cell array `celle`, the entry
// table `voci` and the per-metre plan polyline `tracciato`. Every stage of a
// run (sources, compiler, post-processing, output) works on one instance.
#ifndef SCENARIO_MODEL_MODEL_H_
#define SCENARIO_MODEL_MODEL_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scenario {

constexpr int32_t cell_length_m = 50;
constexpr int voci_count = 87;  // entries 0 to 86
constexpr int32_t max_line_length_m = 1000000;
constexpr int32_t line_margin_m = 7000;  // lunghezza_estesa = length + margin
constexpr int max_tunnels = 80;          // tunnel slots 1 to 80
// A tunnel record's kind above this is the kind plus this offset, and asks
// for tunnel markers every fourth cell.
constexpr int32_t tunnel_marker_kind_offset = 10;

// One 50-metre stretch of line. Only `tipo` decides occupancy; the byte
// fields after `dato4` are independent layers.
struct cella {
  uint8_t tipo = 0;
  int16_t dato1 = 0;
  int16_t dato2 = 0;
  int16_t dato3 = 0;
  int16_t dato4 = 0;
  uint8_t tempo = 0;
  uint8_t avviso = 0;
  uint8_t montagna = 0;
  uint8_t velocita_limite = 0;
  uint8_t pendenza = 0;
  uint8_t aderenza = 0;

  bool operator==(const cella&) const = default;
};

// Cell kinds.
namespace tipo_cella {
constexpr uint8_t vuota = 0;
constexpr uint8_t segnale = 1;
constexpr uint8_t fine_rallentamento = 2;
constexpr uint8_t inizio_rallentamento = 3;
constexpr uint8_t avviso_rallentamento = 4;
constexpr uint8_t preavviso_rallentamento = 5;
constexpr uint8_t indicatore_vmax = 6;
constexpr uint8_t fine_stazione = 10;
constexpr uint8_t marcatore_galleria = 11;
constexpr uint8_t punto_velocita = 12;
constexpr uint8_t punto_senza_velocita = 13;
constexpr uint8_t cartello_indicatore = 14;
}  // namespace tipo_cella

// A cell is free when nothing but (at most) a tunnel marker stands on it.
inline bool is_free(const cella& c) {
  return c.tipo == tipo_cella::vuota ||
         c.tipo == tipo_cella::marcatore_galleria;
}

// One record of the entry table: a station, a board text or general values.
struct voce {
  uint8_t tipo = 0;
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t posizione = 0;
  uint8_t flag1 = 0;
  std::string nome;
  int16_t num1 = 0;
  int16_t num2 = 0;
  int16_t num3 = 0;
  int16_t num4 = 0;
  int16_t num5 = 0;
  uint8_t flag2 = 0;
  uint8_t flag3 = 0;
  uint8_t flag4 = 0;
  uint8_t flag5 = 0;
  int32_t orario = 0;

  bool operator==(const voce&) const = default;
};

// Fixed uses of the entry table.
namespace voce_index {
constexpr int prima_stazione = 1;
constexpr int primo_cartello = 80;  // direction boards grow downward from here
constexpr int progressiva_tre = 81;
constexpr int progressiva_due = 82;
constexpr int progressiva_uno = 83;
constexpr int treno_generale = 84;  // braking mass, line length, cars
constexpr int percorso_generale =
    85;  // backgrounds, route name, marker, checksum
constexpr int segnali_generale =
    86;  // signal repetition, train name, sand, clock
}  // namespace voce_index

// The plan polyline: for each metre 0..lunghezza_estesa an x and a y element,
// each empty, a 16-bit integer or a double. Stored as parallel arrays (kind
// and value per coordinate) in one zeroed block of memory, so that a 1000 km
// plan stays small and a run maps its plan in few page faults.
class tracciato_t {
 public:
  enum class genere : uint8_t { vuoto = 0, intero16 = 1, doppio = 2 };

  tracciato_t() = default;
  ~tracciato_t() { clear(); }
  tracciato_t(const tracciato_t& other);
  tracciato_t& operator=(const tracciato_t& other);
  tracciato_t(tracciato_t&& other) noexcept { swap(other); }
  tracciato_t& operator=(tracciato_t&& other) noexcept {
    swap(other);
    return *this;
  }

  void create(int32_t last_metre);  // metres 0..last_metre, all empty
  void clear();
  bool exists() const { return size_ > 0; }
  // Number of metres (last index + 1); 0 when the plan does not exist.
  int64_t size() const { return size_; }

  genere kind(int64_t metre, int coord) const { return kind_[coord][metre]; }
  double value(int64_t metre, int coord) const { return value_[coord][metre]; }
  void set_int16(int64_t metre, int coord, int16_t v) {
    kind_[coord][metre] = genere::intero16;
    value_[coord][metre] = v;
  }
  void set_double(int64_t metre, int coord, double v) {
    kind_[coord][metre] = genere::doppio;
    value_[coord][metre] = v;
  }

 private:
  void swap(tracciato_t& other) noexcept;

  int64_t size_ = 0;
  void* block_ = nullptr;  // one mapping holding the four arrays
  size_t block_bytes_ = 0;
  std::array<double*, 2> value_{};
  std::array<genere*, 2> kind_{};
};

// A field of a description as a diagnostic points at it: 1-based line and
// byte column of its first character, its length, and its whole line.
struct source_span {
  int line = 0;  // 0 when there is no place
  int column = 0;
  int length = 0;
  std::string text;  // the line, without its line end
};

// What exactly failed, worded so that each reader's language can say it:
// the marked English pattern and the 8-bit texts that fill it, e.g.
// "\"%s\" is not a whole number" with "sette". `system_reasons` lists the
// arguments that are the system's words for a failure ("No such file or
// directory"), which are translated too.
struct worded_detail {
  const char* pattern = nullptr;  // none: the detail has no wording
  std::vector<std::string> args;
  std::vector<size_t> system_reasons;
};

// One recorded failure as it is shown to a person: the code, its position in
// metres when the code records one, and the description file, line and
// column of the field that caused it when a compiler rejection did.
struct diagnostic {
  int codice = 0;
  std::optional<int32_t> posizione;
  std::string file;         // file name of the description, empty when none
  int line = 0;             // 1-based line of the rejected record, 0 when none
  std::string detail;       // what exactly failed, for run-time failures
  int column = 0;           // 1-based byte column of the field, 0 when unknown
  int length = 0;           // bytes of the field on its line
  std::string source_line;  // the text of `line`, when known
  worded_detail worded;     // `detail` as its pattern and arguments
};

struct scenario_model {
  // Run state.
  std::string percorso;
  std::string treno;
  std::string riga;
  int32_t con_tracciato = 0;
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  int32_t lunghezza_estesa = 0;
  int32_t numero_celle = 0;

  // Tunnel bookkeeping of the compiler (slot 0 unused).
  int32_t numero_montagne = 0;
  std::array<int32_t, max_tunnels + 1> inizio_montagne{};
  std::array<int32_t, max_tunnels + 1> fine_montagne{};

  std::vector<cella> celle;  // empty until the line length is read
  std::array<voce, voci_count> voci;
  tracciato_t tracciato;

  // Every code recorded in this run, in order; codice_errore is the last.
  std::vector<diagnostic> diagnostics;

  bool has_cells() const { return !celle.empty(); }
};

// Clears every entry, the error code and the diagnostics; sets con_tracciato
// from `j`. posizione_errore keeps its value.
void reset(scenario_model& m, int32_t j);

// Creates the cell array (and the plan when con_tracciato is nonzero) for a
// line of `length` metres. The caller has refused lengths above the maximum.
void create_cells(scenario_model& m, int32_t length);

// Records a failure: sets codice_errore, posizione_errore when a position is
// given, and appends the diagnostic.
void record_error(scenario_model& m, int codice,
                  std::optional<int32_t> posizione = std::nullopt,
                  std::string file = {}, int line = 0, std::string detail = {});
// The same, pointing at a field of the description.
void record_error(scenario_model& m, int codice,
                  std::optional<int32_t> posizione, std::string file,
                  source_span at, std::string detail = {});

// num / den rounded to the nearest integer, exact halves to the even
// neighbour. `den` must be positive.
int64_t div_round_even(int64_t num, int64_t den);

}  // namespace scenario

#endif  // SCENARIO_MODEL_MODEL_H_
