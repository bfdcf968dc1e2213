#include "decoding/object_diff.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>

#include "decoding/object_records.h"
#include "model/kilometres.h"
#include "model/text_8bit.h"

namespace scenario {
namespace {

constexpr std::string_view arrow = " \u2192 ";  // old → new

std::string num(int64_t v) { return std::to_string(v); }

// ---------------------------------------------------------------- pairing

struct pairing {
  std::vector<std::pair<size_t, size_t>> pairs;  // index in a, index in b
  std::vector<size_t> removed;
  std::vector<size_t> added;
};

class matcher {
 public:
  matcher(const kind_records& k, int64_t reach)
      : k_(k), reach_(reach), used_a_(k.a.size()), used_b_(k.b.size()) {
    for (size_t j = 0; j < k.b.size(); ++j) by_position_.emplace(k.b[j].at, j);
  }

  pairing run() {
    // Equal objects at the same place are the same object.
    pair_where(
        [](const object_record& x, const object_record& y) {
          return x.at == y.at && x.same_fields(y);
        },
        0);
    if (k_.match_names) pair_by_name();
    if (k_.how != object_style::layer) {
      pair_where([](const object_record& x,
                    const object_record& y) { return x.at == y.at; },
                 0);
    }
    pair_where([](const object_record& x,
                  const object_record& y) { return x.same_fields(y); },
               reach_);
    if (k_.how == object_style::layer) {
      // A stretch whose value changed where it starts.
      pair_where([](const object_record& x,
                    const object_record& y) { return x.at == y.at; },
                 0);
    } else {
      // A point the post-processing placed is not one the author wrote.
      pair_where(
          [](const object_record& x, const object_record& y) {
            return x.placed_by_post_processing == y.placed_by_post_processing;
          },
          reach_);
    }
    for (size_t i = 0; i < k_.a.size(); ++i) {
      if (!used_a_[i]) result_.removed.push_back(i);
    }
    for (size_t j = 0; j < k_.b.size(); ++j) {
      if (!used_b_[j]) result_.added.push_back(j);
    }
    return std::move(result_);
  }

 private:
  void take(size_t i, size_t j) {
    used_a_[i] = used_b_[j] = true;
    result_.pairs.emplace_back(i, j);
  }

  // The free pairs within `reach` that `fits` accepts, nearest first.
  template <typename F>
  void pair_where(F fits, int64_t reach) {
    struct candidate {
      int64_t distance;
      size_t i, j;
    };
    std::vector<candidate> candidates;
    for (size_t i = 0; i < k_.a.size(); ++i) {
      if (used_a_[i]) continue;
      const object_record& x = k_.a[i];
      for (auto it = by_position_.lower_bound(x.at - reach);
           it != by_position_.end() && it->first <= x.at + reach; ++it) {
        if (!used_b_[it->second] && fits(x, k_.b[it->second])) {
          candidates.push_back({std::abs(it->first - x.at), i, it->second});
        }
      }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const candidate& x, const candidate& y) {
                       return x.distance < y.distance;
                     });
    for (const candidate& c : candidates) {
      if (!used_a_[c.i] && !used_b_[c.j]) take(c.i, c.j);
    }
  }

  void pair_by_name() {
    for (size_t i = 0; i < k_.a.size(); ++i) {
      if (used_a_[i] || k_.a[i].name.empty()) continue;
      std::optional<size_t> best;
      for (size_t j = 0; j < k_.b.size(); ++j) {
        if (used_b_[j] || k_.b[j].name != k_.a[i].name) continue;
        if (!best || std::abs(k_.b[j].at - k_.a[i].at) <
                         std::abs(k_.b[*best].at - k_.a[i].at)) {
          best = j;
        }
      }
      if (best) take(i, *best);
    }
  }

