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

int64_t cell_of(const record_as_read& r) {
  return railway::record_cell(r.kind, r.number(0));
}

std::string describe_station(const railway::record_railway& rail,
                             const record_as_read& r, const translator& tr) {
  const int64_t time = railway::station_time_s(r);
  const railway::station_fact* st = rail.station(r);
  return tr.format(
      "**station %s** at %s (cell %d)\n\ntype %d, %d m long, "
      "time %s, %s",
      windows1252_to_utf8(r.text()), format_km(r.number(0)), cell_of(r),
      r.number(1), r.number(2), time > 0 ? format_time(time) : "-",
      st == nullptr ? tr("refused by the compiler")
      : st->stops   ? tr("the train stops")
                    : tr("passed"));
}

std::string describe_signal(const record_as_read& r, const translator& tr) {
  return tr.format(
      "**signal** at %s (cell %d)\n\nleft: kind %d, values %d %d %d; "
      "rapp %d; right: kind %d, values %d %d %d; tempo %d",
      format_km(r.number(0)), cell_of(r), r.number(1), r.number(2), r.number(3),
      r.number(4), r.number(5), r.number(6), r.number(7), r.number(8),
      r.number(9), r.number(10));
}

std::string describe_speed_board(const railway::record_railway& rail,
                                 const record_as_read& r,
                                 const translator& tr) {
  const railway::speed_board_fact* b = rail.speed_board(r);
  if (b == nullptr) {
    return tr.format("**speed board** at %s (cell %d)", format_km(r.number(0)),
                     cell_of(r));
  }
  const railway::board_side& left = b->sides.left;
  const railway::board_side& right = b->sides.right;
  return tr.format(
      "**speed board** at %s (cell %d)\n\nleft: %d/%d/%d km/h, stripes "
      "%d; right: %d/%d/%d km/h, stripes %d",
      format_km(r.number(0)), cell_of(r), left.speeds_kmh[0],
      left.speeds_kmh[1], left.speeds_kmh[2], left.stripes, right.speeds_kmh[0],
      right.speeds_kmh[1], right.speeds_kmh[2], right.stripes);
}

std::string describe_tunnel(const railway::record_railway& rail,
                            const record_as_read& r, const translator& tr) {
  const int64_t p = r.number(0);
  const railway::tunnel_fact* t = rail.tunnel(r);
  if (t == nullptr) {
    return tr.format("**tunnel** %s to %s, %d m", format_km(p),
                     format_km(r.number(1)), r.number(1) - p);
  }
  std::string s = tr.format("**tunnel** %s to %s, %d m, kind %d", format_km(p),
                            format_km(r.number(1)), r.number(1) - p, t->kind);
  if (t->markers) s += tr(" with tunnel markers");
  if (!t->name.empty()) {
    s += "\n\n" + tr.format("named %s", windows1252_to_utf8(t->name));
  }
  return s;
}

// The railway object a record makes, as the record-level railway reads it;
// empty for a record that makes none worth a line.
std::string describe_object(const analysis& a, const record_as_read& r,
                            const translator& tr) {
  switch (r.kind) {
    case record_kind::station:
      return describe_station(railway::record_railway(a.records), r, tr);
    case record_kind::signal:
      return describe_signal(r, tr);
    case record_kind::speed_board:
      return describe_speed_board(railway::record_railway(a.records), r, tr);
    case record_kind::tunnel:
      return describe_tunnel(railway::record_railway(a.records), r, tr);
    default:
      return {};
  }
}

std::string describe_value(const record_as_read& r, const field_help& f,
                           int64_t v, const translator& tr) {
  std::string s = std::to_string(v);
  if (!f.unit.empty()) s += " " + std::string(f.unit);
  if (f.is_position) {
    s += tr.format(" · %s · cell %d", format_km(v),
                   railway::record_cell(r.kind, v));
  }
  return s;
}

// A key's hover: what its record is and its fields.
std::string key_hover(const record_help& h, const translator& tr) {
  return "**" + std::string(h.key) + "**: " + tr(h.meaning.data()) + "\n\n" +
         tr.format("fields: %s", field_list(h));
}

// A field's hover: its name, unit and meaning.
std::string field_hover(const field_help& f, const translator& tr) {
  return "**" + std::string(f.name) + "**" +
         (f.unit.empty() ? "" : " (" + std::string(f.unit) + ")") + ": " +
         tr(f.meaning.data());
}

// The key of a line and where it ends: the text before its first comma.
std::string_view key_of_line(std::string_view line) {
  const size_t comma = line.find(',');
  return line.substr(0, comma == std::string_view::npos ? line.size() : comma);
}

// A hover on a line that no record covers (the general block): the key's
// fields, or the field under the cursor counted by commas.
json hover_by_text(const analysis& a, text_position p, const translator& tr) {
  const std::string_view line = line_text(a.text, p.line);
  const std::string_view key = key_of_line(line);
  const record_help* h = help_for_key(key, a.in);
  if (h == nullptr) return nullptr;
  const int at = std::min<int>(p.character, static_cast<int>(line.size()));
  const int commas =
      static_cast<int>(std::count(line.begin(), line.begin() + at, ','));
  if (commas == 0 || commas > static_cast<int>(h->fields.size())) {
    return markdown(key_hover(*h, tr));
  }
  return markdown(field_hover(h->fields[commas - 1], tr));
}

}  // namespace

json hover_at(const analysis& a, text_position p, const translator& tr) {
  int field = 0;
  const record_as_read* r = record_at(a, p, &field);
  if (r == nullptr) return hover_by_text(a, p, tr);
  const record_help* h = help_for_key(r->key(), a.in);
  if (h == nullptr) return nullptr;
  if (field < 0) {
    std::string s = key_hover(*h, tr);
    const std::string object = describe_object(a, *r, tr);
    if (!object.empty()) s += "\n\n" + object;
    return markdown(s);
  }
  if (field >= static_cast<int>(h->fields.size())) return nullptr;
  const field_help& f = h->fields[field];
  std::string s = field_hover(f, tr) + "\n\n" + tr("value: ");
  if (field < static_cast<int>(r->number_count())) {
    s += describe_value(*r, f, r->number(static_cast<size_t>(field)), tr);
  } else {
    s += "\"" + windows1252_to_utf8(r->text()) + "\"";
  }
  if (!r->accepted) {
    s += "\n\n" + std::string(tr("(the compiler refused this record)"));
  }
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
  if (to != nullptr) out.push_back(line_range(a, to->key_at().line - 1));
  return out;
}

}  // namespace scenario::editing
