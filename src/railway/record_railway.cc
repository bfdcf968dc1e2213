#include "railway/record_railway.h"

#include <algorithm>
#include <functional>

#include "model/kilometres.h"
#include "model/model.h"

namespace scenario::railway {
namespace {

// The fact of record `r` in `facts` (in record order, so in address order:
// the records stand in one array), or null.
template <typename fact>
const fact* fact_of(const std::vector<fact>& facts, const record_as_read& r) {
  const auto it =
      std::lower_bound(facts.begin(), facts.end(), &r,
                       [](const fact& f, const record_as_read* p) {
                         return std::less<const record_as_read*>()(f.record, p);
                       });
  return it != facts.end() && it->record == &r ? &*it : nullptr;
}

speed_board_fact speed_board_of(const record_as_read& r) {
  speed_board_fact b;
  b.record = &r;
  for (size_t k = 0; k < 3; ++k) {
    b.sides.left.speeds_kmh[k] = static_cast<int>(r.number(1 + k));
    b.sides.right.speeds_kmh[k] = static_cast<int>(r.number(5 + k));
  }
  b.sides.left.stripes = static_cast<int>(r.number(4));
  b.sides.right.stripes = static_cast<int>(r.number(8));
  return b;
}

// A slowdown record: x, v, l, f_tt, f_ta, d_v.
slowdown_fact slowdown_of(const record_as_read& r) {
  slowdown_fact d;
  d.record = &r;
  d.start_m = r.number(0);
  d.speed_kmh = static_cast<int>(r.number(1));
  d.length_m = r.number(2);
  if (d.start_m > slowdown_warning_threshold_m) {
    d.warning_m = d.start_m - slowdown_warning_distance_m;
    d.approach = r.number(4) != 0;
  }
  return d;
}

}  // namespace

int64_t record_cell(record_kind kind, int64_t position_m) {
  switch (kind) {
    case record_kind::signal:
    case record_kind::station:
    case record_kind::slowdown:
    case record_kind::speed_board:
    case record_kind::direction_board:
      return object_cell(position_m);
    default:
      return layer_cell(position_m);
  }
}

int64_t station_time_s(const record_as_read& station) {
  return (station.number(13) * 60 + station.number(14)) * 60 +
         station.number(15);
}

record_railway::record_railway(std::span<const record_as_read> records) {
  std::vector<station_timing> timings;
  for (const record_as_read& r : records) {
    if (!r.accepted) continue;
    switch (r.kind) {
      case record_kind::station:
        stations_.push_back({&r, station_time_s(r), false});
        timings.push_back({station_time_s(r), r.number(12)});
        break;
      case record_kind::speed_board:
        speed_boards_.push_back(speed_board_of(r));
        break;
      case record_kind::slowdown:
        slowdowns_.push_back(slowdown_of(r));
        break;
      default:
        break;
    }
  }
  const std::vector<bool> stops = station_stops(timings);
  for (size_t s = 0; s < stations_.size(); ++s) stations_[s].stops = stops[s];
  read_tunnels(records);
}

// The tunnels, the boards, and which board names which tunnel.
void record_railway::read_tunnels(std::span<const record_as_read> records) {
  std::vector<int64_t> entrances;
  for (const record_as_read& r : records) {
    if (!r.accepted || r.kind != record_kind::tunnel) continue;
    tunnel_fact t;
    t.record = &r;
    t.kind = static_cast<int>(r.number(2));
    if (t.kind > tunnel_marker_kind_offset) {
      t.kind -= tunnel_marker_kind_offset;
      t.markers = true;
    }
    tunnels_.push_back(std::move(t));
    entrances.push_back(r.number(0));
  }
  std::vector<int64_t> naming_positions;
  std::vector<size_t> naming;  // indices in boards_
  for (const record_as_read& r : records) {
    if (!r.accepted || r.kind != record_kind::direction_board) continue;
    direction_board_fact b;
    b.record = &r;
    b.tunnel_name = tunnel_name_of_board(r.text());
    b.stated_length = stated_tunnel_length(r.text());
    const int t = tunnel_reached_by_board(r.number(0), entrances);
    if (t >= 0) b.reaches = tunnels_[static_cast<size_t>(t)].record;
    if (!b.tunnel_name.empty()) {
      naming_positions.push_back(r.number(0));
      naming.push_back(boards_.size());
    }
    boards_.push_back(std::move(b));
  }
  const std::vector<int> named = naming_boards(naming_positions, entrances);
  for (size_t t = 0; t < tunnels_.size(); ++t) {
    if (named[t] < 0) continue;
    const direction_board_fact& b = boards_[naming[named[t]]];
    tunnels_[t].named_by = b.record;
    tunnels_[t].name = b.tunnel_name;
  }
}

const station_fact* record_railway::station(const record_as_read& r) const {
  return fact_of(stations_, r);
}
const tunnel_fact* record_railway::tunnel(const record_as_read& r) const {
  return fact_of(tunnels_, r);
}
const direction_board_fact* record_railway::direction_board(
    const record_as_read& r) const {
  return fact_of(boards_, r);
}
const speed_board_fact* record_railway::speed_board(
    const record_as_read& r) const {
  return fact_of(speed_boards_, r);
}
const slowdown_fact* record_railway::slowdown(const record_as_read& r) const {
  return fact_of(slowdowns_, r);
}

}  // namespace scenario::railway
