#include "editing/features.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "decoding/readout.h"
#include "editing/record_help.h"
#include "model/kilometres.h"
#include "model/model.h"
#include "model/text_8bit.h"
#include "railway/rules.h"

namespace scenario::editing {
namespace {

// Symbol kinds and severities of the protocol.
constexpr int symbol_namespace = 3;
constexpr int symbol_class = 5;
constexpr int symbol_field = 8;
constexpr int symbol_constant = 14;
constexpr int symbol_struct = 23;
constexpr int completion_keyword = 14;
constexpr int completion_snippet = 15;
constexpr int insert_as_plain_text = 1;
constexpr int insert_as_snippet = 2;

json position_json(text_position p) {
  return {{"line", p.line}, {"character", p.character}};
}

json range_json(const text_range& r) {
  return {{"start", position_json(r.start)}, {"end", position_json(r.end)}};
}

text_range range_of(const field_place& f) {
  const int line = std::max(f.line - 1, 0);
  const int col = std::max(f.column - 1, 0);
  return {{line, col}, {line, col + std::max(f.length, 0)}};
}

bool covers(const field_place& f, text_position p) {
  if (f.line - 1 != p.line) return false;
  const int from = f.column - 1;
  return p.character >= from && p.character <= from + f.length;
}

// The whole of a record's line, end of line excluded.
text_range line_range(const analysis& a, int line0) {
  return {{line0, 0},
          {line0, static_cast<int>(line_text(a.text, line0).size())}};
}

std::string utf8(std::string_view bytes) { return windows1252_to_utf8(bytes); }

// The cell a position falls in, as the compiler stamps it: an object's or
// a layer's.
int64_t cell_of(record_kind k, int64_t p) {
  switch (k) {
    case record_kind::signal:
    case record_kind::station:
    case record_kind::slowdown:
    case record_kind::speed_board:
    case record_kind::direction_board:
      return railway::object_cell(p);
    default:
      return railway::layer_cell(p);
  }
}

const record_as_read* record_at(const analysis& a, text_position p,
                                int* field) {
  for (const record_as_read& r : a.records) {
    if (covers(r.key_at, p)) {
      *field = -1;
      return &r;
    }
    for (size_t i = 0; i < r.number_at.size(); ++i) {
      if (covers(r.number_at[i], p)) {
        *field = static_cast<int>(i);
        return &r;
      }
    }
    if (!r.text.empty() || r.text_at.line > 0) {
      if (covers(r.text_at, p)) {
        *field = static_cast<int>(r.numbers.size());
        return &r;
      }
    }
  }
  return nullptr;
}

// A board whose text gives a tunnel name, by the railway's rule.
bool is_tunnel_board(const record_as_read& r) {
  return r.kind == record_kind::direction_board &&
         !railway::tunnel_name_of_board(r.text).empty();
}

std::vector<const record_as_read*> accepted_of(const analysis& a,
                                               record_kind k) {
  std::vector<const record_as_read*> list;
  for (const record_as_read& r : a.records) {
    if (r.kind == k && r.accepted) list.push_back(&r);
  }
  return list;
}

std::vector<int64_t> entrances_of(
    const std::vector<const record_as_read*>& tunnels) {
  std::vector<int64_t> entrances;
  for (const record_as_read* t : tunnels) entrances.push_back(t->number(0));
  return entrances;
}

// The tunnel a board reaches, by the railway's rule.
const record_as_read* tunnel_after(const analysis& a,
                                   const record_as_read& board) {
  const auto tunnels = accepted_of(a, record_kind::tunnel);
  const int t =
      railway::tunnel_reached_by_board(board.number(0), entrances_of(tunnels));
  return t < 0 ? nullptr : tunnels[static_cast<size_t>(t)];
}

// The board that names a tunnel, by the railway's rule, or null.
const record_as_read* naming_board(const analysis& a,
                                   const record_as_read& tunnel) {
  const auto tunnels = accepted_of(a, record_kind::tunnel);
  std::vector<const record_as_read*> boards;
  std::vector<int64_t> positions;
  for (const record_as_read* b : accepted_of(a, record_kind::direction_board)) {
    if (railway::tunnel_name_of_board(b->text).empty()) continue;
    boards.push_back(b);
    positions.push_back(b->number(0));
  }
  const std::vector<int> named =
      railway::naming_boards(positions, entrances_of(tunnels));
  for (size_t t = 0; t < tunnels.size(); ++t) {
    if (tunnels[t] == &tunnel && named[t] >= 0) {
      return boards[static_cast<size_t>(named[t])];
    }
  }
  return nullptr;
}

// Whether a station record is a stop, by the railway's rule over the
// stations of its description in record order.
bool is_stop(const analysis& a, const record_as_read& station) {
  std::vector<railway::station_timing> timings;
  size_t index = 0;
  bool found = false;
  for (const record_as_read& r : a.records) {
    if (r.kind != record_kind::station || (!r.accepted && &r != &station)) {
      continue;
    }
    if (&r == &station) {
      index = timings.size();
      found = true;
    }
    const int64_t time = (r.number(13) * 60 + r.number(14)) * 60 + r.number(15);
    timings.push_back({time, r.number(12)});
  }
  return found && railway::station_stops(timings)[index];
}

std::string describe_object(const analysis& a, const record_as_read& r,
                            const translator& tr) {
  const int64_t p = r.number(0);
  std::string s;
  switch (r.kind) {
    case record_kind::station: {
      const int64_t time =
          (r.number(13) * 60 + r.number(14)) * 60 + r.number(15);
      s = tr.format(
          "**station %s** at %s (cell %d)\n\ntype %d, %d m long, "
          "time %s, %s",
          utf8(r.text), format_km(p), cell_of(r.kind, p), r.number(1),
          r.number(2), time > 0 ? format_time(time) : "-",
          is_stop(a, r) ? tr("the train stops") : tr("passed"));
      break;
    }
    case record_kind::signal:
      s = tr.format(
          "**signal** at %s (cell %d)\n\nleft: kind %d, values %d %d %d; "
          "rapp %d; right: kind %d, values %d %d %d; tempo %d",
          format_km(p), cell_of(r.kind, p), r.number(1), r.number(2),
          r.number(3), r.number(4), r.number(5), r.number(6), r.number(7),
          r.number(8), r.number(9), r.number(10));
      break;
    case record_kind::speed_board:
      s = tr.format(
          "**speed board** at %s (cell %d)\n\nleft: %d/%d/%d km/h, stripes "
          "%d; right: %d/%d/%d km/h, stripes %d",
          format_km(p), cell_of(r.kind, p), r.number(1), r.number(2),
          r.number(3), r.number(4), r.number(5), r.number(6), r.number(7),
          r.number(8));
      break;
    case record_kind::tunnel: {
      const int64_t kind = r.number(2);
      s = tr.format("**tunnel** %s to %s, %d m, kind %d", format_km(p),
                    format_km(r.number(1)), r.number(1) - p,
                    kind > 10 ? kind - 10 : kind) +
          (kind > 10 ? tr(" with tunnel markers") : "");
      if (const record_as_read* b = naming_board(a, r)) {
        s += "\n\n" + tr.format("named %s",
                                utf8(railway::tunnel_name_of_board(b->text)));
      }
      break;
    }
    default:
      break;
  }
  return s;
}

std::string describe_value(const record_as_read& r, const field_help& f,
                           int64_t v, const translator& tr) {
  std::string s = std::to_string(v);
  if (!f.unit.empty()) s += " " + std::string(f.unit);
  if (f.is_position) {
    s += tr.format(" · %s · cell %d", format_km(v), cell_of(r.kind, v));
  }
  return s;
}

json markdown(std::string text) {
  return {{"contents", {{"kind", "markdown"}, {"value", std::move(text)}}}};
}

// The key of a line and where it ends: the text before its first comma.
std::string_view key_of_line(std::string_view line) {
  const size_t comma = line.find(',');
  return line.substr(0, comma == std::string_view::npos ? line.size() : comma);
}

// The section a line is in: the last "[...]" head above it.
std::string section_above(std::string_view text, int line0) {
  for (int n = line0; n >= 0; --n) {
    std::string_view l = line_text(text, n);
    while (!l.empty() && (l.front() == ' ' || l.front() == '\t')) {
      l.remove_prefix(1);
    }
    if (!l.empty() && l.front() == '[') {
      const size_t close = l.find(']');
      std::string s(
          l.substr(0, close == std::string_view::npos ? l.size() : close + 1));
      for (char& c : s) c = static_cast<char>(std::tolower(c));
      return s;
    }
  }
  return {};
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

json text_edit(const text_range& r, std::string text) {
  return {{"range", range_json(r)}, {"newText", std::move(text)}};
}

// The columns [first, second) of the length a tunnel board states in its
// text field `at` of `line`: from the first digit after the "m." that the
// warning reads through the rest of that word, so that a mistyped length
// ("m.5x0") is replaced whole and the blanks and brackets around it stay.
std::optional<std::pair<int, int>> stated_length_span(std::string_view line,
                                                      const field_place& at) {
  const size_t from = static_cast<size_t>(std::max(at.column - 1, 0));
  const size_t to =
      at.length > 0 ? std::min(line.size(), from + at.length) : line.size();
  const auto word_end = [&](size_t i) {
    while (i < to && line[i] != ' ' && line[i] != '\t' && line[i] != ')' &&
           line[i] != '(' && line[i] != ',') {
      ++i;
    }
    return i;
  };
  for (size_t m = from; m + 1 < to; ++m) {
    if ((line[m] != 'm' && line[m] != 'M') || line[m + 1] != '.') continue;
    size_t digit = m + 2;
    while (digit < to && line[digit] == ' ') ++digit;
    if (digit < to && std::isdigit(static_cast<unsigned char>(line[digit]))) {
      return std::pair{static_cast<int>(digit),
                       static_cast<int>(word_end(digit))};
    }
  }
  return std::nullopt;
}

// The fix of one warning, or null when none is unambiguous.
json fix_for(const analysis& a, const finding& f, const std::string& uri,
             const translator& tr) {
  const auto at_place = [&](const field_place& place) {
    return place.line == f.at.line && place.column == f.at.column;
  };
  std::string title;
  json edits = json::array();
  for (const record_as_read& r : a.records) {
    if (f.warning == "tunnel-board" && r.kind == record_kind::direction_board &&
        at_place(r.text_at)) {
      const record_as_read* t = tunnel_after(a, r);
      if (t == nullptr) return nullptr;
      const std::optional<std::pair<int, int>> span =
          stated_length_span(line_text(a.text, r.text_at.line - 1), r.text_at);
      if (!span) return nullptr;
      const std::string length = std::to_string(t->number(1) - t->number(0));
      title = tr.format("State the tunnel's length: m.%s", length);
      const int l0 = r.text_at.line - 1;
      edits.push_back(
          text_edit({{l0, span->first}, {l0, span->second}}, length));
      break;
    }
    if (f.warning == "duplicate-record" && at_place(r.key_at)) {
      const int l0 = r.key_at.line - 1;
      title = tr("Remove the repeated record");
      edits.push_back(text_edit({{l0, 0}, {l0 + 1, 0}}, ""));
      break;
    }
    if (f.warning == "beyond-line" && at_place(r.place(0)) && a.line_length_m) {
      const int64_t length = *a.line_length_m;
      const int64_t start = r.number(0);
      const auto set = [&](size_t i, int64_t v) {
        edits.push_back(text_edit(range_of(r.place(i)), std::to_string(v)));
      };
      const bool point = r.kind != record_kind::curve &&
                         r.kind != record_kind::tunnel &&
                         r.kind != record_kind::slowdown;
      if (start < 0 && point) {
        set(0, 0);
      } else if (start < 0 && r.kind == record_kind::tunnel &&
                 r.number(1) > 0) {
        set(0, 0);
      } else if (start > length && point) {
        set(0, length - length % cell_length_m);
      } else if (start <= length && r.kind == record_kind::tunnel) {
        set(1, length);
      } else if (start <= length && r.kind == record_kind::curve) {
        set(1, length - start);
      } else {
        return nullptr;
      }
      title = tr("Move the record back inside the line");
      break;
    }
  }
  if (edits.empty()) return nullptr;
  return {{"title", title},
          {"kind", "quickfix"},
          {"edit", {{"changes", {{uri, edits}}}}}};
}

}  // namespace

std::string_view line_text(std::string_view text, int n) {
  size_t i = 0;
  for (int line = 0; line < n; ++line) {
    const size_t e = text.find_first_of("\r\n", i);
    if (e == std::string_view::npos) return {};
    i = e +
        (text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n' ? 2 : 1);
  }
  const size_t e = text.find_first_of("\r\n", i);
  return text.substr(i, e == std::string_view::npos ? text.size() - i : e - i);
}

json diagnostics_json(const analysis& a,
                      const std::vector<unencodable_char>& unencodable,
                      std::string_view utf8_text, const translator& tr,
                      size_t limit) {
  const auto finding_json = [](const finding& f) {
    text_range r;
    if (f.at.line > 0) {
      r = range_of({f.at.line, f.at.column, std::max(f.at.length, 1), 0});
    }
    json d = {{"range", range_json(r)},
              {"severity", f.is_error ? 1 : 2},
              {"source", "scenario"},
              {"message", utf8(f.message)}};
    if (f.warning.empty()) {
      d["code"] = f.code;
    } else {
      d["code"] = f.warning;
    }
    return d;
  };
  // Errors come first, then the characters the file cannot hold, then the
  // warnings, as many as `limit` lets through; one more diagnostic counts
  // the rest.
  json out = json::array();
  size_t hidden_errors = 0;
  size_t hidden_warnings = 0;
  for (const bool errors : {true, false}) {
    for (const finding& f : a.findings) {
      if (f.is_error != errors) continue;
      if (out.size() < limit) {
        out.push_back(finding_json(f));
      } else {
        ++(errors ? hidden_errors : hidden_warnings);
      }
    }
    if (!errors) break;
    // Each position counts from the last, so that many of them cost one
    // pass over the text.
    size_t from = 0;
    text_position at;
    for (const unencodable_char& u : unencodable) {
      if (out.size() >= limit) {
        ++hidden_errors;
        continue;
      }
      const text_position step =
          position_of(utf8_text.substr(from), u.offset - from);
      at = step.line == 0
               ? text_position{at.line, at.character + step.character}
               : text_position{at.line + step.line, step.character};
      from = u.offset;
      const text_position to{at.line,
                             at.character + (u.code_point >= 0x10000 ? 2 : 1)};
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X",
                    static_cast<unsigned>(u.code_point));
      out.push_back(
          {{"range", range_json({at, to})},
           {"severity", 1},
           {"source", "scenario"},
           {"code", "encoding"},
           {"message",
            u.code_point == 0xFFFD
                ? tr.format("%s stands for bytes that are no UTF-8", code)
                : tr.format("%s has no Windows-1252 byte: the description "
                            "cannot hold it",
                            code)}});
    }
  }
  if (hidden_errors + hidden_warnings > 0) {
    const size_t n = hidden_errors + hidden_warnings;
    out.push_back({{"range", range_json({})},
                   {"severity", hidden_errors > 0 ? 1 : 2},
                   {"source", "scenario"},
                   {"code", "more-problems"},
                   {"message", tr.format_plural(
                                   "%d more problem not shown (%d errors, %d "
                                   "warnings): `scenario check` lists them all",
                                   "%d more problems not shown (%d errors, %d "
                                   "warnings): `scenario check` lists them all",
                                   n, n, hidden_errors, hidden_warnings)}});
  }
  return out;
}

json hover_at(const analysis& a, text_position p, const translator& tr) {
  int field = 0;
  const record_as_read* r = record_at(a, p, &field);
  if (r == nullptr) return hover_by_text(a, p, tr);
  const record_help* h = help_for_key(r->key, a.in);
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
  if (field < static_cast<int>(r->numbers.size())) {
    s += describe_value(*r, f, r->numbers[field], tr);
  } else {
    s += "\"" + utf8(r->text) + "\"";
  }
  if (!r->accepted) {
    s += "\n\n" + std::string(tr("(the compiler refused this record)"));
  }
  return markdown(s);
}

json completion_at(const analysis& a, text_position p, bool snippets,
                   const translator& tr) {
  json items = json::array();
  // A key stands first on its line: once a comma is typed the cursor is in
  // a field, and a dash comment or a section head takes no key either.
  const std::string_view line = line_text(a.text, p.line);
  const std::string_view before =
      line.substr(0, std::min<size_t>(std::max(p.character, 0), line.size()));
  const size_t first = before.find_first_not_of(" \t");
  const bool key_place = before.find(',') == std::string_view::npos &&
                         (first == std::string_view::npos ||
                          (before[first] != '-' && before[first] != '['));
  if (!key_place) return {{"isIncomplete", false}, {"items", items}};
  const std::string section = section_above(a.text, p.line);
  for (const record_help* h : keys_for_section(section, a.in)) {
    json item = {{"label", std::string(h->key)},
                 {"detail", tr(h->meaning.data())},
                 {"documentation", tr.format("fields: %s", field_list(*h))}};
    if (snippets) {
      item["kind"] = completion_snippet;
      item["insertText"] = snippet(*h);
      item["insertTextFormat"] = insert_as_snippet;
    } else {
      item["kind"] = completion_keyword;
      item["insertText"] = std::string(h->key) + ", ";
      item["insertTextFormat"] = insert_as_plain_text;
    }
    items.push_back(std::move(item));
  }
  return {{"isIncomplete", false}, {"items", items}};
}

// The outline's name, detail (a station's stop or pass, a tunnel's name)
// and symbol kind of a record; 0 for a record the outline leaves out.
int outline_entry(const analysis& a, const record_as_read& r, std::string& name,
                  std::string& detail, const translator& tr) {
  const int64_t p = r.number(0);
  int kind = 0;
  switch (r.kind) {
    case record_kind::station:
      name = utf8(r.text) + " " + format_km(p);
      detail = is_stop(a, r) ? tr("stop") : tr("pass");
      kind = symbol_class;
      break;
    case record_kind::tunnel:
      name = tr.format("tunnel %s to %s", format_km(p), format_km(r.number(1)));
      if (const record_as_read* b = naming_board(a, r)) {
        detail = utf8(railway::tunnel_name_of_board(b->text));
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
      name = tr.format("board %s %s", format_km(p), utf8(r.text));
      kind = symbol_field;
      break;
    default:
      return 0;
  }
  return kind;
}

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
  size_t next_record = 0;
  const int count = static_cast<int>(lines.size());
  for (int n = 0; n < count; ++n) {
    const std::string_view l = lines[n];
    const size_t first = l.find_first_not_of(" \t");
    if (first != std::string_view::npos && l[first] == '[' &&
        l.find(']') != std::string_view::npos) {
      close_section(n - 1);
      const std::string name(l.substr(first, l.find(']') - first + 1));
      sections.push_back({{"name", utf8(name)},
                          {"kind", symbol_namespace},
                          {"range", range_json(whole_line(n))},
                          {"selectionRange", range_json(whole_line(n))},
                          {"children", json::array()}});
    }
    for (; next_record < a.records.size() &&
           a.records[next_record].key_at.line - 1 <= n;
         ++next_record) {
      const record_as_read& r = a.records[next_record];
      if (r.key_at.line - 1 != n || sections.empty()) continue;
      std::string name, detail;
      const int kind = outline_entry(a, r, name, detail, tr);
      if (kind == 0) continue;
      json symbol = {{"name", name},
                     {"kind", kind},
                     {"range", range_json(whole_line(n))},
                     {"selectionRange", range_json(range_of(r.key_at))}};
      if (!detail.empty()) symbol["detail"] = detail;
      sections.back()["children"].push_back(std::move(symbol));
    }
  }
  close_section(count - 1);
  return sections;
}

json code_actions(const analysis& a, const std::string& uri, text_range r,
                  const translator& tr) {
  json out = json::array();
  for (const finding& f : a.findings) {
    if (f.warning.empty() || f.at.line == 0) continue;
    const int line0 = f.at.line - 1;
    if (line0 < r.start.line || line0 > r.end.line) continue;
    json action = fix_for(a, f, uri, tr);
    if (action.is_null()) continue;
    json d = diagnostics_json({a.in, {}, {}, {f}, {}}, {}, {}, tr);
    action["diagnostics"] = d;
    out.push_back(std::move(action));
  }
  return out;
}

std::vector<text_range> definition_at(const analysis& a, text_position p) {
  std::vector<text_range> out;
  int field = 0;
  const record_as_read* r = record_at(a, p, &field);
  if (r == nullptr) return out;
  if (is_tunnel_board(*r)) {
    if (const record_as_read* t = tunnel_after(a, *r)) {
      out.push_back(line_range(a, t->key_at.line - 1));
    }
  } else if (r->kind == record_kind::tunnel) {
    if (const record_as_read* b = naming_board(a, *r)) {
      out.push_back(line_range(a, b->key_at.line - 1));
    }
  }
  return out;
}

}  // namespace scenario::editing
