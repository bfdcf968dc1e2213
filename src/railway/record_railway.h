// The railway of a description pair read out of its records as the
// compiler read them, by the rules of railway/rules.h: the stations (stop
// or pass), the direction boards with the tunnel each reaches, the tunnels
// with the board that names them, the speed boards by side and the
// slowdowns with their warning. The checker and the language server ask it.
#ifndef SCENARIO_RAILWAY_RECORD_RAILWAY_H_
#define SCENARIO_RAILWAY_RECORD_RAILWAY_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "railway/records.h"
#include "railway/rules.h"

namespace scenario::railway {

// The cell a record's position claims once stamped: the objects the
// compiler stamps into a cell (signals, stations, slowdowns, boards) by
// object_cell, the layers, curves, tunnels and speed points by layer_cell.
int64_t record_cell(record_kind kind, int64_t position_m);

// The time of day of a station record (hours, minutes and seconds in its
// fields 13 to 15), 0 when the service gives none.
int64_t station_time_s(const record_as_read& station);

struct station_fact {
  const record_as_read* record = nullptr;
  int64_t time_s = 0;
  bool stops = false;  // by station_stops over the stations in record order
};

struct tunnel_fact {
  const record_as_read* record = nullptr;
  int kind = 0;          // 1, 2 or 3, the marker offset taken off
  bool markers = false;  // the record asks for tunnel markers
  const record_as_read* named_by = nullptr;  // the board that names it
  std::string name;                          // its name, 8-bit; may be empty
};

struct direction_board_fact {
  const record_as_read* record = nullptr;
  std::string tunnel_name;               // the name its text gives, if any
  std::optional<int64_t> stated_length;  // the length its text states
  // The tunnel the board reaches (tunnel_reached_by_board), whatever its
  // text, or null.
  const record_as_read* reaches = nullptr;
};

struct speed_board_fact {
  const record_as_read* record = nullptr;
  board_sides sides;  // fields 1 to 4 the left side, 5 to 8 the right
};

struct slowdown_fact {
  const record_as_read* record = nullptr;
  int64_t start_m = 0;
  int64_t length_m = 0;
  int speed_kmh = 0;
  // The warning, when the slowdown starts far enough along to have one:
  // slowdown_warning_distance_m before the start, announcing the
  // slowdown's own speed (warning_speed_kmh).
  std::optional<int64_t> warning_m;
  bool approach = false;  // four approach marks before the warning
};

// The railway of the accepted records of `records` (which must outlive
// it), each list in record order.
class record_railway {
 public:
  explicit record_railway(std::span<const record_as_read> records);

  const std::vector<station_fact>& stations() const { return stations_; }
  const std::vector<tunnel_fact>& tunnels() const { return tunnels_; }
  const std::vector<direction_board_fact>& direction_boards() const {
    return boards_;
  }
  const std::vector<speed_board_fact>& speed_boards() const {
    return speed_boards_;
  }
  const std::vector<slowdown_fact>& slowdowns() const { return slowdowns_; }

  // The fact of one record of `records`; null for a record of another kind
  // or one the compiler refused.
  const station_fact* station(const record_as_read& r) const;
  const tunnel_fact* tunnel(const record_as_read& r) const;
  const direction_board_fact* direction_board(const record_as_read& r) const;
  const speed_board_fact* speed_board(const record_as_read& r) const;
  const slowdown_fact* slowdown(const record_as_read& r) const;

 private:
  void read_tunnels(std::span<const record_as_read> records);

  std::vector<station_fact> stations_;
  std::vector<tunnel_fact> tunnels_;
  std::vector<direction_board_fact> boards_;
  std::vector<speed_board_fact> speed_boards_;
  std::vector<slowdown_fact> slowdowns_;
};

}  // namespace scenario::railway

#endif  // SCENARIO_RAILWAY_RECORD_RAILWAY_H_
