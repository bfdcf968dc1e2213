#include "decoding/object_records.h"

#include <algorithm>

#include "decoding/diff.h"
#include "decoding/readout.h"
#include "model/kilometres.h"
#include "model/text_8bit.h"
#include "railway/railway_objects.h"

namespace scenario {
namespace {

std::string num(int64_t v) { return std::to_string(v); }

// ---------------------------------------------------------------- reading

// Field names stay as they are (the JSON's names); `tr.context("field",
// name)` words them in a line.
object_record station_record(const station_view& s, const translator& tr) {
  const voce& v = *s.v;
  object_record r;
  r.at = v.posizione;
  r.name = windows1252_to_utf8(v.nome);
  const bool timed = v.orario != 0 || s.stops;
  r.fields = {{NC_("field", "name"), quote_entry_text(v.nome)},
              {NC_("field", "kind"), num(v.tipo)},
              {NC_("field", "zone"),
               tr.format("%s to %s", format_km(v.inizio), format_km(v.fine))},
              {NC_("field", "time"), timed ? format_time(v.orario) : "-"},
              {NC_("field", "stop"), s.stops ? tr("stop") : tr("pass")},
              {"flag1", num(v.flag1)},
              {"flag2", num(v.flag2)},
              {"flag3", num(v.flag3)},
              {"flag4", num(v.flag4)},
              {"flag5", num(v.flag5)},
              {"num1", num(v.num1)},
              {"num2", num(v.num2)},
              {"num3", num(v.num3)},
              {"num4", num(v.num4)},
              {"num5", num(v.num5)}};
  r.entries.emplace_back(s.entry, entry_bit::all);
  if (s.end_mark_cell >= 0) {
    const int64_t e = s.end_mark_cell;
    r.cells.push_back({e, e, cell_bit::tipo | cell_bit::dato1});
    // The approach marks in the four cells before the end mark.
    r.cells.push_back({std::max<int64_t>(0, e - 4), e - 1, cell_bit::avviso});
  }
  return r;
}

object_record signal_record(const signal_view& s) {
  object_record r;
  r.at = object_position_m(s.cell);
  r.fields = {{"sx", num(s.left_kind)},  {"s1", num(s.left[0])},
              {"s2", num(s.left[1])},    {"s3", num(s.left[2])},
              {"dx", num(s.right_kind)}, {"d1", num(s.right[0])},
              {"d2", num(s.right[1])},   {"d3", num(s.right[2])},
              {"rapp", num(s.rapp)},     {"tempo", num(s.tempo)}};
  r.cells.push_back({s.cell, s.cell,
                     cell_bit::tipo | cell_bit::dato1 | cell_bit::dato2 |
                         cell_bit::dato3 | cell_bit::dato4 | cell_bit::tempo});
  // The approach codes every 100 m back from the signal.
  for (int64_t k = 2; k <= 8; k += 2) {
    if (s.cell - k >= 0) {
      r.cells.push_back({s.cell - k, s.cell - k, cell_bit::avviso});
    }
  }
  return r;
}

object_record tunnel_record(const scenario_model& m, const tunnel_view& t) {
  object_record r;
  r.at = t.from_m;
  r.name = windows1252_to_utf8(t.name);
  r.fields = {{NC_("field", "end"), format_km(t.to_m)},
              {NC_("field", "kind"), num(t.kind)}};
  if (!t.name.empty()) {
    r.fields.emplace_back(NC_("field", "name"), quote_entry_text(t.name));
  }
  const int64_t first = t.from_m / cell_length_m;
  const int64_t last = t.to_m / cell_length_m - 1;
  r.cells.push_back({first, last, cell_bit::montagna});
  for (int64_t i = first; i <= last; ++i) {
    if (m.celle[i].tipo == tipo_cella::marcatore_galleria) {
      r.cells.push_back({i, i, cell_bit::tipo});
    }
  }
  return r;
}

object_record direction_board_record(const direction_board_view& b,
                                     const translator& tr) {
  object_record r;
  r.at = object_position_m(b.cell);
  r.fields = {{NC_("field", "text"),
               b.v != nullptr ? quote_entry_text(b.v->nome)
                              : tr.format("(no entry %s)", num(b.entry))}};
  r.cells.push_back({b.cell, b.cell, cell_bit::tipo | cell_bit::dato1});
  if (b.v != nullptr) r.entries.emplace_back(b.entry, entry_bit::nome);
  return r;
}

object_record speed_board_record(const speed_board_view& b) {
  object_record r;
  r.at = object_position_m(b.cell);
  const char* names[] = {"a", "b", "c"};
  for (int k = 0; k < 3; ++k) {
    r.fields.emplace_back(names[k], num(b.left[k]) + "|" + num(b.right[k]));
  }
  r.fields.emplace_back(NC_("field", "stripes"),
                        num(b.left_stripes) + "|" + num(b.right_stripes));
  r.cells.push_back({b.cell, b.cell,
                     cell_bit::tipo | cell_bit::dato1 | cell_bit::dato2 |
                         cell_bit::dato3 | cell_bit::dato4});
  return r;
}

object_record slowdown_record(const slowdown_view& d, const translator& tr) {
  const auto km = [&](const std::optional<int64_t>& cell) {
    return cell ? format_km(object_position_m(*cell)) : std::string(tr("none"));
  };
  object_record r;
  r.at = object_position_m(d.first_cell());
  r.fields = {
      {NC_("field", "end"), km(d.end_cell)},
      {NC_("field", "speed"), num(d.speed) + " km/h"},
      {NC_("field", "second speed"), num(d.second_speed)},
      {"f_tt", num(d.f_tt)},
      {NC_("field", "warning"), km(d.warning_cell)},
      {NC_("field", "approach marks"), d.approach ? tr("yes") : tr("no")}};
  constexpr uint16_t marks =
      cell_bit::tipo | cell_bit::dato1 | cell_bit::dato2 | cell_bit::dato3;
  for (const auto& cell : {d.start_cell, d.end_cell, d.warning_cell}) {
    if (cell) r.cells.push_back({*cell, *cell, marks});
  }
  if (d.warning_cell && d.approach) {
    r.cells.push_back({std::max<int64_t>(0, *d.warning_cell - 4),
                       *d.warning_cell - 1, marks});
  }
  const int64_t first =
      object_position_m(d.warning_cell.value_or(d.first_cell()));
  const int64_t last = object_position_m(d.end_cell.value_or(d.first_cell()));
  r.reach = {first - 1000, last + 600};
  return r;
}

object_record speed_point_record(const speed_point_view& p,
                                 const translator& tr) {
  object_record r;
  r.at = layer_position_m(p.cell);
  r.fields = {{NC_("field", "speed"),
               p.speed ? num(*p.speed) + " km/h" : std::string(tr("none"))}};
  // Post-processing gives every point it places 180 km/h.
  r.placed_by_post_processing = p.speed == 180;
  r.cells.push_back({p.cell, p.cell, cell_bit::tipo | cell_bit::dato1});
  return r;
}

std::vector<object_record> layer_records(const std::vector<layer_stretch>& runs,
                                         uint16_t field, const char* unit) {
  std::vector<object_record> list;
  for (const layer_stretch& s : runs) {
    object_record r;
    r.at = layer_position_m(s.from_cell);
    r.end = layer_position_m(s.to_cell);
    r.fields = {{NC_("field", "value"), num(s.value) + unit}};
    r.cells.push_back({s.from_cell, s.to_cell - 1, field});
    list.push_back(std::move(r));
  }
  return list;
}

// The general values of the line and the train: how each reads, and the
// entry fields that hold it.
namespace general_table {

using namespace voce_index;

struct general {
  const char* kind;
  std::string (*value)(const scenario_model&, const translator&);
  std::vector<std::pair<int, uint16_t>> entries;
  bool checksums;  // the route and train names make the checksums
};
const general values[] = {
    {NC_("object", "line length"),
     [](const scenario_model& m, const translator&) {
       return num(m.voci[treno_generale].fine) + " m";
     },
     {{treno_generale, entry_bit::fine}},
     false},
    {NC_("object", "route"),
     [](const scenario_model& m, const translator&) {
       return quote_entry_text(m.voci[percorso_generale].nome);
     },
     {{percorso_generale, entry_bit::nome}},
     true},
    {NC_("object", "train"),
     [](const scenario_model& m, const translator&) {
       return quote_entry_text(m.voci[segnali_generale].nome);
     },
     {{segnali_generale, entry_bit::nome}},
     true},
    {NC_("object", "braking mass"),
     [](const scenario_model& m, const translator&) {
       return num(m.voci[treno_generale].inizio) + " %";
     },
     {{treno_generale, entry_bit::inizio}},
     false},
    {NC_("object", "cars"),
     [](const scenario_model& m, const translator&) {
       return num(m.voci[treno_generale].posizione);
     },
     {{treno_generale, entry_bit::posizione}},
     false},
    {NC_("object", "sand"),
     [](const scenario_model& m, const translator&) {
       return num(m.voci[segnali_generale].num1);
     },
     {{segnali_generale, entry_bit::num1}},
     false},
    {NC_("object", "clock"),
     [](const scenario_model& m, const translator&) {
       const voce& v = m.voci[segnali_generale];
       return format_time(int64_t{v.num3} * 3600 + v.num4 * 60 + v.num5);
     },
     {{segnali_generale, entry_bit::num3 | entry_bit::num4 | entry_bit::num5}},
     false},
    {NC_("object", "signal repetition"),
     [](const scenario_model& m, const translator& tr) {
       const voce& v = m.voci[segnali_generale];
       return tr.format("%s, %s (codes %s)", num(v.inizio), num(v.fine),
                        num(v.posizione));
     },
     {{segnali_generale,
       entry_bit::inizio | entry_bit::fine | entry_bit::posizione}},
     false},
    {NC_("object", "backgrounds"),
     [](const scenario_model& m, const translator&) {
       const voce& v = m.voci[percorso_generale];
       return "uno " + num(v.inizio) + ", due " + num(v.posizione) + ", tre " +
              num(v.fine);
     },
     {{percorso_generale,
       entry_bit::inizio | entry_bit::fine | entry_bit::posizione}},
     false},
};

}  // namespace general_table

// The three kilometric references, one record each.
void add_progressive_records(const scenario_model& a, const scenario_model& b,
                             std::vector<kind_records>& list) {
  using namespace voce_index;
  const std::pair<const char*, int> progressives[] = {
      {"progressiva uno", progressiva_uno},
      {"progressiva due", progressiva_due},
      {"progressiva tre", progressiva_tre}};
  for (const auto& progressive : progressives) {
    const char* const kind = progressive.first;
    const int entry = progressive.second;
    const auto make_progressive = [entry](const scenario_model& m) {
      const voce& v = m.voci[entry];
      object_record r;
      r.fields = {{NC_("field", "value"), num(v.inizio) + ", " + num(v.fine) +
                                              ", " + num(v.posizione)}};
      r.entries.emplace_back(
          entry, entry_bit::inizio | entry_bit::fine | entry_bit::posizione);
      return r;
    };
    list.push_back({kind,
                    object_style::general,
                    false,
                    {make_progressive(a)},
                    {make_progressive(b)}});
  }
}

// The general values of the line and the train, one record each.
std::vector<kind_records> general_records(const scenario_model& a,
                                          const scenario_model& b,
                                          const translator& tr) {
  using namespace voce_index;
  std::vector<kind_records> list;
  const auto make = [&](const scenario_model& m,
                        const general_table::general& g) {
    object_record r;
    r.fields = {{NC_("field", "value"), g.value(m, tr)}};
    r.entries = g.entries;
    if (g.checksums) {
      r.entries.emplace_back(percorso_generale, entry_bit::orario);
      r.cells.push_back({1, 1, cell_bit::dato2});
    }
    return r;
  };
  for (const general_table::general& g : general_table::values) {
    list.push_back(
        {g.kind, object_style::general, false, {make(a, g)}, {make(b, g)}});
  }
  add_progressive_records(a, b, list);
  return list;
}

template <typename T, typename F>
std::vector<object_record> records_of(const std::vector<T>& list, F make) {
  std::vector<object_record> out;
  out.reserve(list.size());
  for (const T& item : list) out.push_back(make(item));
  return out;
}

}  // namespace

std::vector<kind_records> read_object_records(const scenario_model& a,
                                              const scenario_model& b,
                                              const translator& tr) {
  std::vector<kind_records> kinds = general_records(a, b, tr);
  const railway_objects oa = read_railway_objects(a);
  const railway_objects ob = read_railway_objects(b);
  const auto add = [&](const char* kind, object_style how, auto member,
                       auto make) {
    kinds.push_back({kind, how, false, records_of(oa.*member, make),
                     records_of(ob.*member, make)});
  };
  const auto worded = [&tr](auto make) {
    return [&tr, make](const auto& item) { return make(item, tr); };
  };
  add(NC_("object", "station"), object_style::object,
      &railway_objects::stations, worded(station_record));
  kinds.back().match_names = true;
  add(NC_("object", "signal"), object_style::object, &railway_objects::signals,
      signal_record);
  kinds.push_back(
      {NC_("object", "tunnel"), object_style::object, false,
       records_of(oa.tunnels,
                  [&](const tunnel_view& t) { return tunnel_record(a, t); }),
       records_of(ob.tunnels,
                  [&](const tunnel_view& t) { return tunnel_record(b, t); })});
  add(NC_("object", "direction board"), object_style::object,
      &railway_objects::direction_boards, worded(direction_board_record));
  add(NC_("object", "speed board"), object_style::object,
      &railway_objects::speed_boards, speed_board_record);
  add(NC_("object", "slowdown"), object_style::object,
      &railway_objects::slowdowns, worded(slowdown_record));
  add(NC_("object", "speed point"), object_style::object,
      &railway_objects::speed_points, worded(speed_point_record));
  kinds.push_back(
      {NC_("object", "limit"), object_style::layer, false,
       layer_records(oa.speed_limits, cell_bit::velocita_limite, " km/h"),
       layer_records(ob.speed_limits, cell_bit::velocita_limite, " km/h")});
  kinds.push_back({NC_("object", "gradient"), object_style::layer, false,
                   layer_records(oa.gradient, cell_bit::pendenza, ""),
                   layer_records(ob.gradient, cell_bit::pendenza, "")});
  kinds.push_back({NC_("object", "adhesion"), object_style::layer, false,
                   layer_records(oa.adhesion, cell_bit::aderenza, ""),
                   layer_records(ob.adhesion, cell_bit::aderenza, "")});
  return kinds;
}

}  // namespace scenario