  const kind_records& k_;
  int64_t reach_;
  std::vector<bool> used_a_;
  std::vector<bool> used_b_;
  std::multimap<int64_t, size_t> by_position_;
  pairing result_;
};

// ---------------------------------------------------------------- lines

// A field's name as a person reads it.
std::string field_label(const object_field_change& f, const translator& tr) {
  return tr.context("field", f.field.c_str());
}

std::string changes_text(const std::vector<object_field_change>& fields,
                         const translator& tr) {
  std::string out;
  for (const object_field_change& f : fields) {
    if (!out.empty()) out += ", ";
    out += field_label(f, tr) + " " + f.from.value_or("") + std::string(arrow) +
           f.to.value_or("");
  }
  return out;
}

// The fields of an added or removed object, those that hold 0 left out.
std::string description_text(const std::vector<object_field_change>& fields,
                             bool named, const translator& tr) {
  std::string out;
  for (const object_field_change& f : fields) {
    const std::string& v = f.from ? *f.from : *f.to;
    if (v == "0" || (named && f.field == "name")) continue;
    if (!out.empty()) out += ", ";
    out += field_label(f, tr) + " " + v;
  }
  return out;
}

// A kind of object as a person reads it.
std::string kind_label(const std::string& kind, const translator& tr) {
  return tr.context("object", kind.c_str());
}

std::string subject(const object_change& c, const translator& tr) {
  const std::string kind = kind_label(c.kind, tr);
  return c.name.empty() ? kind : kind + " " + c.name;
}

std::string object_line(const object_change& c, const translator& tr) {
  using what = object_change::what;
  const std::string who = subject(c, tr);
  switch (c.change) {
    case what::added:
    case what::removed: {
      const bool added = c.change == what::added;
      std::string line =
          added ? tr.format("%s added at %s", who, format_km(*c.to_m))
                : tr.format("%s removed at %s", who, format_km(*c.from_m));
      const std::string fields =
          description_text(c.fields, !c.name.empty(), tr);
      return fields.empty() ? line : line + " (" + fields + ")";
    }
    case what::moved: {
      std::string line = tr.format("%s moved %s \u2192 %s", who,
                                   format_km(*c.from_m), format_km(*c.to_m));
      return c.fields.empty() ? line : line + ": " + changes_text(c.fields, tr);
    }
    case what::changed:
      return tr.format("%s at %s: %s", who, format_km(*c.from_m),
                       changes_text(c.fields, tr));
  }
  return who;
}

std::string layer_line(const object_change& c, const object_record* ra,
                       const object_record* rb, const translator& tr) {
  using what = object_change::what;
  const std::string kind = kind_label(c.kind, tr);
  switch (c.change) {
    case what::moved:
      return tr.format("%s %s now starts at %s, was %s", kind,
                       ra->fields[0].second, format_km(rb->at),
                       format_km(ra->at));
    case what::changed:
      return tr.format("%s from %s now %s, was %s", kind, format_km(ra->at),
                       rb->fields[0].second, ra->fields[0].second);
    case what::added:
      return tr.format("%s %s added from %s to %s", kind, rb->fields[0].second,
                       format_km(rb->at), format_km(rb->end));
    case what::removed:
      return tr.format("%s %s from %s to %s removed", kind,
                       ra->fields[0].second, format_km(ra->at),
                       format_km(ra->end));
  }
  return kind;
}

std::vector<object_field_change> field_changes(const object_record* ra,
                                               const object_record* rb) {
  // The two may hold different fields (a tunnel has a name only when a
  // board gives one): a field one of them lacks is absent there.
  std::vector<object_field_change> out;
  const size_t count_a = ra != nullptr ? ra->fields.size() : 0;
  const size_t count_b = rb != nullptr ? rb->fields.size() : 0;
  for (size_t f = 0; f < std::max(count_a, count_b); ++f) {
    object_field_change c;
    c.field = f < count_a ? ra->fields[f].first : rb->fields[f].first;
    if (f < count_a) c.from = ra->fields[f].second;
    if (f < count_b) c.to = rb->fields[f].second;
    if (ra != nullptr && rb != nullptr && c.from == c.to) continue;
    out.push_back(std::move(c));
  }
  return out;
}

object_change make_change(const kind_records& k, const object_record* ra,
                          const object_record* rb, const translator& tr) {
  using what = object_change::what;
  object_change c;
  c.kind = k.kind;
  c.name = ra != nullptr ? ra->name : rb->name;
  if (k.how != object_style::general) {
    if (ra != nullptr) c.from_m = ra->at;
    if (rb != nullptr) c.to_m = rb->at;
  }
  c.change = ra == nullptr      ? what::added
             : rb == nullptr    ? what::removed
             : ra->at != rb->at ? what::moved
                                : what::changed;
  c.fields = field_changes(ra, rb);
  switch (k.how) {
    case object_style::general:
      c.text = kind_label(k.kind, tr) + " " + *c.fields[0].from +
               std::string(arrow) + *c.fields[0].to;
      break;
    case object_style::layer:
      c.text = layer_line(c, ra, rb, tr);
      break;
    case object_style::object:
      c.text = object_line(c, tr);
      break;
  }
  return c;
}

void claim(const object_record& r, diff_mask& mask) {
  for (const cell_claim& c : r.cells) {
    for (int64_t i = std::max<int64_t>(0, c.first);
         i <= c.last && i < static_cast<int64_t>(mask.cells.size()); ++i) {
      mask.cells[i] |= c.fields;
    }
  }
  for (const auto& [entry, fields] : r.entries) mask.entries[entry] |= fields;
}

// A change with the records it was made of, until the speed points placed
// around changed slowdowns are folded into them.
struct pending_change {
  object_change change;
  const object_record* a = nullptr;
  const object_record* b = nullptr;
};

void diff_kind(const kind_records& k, const object_diff_options& options,
               std::vector<pending_change>& out, diff_mask& explained,
               const translator& tr) {
  const pairing p = matcher(k, options.move_reach_m).run();
  std::vector<pending_change> changes;
  const auto add = [&](const object_record* ra, const object_record* rb) {
    changes.push_back({make_change(k, ra, rb, tr), ra, rb});
  };
  for (const auto& [i, j] : p.pairs) {
    const object_record& ra = k.a[i];
    const object_record& rb = k.b[j];
    if (ra.at == rb.at && ra.same_fields(rb)) continue;
    add(&ra, &rb);
  }
  for (size_t i : p.removed) add(&k.a[i], nullptr);
  for (size_t j : p.added) add(nullptr, &k.b[j]);
  const auto at = [](const pending_change& x) {
    return x.change.from_m.value_or(x.change.to_m.value_or(0));
  };
  std::stable_sort(changes.begin(), changes.end(),
                   [&](const pending_change& x, const pending_change& y) {
                     return at(x) < at(y);
                   });
  for (pending_change& c : changes) out.push_back(std::move(c));
  // Any object that reads a cell or entry accounts for it: two equal
  // objects in different slots (a station's entry after one was inserted
  // before it) differ only in where they are kept.
  for (const object_record& r : k.a) claim(r, explained);
  for (const object_record& r : k.b) claim(r, explained);
}

// Whether `c` is a speed point that the post-processing placed around a
// slowdown that changed, on both sides: it moved with that slowdown.
bool follows_a_slowdown(
    const pending_change& c,
    const std::vector<std::pair<int64_t, int64_t>>& reaches) {
  const auto placed = [](const object_record* r) {
    return r == nullptr || r->placed_by_post_processing;
  };
  if (!placed(c.a) || !placed(c.b) || (c.a == nullptr && c.b == nullptr)) {
    return false;
  }
  const auto inside = [&](const object_record* r) {
    if (r == nullptr) return true;
    for (const auto& [from, to] : reaches) {
      if (r->at >= from && r->at <= to) return true;
    }
    return false;
  };
  return inside(c.a) && inside(c.b);
}

// ---------------------------------------------------------------- plan

// "3.2" for 3.2, "0.0006" below a tenth, so that a small difference shows.
std::string distance_text(double d) {
  char text[32];
  std::snprintf(text, sizeof text, d >= 0.1 || d == 0 ? "%.1f" : "%.1g", d);
  return text;
}

bool same_element(const tracciato_t& a, const tracciato_t& b, int64_t m,
                  int coord) {
  if (a.kind(m, coord) != b.kind(m, coord)) return false;
  if (a.kind(m, coord) == tracciato_t::genere::vuoto) return true;
  const double x = a.value(m, coord);
  const double y = b.value(m, coord);
  return std::memcmp(&x, &y, sizeof x) == 0;
}

void diff_plan(const scenario_model& a, const scenario_model& b,
               object_diff& out, const translator& tr) {
  const tracciato_t& pa = a.tracciato;
  const tracciato_t& pb = b.tracciato;
  out.explained.plan = true;
  const auto add = [&](object_change::what w, std::string text) {
    object_change c;
    c.change = w;
    c.kind = "plan";
    c.text = std::move(text);
    out.objects.push_back(std::move(c));
  };
  if (!pa.exists() || !pb.exists()) {
    if (pa.exists()) add(object_change::what::removed, tr("the plan is gone"));
    if (pb.exists()) add(object_change::what::added, tr("the plan is new"));
    return;
  }
  if (pa.size() != pb.size()) {
    add(object_change::what::changed,
        tr.format("the plan ends at %s, was %s", format_km(pb.size() - 1),
                  format_km(pa.size() - 1)));
  }
  // Differing metres separated by fewer equal metres than a cell form one
  // stretch; its distance is the largest between the two points of a metre.
  constexpr int64_t gap_m = cell_length_m;
  const int64_t common = std::min(pa.size(), pb.size());
  int64_t first = -1, last = -1, unmeasured = 0;
  double most = 0;
  const auto close = [&] {
    if (first < 0) return;
    std::string text =
        tr.format("the plan differs from %s to %s, at most %s m",
                  format_km(first), format_km(last), distance_text(most));
    if (unmeasured > 0) {
      text += tr.format_plural(
          "; empty on one side in %s metre", "; empty on one side in %s metres",
          static_cast<uint64_t>(unmeasured), num(unmeasured));
    }
    object_change c;
    c.change = object_change::what::changed;
    c.kind = "plan";
    c.from_m = first;
    c.to_m = last;
    c.text = std::move(text);
    out.objects.push_back(std::move(c));
    first = -1;
    most = 0;
    unmeasured = 0;
  };
  using genere = tracciato_t::genere;
  for (int64_t m = 0; m < common; ++m) {
    if (same_element(pa, pb, m, 0) && same_element(pa, pb, m, 1)) continue;
    if (first >= 0 && m - last > gap_m) close();
    if (first < 0) first = m;
    last = m;
    bool empty = false;
    for (int coord = 0; coord < 2; ++coord) {
      empty = empty || pa.kind(m, coord) == genere::vuoto ||
              pb.kind(m, coord) == genere::vuoto;
    }
    if (empty) {
      ++unmeasured;
      continue;
    }
    const double d = std::hypot(pa.value(m, 0) - pb.value(m, 0),
                                pa.value(m, 1) - pb.value(m, 1));
    if (d > most || std::isnan(d)) most = d;
  }
  close();
}

}  // namespace

