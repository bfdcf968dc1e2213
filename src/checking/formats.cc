#include "checking/formats.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "model/error_codes.h"
#include "model/file_uri.h"
#include "model/kilometres.h"
#include "model/text_8bit.h"
#include "pipeline/report.h"

namespace scenario {
namespace {

using nlohmann::json;

std::string error_rule_id(int code) { return "E" + std::to_string(code); }

std::string rule_id(const finding& f) {
  return f.warning.empty() ? error_rule_id(f.code) : std::string(f.warning);
}

std::string counts(const check_result& r, const translator& tr) {
  return tr.format_plural("%s error", "%s errors",
                          static_cast<uint64_t>(r.errors), r.errors) +
         ", " +
         tr.format_plural("%s warning", "%s warnings",
                          static_cast<uint64_t>(r.warnings), r.warnings);
}

}  // namespace

std::string format_text(const check_result& r, bool colour,
                        const translator& tr) {
  std::ostringstream s;
  write_text(s, r, colour, tr);
  return std::move(s).str();
}

void write_text(std::ostream& out, const check_result& r, bool colour,
                const translator& tr) {
  // Written in pieces of some size: standard error has no buffer of its own.
  std::string piece;
  // One message is filled in place for every finding, and the labels are
  // worded once: a file may hold hundreds of thousands of findings.
  located_message msg;
  const std::string error_label = tr("error");
  const std::string warning_label = tr("warning");
  int labelled_code = -1;
  std::string code_label;
  for (const finding& f : r.findings) {
    if (piece.size() >= 1 << 16) {
      out << piece;
      piece.clear();
    }
    msg.file.assign(f.file.view());
    msg.at.line = f.at.line;
    msg.at.column = f.at.column;
    msg.at.length = f.at.length;
    msg.at.text.assign(r.source_of(f));
    msg.is_error = f.is_error;
    if (!f.warning.empty()) {
      msg.label = f.is_error ? error_label : warning_label;
    } else {
      if (f.code != labelled_code) {
        code_label = tr.format("error %d", f.code);
        labelled_code = f.code;
      }
      msg.label = code_label;
    }
    msg.text = f.message(tr);
    if (f.position_m) {
      msg.text += position_note(static_cast<int32_t>(*f.position_m), tr);
    }
    if (!f.warning.empty()) {
      msg.text += f.is_error ? " [-Werror=" : " [-W";
      msg.text += f.warning;
      msg.text += ']';
    }
    append_message(piece, msg, colour);
  }
  out << piece << counts(r, tr) << '\n';
}

std::string format_json(const check_result& r, const translator& tr) {
  std::ostringstream s;
  write_json(s, r, tr);
  return std::move(s).str();
}

// As the whole document's dump(2) would lay it out, one finding at a time,
// so that many findings are never held as JSON at once.
void write_json(std::ostream& out, const check_result& r,
                const translator& tr) {
  out << "{\n  \"errors\": " << r.errors << ",\n  \"findings\": [";
  bool first = true;
  for (const finding& f : r.findings) {
    json j;
    j["severity"] = f.is_error ? "error" : "warning";
    j["code"] = f.warning.empty() ? json(f.code) : json(nullptr);
    j["warning"] =
        f.warning.empty() ? json(nullptr) : json(std::string(f.warning));
    j["message"] = windows1252_to_utf8(f.message(tr));
    j["file"] =
        f.file.empty() ? json(nullptr) : json(utf8_with_replacement(f.file));
    if (f.at.line > 0) {
      j["line"] = f.at.line;
      j["column"] = f.at.column;
      j["length"] = f.at.length;
      j["source"] = windows1252_to_utf8(r.source_of(f));
    } else {
      j["line"] = nullptr;
      j["column"] = nullptr;
      j["length"] = nullptr;
      j["source"] = nullptr;
    }
    if (f.position_m) {
      j["position_m"] = *f.position_m;
      j["position_km"] = format_km(*f.position_m);
    } else {
      j["position_m"] = nullptr;
      j["position_km"] = nullptr;
    }
    std::string text = j.dump(2);
    // Two levels deeper than a document of its own.
    for (size_t at = text.find('\n'); at != std::string::npos;
         at = text.find('\n', at + 1)) {
      text.insert(at + 1, "    ");
    }
    out << (first ? "\n    " : ",\n    ") << text;
    first = false;
  }
  out << (first ? "]" : "\n  ]") << ",\n  \"warnings\": " << r.warnings
      << "\n}\n";
}

std::string format_sarif(const check_result& r, const translator& tr) {
  json rules = json::array();
  std::map<std::string, size_t> rule_index;
  for (const error_code_info& info : all_error_codes()) {
    const int code = code_number(info.code);
    rule_index[error_rule_id(code)] = rules.size();
    rules.push_back({{"id", error_rule_id(code)},
                     {"shortDescription",
                      {{"text", std::string(error_meaning(code, tr)) + "."}}},
                     {"defaultConfiguration", {{"level", "error"}}}});
  }
  for (const warning_info& w : all_warnings()) {
    rule_index[std::string(w.name)] = rules.size();
    rules.push_back({{"id", std::string(w.name)},
                     {"shortDescription",
                      {{"text", std::string(tr(w.rationale.data())) + "."}}},
                     {"defaultConfiguration", {{"level", "warning"}}}});
  }

  json results = json::array();
  for (const finding& f : r.findings) {
    const std::string id = rule_id(f);
    json result = {{"ruleId", id},
                   {"ruleIndex", rule_index.at(id)},
                   {"level", f.is_error ? "error" : "warning"}};
    std::string text = f.message(tr);
    if (f.position_m) {
      text += position_note(static_cast<int32_t>(*f.position_m), tr);
      result["properties"] = {{"positionMetres", *f.position_m},
                              {"positionKilometres", format_km(*f.position_m)}};
    }
    result["message"] = {{"text", windows1252_to_utf8(text) + "."}};
    if (!f.file.empty()) {
      json physical = {
          {"artifactLocation", {{"uri", uri_of_path(f.file.str())}}}};
      if (f.at.line > 0) {
        json region = {
            {"startLine", f.at.line},
            {"snippet", {{"text", windows1252_to_utf8(r.source_of(f))}}}};
        if (f.at.column > 0) {
          region["startColumn"] = f.at.column;
          region["endColumn"] = f.at.column + std::max(f.at.length, 1);
        }
        physical["region"] = std::move(region);
      }
      result["locations"] = json::array({{{"physicalLocation", physical}}});
    }
    results.push_back(std::move(result));
  }

  json driver = {{"name", "scenario check"}, {"rules", std::move(rules)}};
  // Columns count bytes of the 8-bit source, one character each once
  // decoded, all below U+10000: code points and UTF-16 units alike.
  json run = {{"tool", {{"driver", std::move(driver)}}},
              {"columnKind", "unicodeCodePoints"},
              {"language", std::string(tr.language())},
              {"results", std::move(results)}};
  json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
              {"version", "2.1.0"},
              {"runs", json::array({std::move(run)})}};
  return log.dump(2) + "\n";
}

std::string format_warning_list(const translator& tr) {
  std::string s;
  for (const warning_info& w : all_warnings()) {
    std::string name(w.name);
    name.resize(std::max<size_t>(name.size() + 2, 24), ' ');
    s += "-W" + name + tr(w.rationale.data()) + "\n";
  }
  return s;
}

}  // namespace scenario
