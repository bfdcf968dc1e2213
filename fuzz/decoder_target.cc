// The decoder of the three binary files under any bytes: it reports damage
// as status 65 with a message that names the file, and whatever it accepts
// is exactly what the writers write for the model it decoded.

#include <string>

#include "decoding/decoder.h"
#include "fuzz/targets.h"
#include "fuzz/written_files.h"
#include "shell/run.h"

namespace scenario::fuzz {
namespace {

constexpr char entries_file[] = "E.sim";
constexpr char cells_file[] = "C.dat";
constexpr char plan_file[] = "P_linea.dat";

// Damage is status 65 and a message that starts with the file's name.
std::string check_refusal(const decode_result& r, std::string_view file) {
  if (r.status != decode_damaged) {
    return std::string(file) + " refused with status " +
           std::to_string(r.status);
  }
  if (r.message.rfind(std::string(file) + ": ", 0) != 0) {
    return std::string(file) + " refused with the message \"" + r.message +
           "\"";
  }
  return {};
}

std::string check_rewritten(std::string_view what, std::string_view read,
                            const std::string& written) {
  if (read == written) return {};
  size_t at = 0;
  while (at < read.size() && at < written.size() && read[at] == written[at]) {
    ++at;
  }
  return std::string(what) + " accepted by the decoder is written back as " +
         "other bytes: " + std::to_string(read.size()) + " bytes read, " +
         std::to_string(written.size()) + " written, first difference at " +
         std::to_string(at);
}

}  // namespace

std::vector<std::string_view> split_files(std::string_view input) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = input.find(file_separator);
    if (at == std::string_view::npos) break;
    parts.push_back(input.substr(0, at));
    input.remove_prefix(at + file_separator.size());
  }
  parts.push_back(input);
  return parts;
}

std::string decoder_target(std::string_view input) {
  const std::vector<std::string_view> files = split_files(input);
  scenario_model m;
  m.percorso = build_percorso;
  m.treno = build_treno;

  decode_result r =
      decode_entries(files[0], entries_file, m.voci, translator());
  if (!r.ok()) return check_refusal(r, entries_file);
  if (files.size() < 2) return {};
  r = decode_cells(files[1], cells_file, m.voci, m.celle, translator());
  if (!r.ok()) return check_refusal(r, cells_file);
  if (files.size() > 2) {
    r = decode_plan(files[2], plan_file, extended_length(m.voci), m.tracciato,
                    translator());
    if (!r.ok()) return check_refusal(r, plan_file);
    m.con_tracciato = 1;
  }

  std::string why;
  const std::optional<written_files> written = write_and_read(m, &why);
  if (!written) return "the decoded model cannot be written: " + why;
  for (const std::string& broken :
       {check_rewritten("an entry table", files[0], written->entries),
        check_rewritten("a cell array", files[1], written->cells),
        files.size() > 2
            ? check_rewritten("a plan", files[2], written->plan.value_or(""))
            : std::string()}) {
    if (!broken.empty()) return broken;
  }
  return {};
}

}  // namespace scenario::fuzz