const char* change_name(object_change::what w) {
  switch (w) {
    case object_change::what::added:
      return "added";
    case object_change::what::removed:
      return "removed";
    case object_change::what::moved:
      return "moved";
    case object_change::what::changed:
      return "changed";
  }
  return "changed";
}

object_diff diff_objects(const scenario_model& a, const scenario_model& b,
                         const object_diff_options& options,
                         const translator& tr) {
  object_diff out;
  out.explained.cells.assign(std::max(a.celle.size(), b.celle.size()), 0);
  // The line length decides how many cells there are.
  out.explained.cell_count = a.voci[voce_index::treno_generale].fine !=
                             b.voci[voce_index::treno_generale].fine;
  const std::vector<kind_records> kinds = read_object_records(a, b, tr);
  std::vector<pending_change> changes;
  for (const kind_records& k : kinds) {
    diff_kind(k, options, changes, out.explained, tr);
  }
  std::vector<std::pair<int64_t, int64_t>> reaches;
  for (const pending_change& c : changes) {
    for (const object_record* r : {c.a, c.b}) {
      if (r != nullptr && r->reach) reaches.push_back(*r->reach);
    }
  }
  for (pending_change& c : changes) {
    if (c.change.kind == "speed point" && follows_a_slowdown(c, reaches)) {
      continue;
    }
    out.objects.push_back(std::move(c.change));
  }
  diff_plan(a, b, out, tr);
  return out;
}

