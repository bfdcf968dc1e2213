#include "editing/outline.h"

#include <algorithm>
#include <string>

#include "model/kilometres.h"
#include "model/text_8bit.h"
#include "railway/record_railway.h"

namespace scenario::editing {
namespace {

// Symbol kinds of the protocol.
constexpr int symbol_namespace = 3;
constexpr int symbol_class = 5;
constexpr int symbol_field = 8;
constexpr int symbol_constant = 14;
constexpr int symbol_struct = 23;

// The outline's name, detail (a station's stop or pass, a tunnel's name)
// and symbol kind of a record; 0 for a record the outline leaves out. A
// record the compiler refused is in no railway and has no detail.
int outline_entry(const railway::record_railway& rail, const record_as_read& r,
                  std::string& name, std::string& detail,
                  const translator& tr) {
  const int64_t p = r.number(0);
  int kind = 0;
  switch (r.kind) {
    case record_kind::station:
      name = windows1252_to_utf8(r.text()) + " " + format_km(p);
      if (const railway::station_fact* s = rail.station(r)) {
        detail = s->stops ? tr("stop") : tr("pass");
      }
      kind = symbol_class;
      break;
    case record_kind::tunnel:
      name = tr.format("tunnel %s to %s", format_km(p), format_km(r.number(1)));
      if (const railway::tunnel_fact* t = rail.tunnel(r)) {
        detail = windows1252_to_utf8(t->name);
      }
      kind = symbol_struct;
      break;
    case record_kind::signal:
      name = tr.format("signal %s", format_km(p));
      kind = symbol_constant;
      break;
    case record_kind::speed_board:
      name = tr.format("speed board %s", format_km(p));
      kind = symbol_field;
      break;
    case record_kind::direction_board:
      name =
          tr.format("board %s %s", format_km(p), windows1252_to_utf8(r.text()));
      kind = symbol_field;
      break;
    default:
      return 0;
  }
  return kind;
}

}  // namespace

json document_symbols(const analysis& a, const translator& tr) {
  std::vector<std::string_view> lines;
  for (std::string_view rest = a.text;;) {
    const size_t e = rest.find_first_of("\r\n");
    lines.push_back(rest.substr(0, e));
    if (e == std::string_view::npos) break;
    rest.remove_prefix(
        e + (rest[e] == '\r' && e + 1 < rest.size() && rest[e + 1] == '\n'
                 ? 2
                 : 1));
  }
  const auto whole_line = [&](int n) {
    return text_range{{n, 0}, {n, static_cast<int>(lines[n].size())}};
  };
  json sections = json::array();
  const auto close_section = [&](int last) {
    if (sections.empty()) return;
    sections.back()["range"]["end"] =
        position_json(whole_line(std::max(last, 0)).end);
  };
  const railway::record_railway rail(a.records);
  size_t next_record = 0;
  const int count = static_cast<int>(lines.size());
  for (int n = 0; n < count; ++n) {
    const std::string_view l = lines[n];
    const size_t first = l.find_first_not_of(" \t");
    if (first != std::string_view::npos && l[first] == '[' &&
        l.find(']') != std::string_view::npos) {
      close_section(n - 1);
      const std::string name(l.substr(first, l.find(']') - first + 1));
      sections.push_back({{"name", windows1252_to_utf8(name)},
                          {"kind", symbol_namespace},
                          {"range", range_json(whole_line(n))},
                          {"selectionRange", range_json(whole_line(n))},
                          {"children", json::array()}});
    }
    for (; next_record < a.records.size() &&
           a.records[next_record].key_at().line - 1 <= n;
         ++next_record) {
      const record_as_read& r = a.records[next_record];
      if (r.key_at().line - 1 != n || sections.empty()) continue;
      std::string name, detail;
      const int kind = outline_entry(rail, r, name, detail, tr);
      if (kind == 0) continue;
      json symbol = {{"name", name},
                     {"kind", kind},
                     {"range", range_json(whole_line(n))},
                     {"selectionRange", range_json(range_of(r.key_at()))}};
      if (!detail.empty()) symbol["detail"] = detail;
      sections.back()["children"].push_back(std::move(symbol));
    }
  }
  close_section(count - 1);
  return sections;
}

}  // namespace scenario::editing
