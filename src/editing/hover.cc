#include "editing/hover.h"

#include <algorithm>
#include <string>

#include "decoding/readout.h"
#include "editing/record_help.h"
#include "model/kilometres.h"
#include "model/text_8bit.h"
#include "railway/record_railway.h"

namespace scenario::editing {
namespace {

std::string at_cell(const record_as_read& r) {
  const int64_t p = r.number(0);
  return format_km(p) + " (cell " +
         std::to_string(railway::record_cell(r.kind, p)) + ")";
}

std::string describe_station(const railway::record_railway& rail,
                             const record_as_read& r) {
  const int64_t time = railway::station_time_s(r);
  const railway::station_fact* st = rail.station(r);
  return "**station " + windows1252_to_utf8(r.text) + "** at " + at_cell(r) +
         "\n\ntype " + std::to_string(r.number(1)) + ", " +
         std::to_string(r.number(2)) + " m long, time " +
         (time > 0 ? format_time(time) : "-") + ", " +
         (st == nullptr ? "refused by the compiler"
          : st->stops   ? "the train stops"
                        : "passed");
}

std::string describe_signal(const record_as_read& r) {
  return "**signal** at " + at_cell(r) + "\n\nleft: kind " +
         std::to_string(r.number(1)) + ", values " +
         std::to_string(r.number(2)) + " " + std::to_string(r.number(3)) + " " +
         std::to_string(r.number(4)) + "; rapp " + std::to_string(r.number(5)) +
         "; right: kind " + std::to_string(r.number(6)) + ", values " +
         std::to_string(r.number(7)) + " " + std::to_string(r.number(8)) + " " +
         std::to_string(r.number(9)) + "; tempo " +
         std::to_string(r.number(10));
}

std::string board_side_text(const railway::board_side& side) {
  return std::to_string(side.speeds_kmh[0]) + "/" +
         std::to_string(side.speeds_kmh[1]) + "/" +
         std::to_string(side.speeds_kmh[2]) + " km/h, stripes " +
         std::to_string(side.stripes);
}

std::string describe_speed_board(const railway::record_railway& rail,
                                 const record_as_read& r) {
  const railway::speed_board_fact* b = rail.speed_board(r);
  if (b == nullptr) return "**speed board** at " + at_cell(r);
  return "**speed board** at " + at_cell(r) +
         "\n\nleft: " + board_side_text(b->sides.left) +
         "; right: " + board_side_text(b->sides.right);
}

std::string describe_tunnel(const railway::record_railway& rail,
                            const record_as_read& r) {
  const int64_t p = r.number(0);
  std::string s = "**tunnel** " + format_km(p) + " to " +
                  format_km(r.number(1)) + ", " +
                  std::to_string(r.number(1) - p) + " m";
  const railway::tunnel_fact* t = rail.tunnel(r);
  if (t == nullptr) return s;
  s += ", kind " + std::to_string(t->kind) +
       (t->markers ? " with tunnel markers" : "");
  if (!t->name.empty()) s += "\n\nnamed " + windows1252_to_utf8(t->name);
  return s;
}

// The railway object a record makes, as the record-level railway reads it;
// empty for a record that makes none worth a line.
std::string describe_object(const analysis& a, const record_as_read& r) {
  switch (r.kind) {
    case record_kind::station:
      return describe_station(railway::record_railway(a.records), r);
    case record_kind::signal:
      return describe_signal(r);
    case record_kind::speed_board:
      return describe_speed_board(railway::record_railway(a.records), r);
    case record_kind::tunnel:
      return describe_tunnel(railway::record_railway(a.records), r);
    default:
      return {};
  }
}

std::string describe_value(const record_as_read& r, const field_help& f,
                           int64_t v) {
  std::string s = std::to_string(v);
  if (!f.unit.empty()) s += " " + std::string(f.unit);
  if (f.is_position) {
    s += " · " + format_km(v) + " · cell " +
         std::to_string(railway::record_cell(r.kind, v));
  }
  return s;
}

// The key of a line and where it ends: the text before its first comma.
std::string_view key_of_line(std::string_view line) {
  const size_t comma = line.find(',');
  return line.substr(0, comma == std::string_view::npos ? line.size() : comma);
}

// A hover on a line that no record covers (the general block): the key's
// fields, or the field under the cursor counted by commas.
json hover_by_text(const analysis& a, text_position p) {
  const std::string_view line = line_text(a.text, p.line);
  const std::string_view key = key_of_line(line);
  const record_help* h = help_for_key(key, a.in);
  if (h == nullptr) return nullptr;
  const int at = std::min<int>(p.character, static_cast<int>(line.size()));
  const int commas =
      static_cast<int>(std::count(line.begin(), line.begin() + at, ','));
  if (commas == 0 || commas > static_cast<int>(h->fields.size())) {
    return markdown("**" + std::string(h->key) + "**: " +
                    std::string(h->meaning) + "\n\nfields: " + field_list(*h));
  }
  const field_help& f = h->fields[commas - 1];
  return markdown("**" + std::string(f.name) + "**" +
                  (f.unit.empty() ? "" : " (" + std::string(f.unit) + ")") +
                  ": " + std::string(f.meaning));
}

}  // namespace

json hover_at(const analysis& a, text_position p) {
  int field = 0;
  const record_as_read* r = record_at(a, p, &field);
  if (r == nullptr) return hover_by_text(a, p);
  const record_help* h = help_for_key(r->key, a.in);
  if (h == nullptr) return nullptr;
  if (field < 0) {
    std::string s = "**" + std::string(h->key) +
                    "**: " + std::string(h->meaning) +
                    "\n\nfields: " + field_list(*h);
    const std::string object = describe_object(a, *r);
    if (!object.empty()) s += "\n\n" + object;
    return markdown(s);
  }
  if (field >= static_cast<int>(h->fields.size())) return nullptr;
  const field_help& f = h->fields[field];
  std::string s = "**" + std::string(f.name) + "**" +
                  (f.unit.empty() ? "" : " (" + std::string(f.unit) + ")") +
                  ": " + std::string(f.meaning) + "\n\nvalue: ";
  if (field < static_cast<int>(r->numbers.size())) {
    s += describe_value(*r, f, r->numbers[field]);
  } else {
    s += "\"" + windows1252_to_utf8(r->text) + "\"";
  }
  if (!r->accepted) s += "\n\n(the compiler refused this record)";
  return markdown(s);
}

std::vector<text_range> definition_at(const analysis& a, text_position p) {
  std::vector<text_range> out;
  int field = 0;
  const record_as_read* r = record_at(a, p, &field);
  if (r == nullptr) return out;
  const railway::record_railway rail(a.records);
  const record_as_read* to = nullptr;
  if (const railway::direction_board_fact* b = rail.direction_board(*r)) {
    if (!b->tunnel_name.empty()) to = b->reaches;
  } else if (const railway::tunnel_fact* t = rail.tunnel(*r)) {
    to = t->named_by;
  }
  if (to != nullptr) out.push_back(line_range(a, to->key_at.line - 1));
  return out;
}

}  // namespace scenario::editing