scenario_diff diff_in_objects(const scenario_model& a, const scenario_model& b,
                              const diff_options& options, bool all_cells,
                              const translator& tr) {
  object_diff objects = diff_objects(a, b, {}, tr);
  scenario_diff d;
  d.cells = diff_scenarios(a, b, options,
                           all_cells ? nullptr : &objects.explained, tr);
  if (!all_cells && d.cells.empty() && objects.objects.empty()) {
    d.cells = diff_scenarios(a, b, options, nullptr, tr);
  }
  d.objects = std::move(objects.objects);
  return d;
}

void write_diff_json(const scenario_diff& d, std::ostream& out) {
  nlohmann::ordered_json j;
  j["same"] = d.same();
  j["objects"] = nlohmann::ordered_json::array();
  for (const object_change& c : d.objects) {
    nlohmann::ordered_json o;
    o["kind"] = c.kind;
    o["change"] = change_name(c.change);
    o["name"] = c.name.empty() ? nlohmann::ordered_json()
                               : nlohmann::ordered_json(c.name);
    o["from_m"] = c.from_m ? nlohmann::ordered_json(*c.from_m) : nullptr;
    o["to_m"] = c.to_m ? nlohmann::ordered_json(*c.to_m) : nullptr;
    o["fields"] = nlohmann::ordered_json::array();
    for (const object_field_change& f : c.fields) {
      o["fields"].push_back(
          {{"field", f.field},
           {"old", f.from ? nlohmann::ordered_json(*f.from) : nullptr},
           {"new", f.to ? nlohmann::ordered_json(*f.to) : nullptr}});
    }
    o["text"] = c.text;
    j["objects"].push_back(std::move(o));
  }
  j["cells"] = d.cells;
  out << j.dump() << '\n';
}

}  // namespace scenario
