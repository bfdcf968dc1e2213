#include "editing/server.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <future>
#include <system_error>

#include "editing/completion.h"
#include "editing/diagnostics.h"
#include "editing/formatter.h"
#include "editing/hover.h"
#include "editing/outline.h"
#include "editing/pair_check.h"
#include "editing/picture.h"
#include "editing/quick_fixes.h"
#include "editing/request_params.h"

namespace scenario::editing {
namespace {

using clock = std::chrono::steady_clock;

constexpr int sync_incremental = 2;

std::string id_key(const json& id) { return id.dump(); }

long long ms_since(clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() -
                                                               start)
      .count();
}

// The method a message names, or empty.
std::string method_of(const json& body) {
  if (!body.is_object() || !body.contains("method") ||
      !body["method"].is_string()) {
    return {};
  }
  return body["method"].get<std::string>();
}

}  // namespace

server::server(std::shared_ptr<std::istream> in, std::ostream& out,
               std::ostream& log, server_options options)
    : input_(std::make_shared<input_queue>()),
      out_(out),
      log_(log),
      options_(std::move(options)) {
  input_->in = std::move(in);
}

server::~server() {
  if (!reader_.joinable()) return;
  bool done = false;
  {
    std::lock_guard lock(input_->mutex);
    done = input_->done;
  }
  // A reader still waiting for input holds its own share of the queue.
  if (done) {
    reader_.join();
  } else {
    reader_.detach();
  }
}

void server::read_input(std::shared_ptr<input_queue> q) {
  message_reader reader(*q->in);
  for (;;) {
    read_message m = reader.next();
    const bool end = m.what == read_message::kind::end;
    const bool more = !end && reader.more_buffered();
    {
      std::lock_guard lock(q->mutex);
      q->messages.push_back(std::move(m));
      q->batch_open = more;
      if (end) q->done = true;
    }
    q->ready.notify_all();
    if (end) return;
  }
}

void server::inject(json message) {
  {
    std::lock_guard lock(input_->mutex);
    input_->messages.push_back(
        {read_message::kind::message, std::move(message), {}});
  }
  input_->ready.notify_all();
}

std::deque<read_message> server::take_batch(clock::time_point until) {
  std::unique_lock lock(input_->mutex);
  input_->ready.wait_until(lock, until,
                           [&] { return !input_->messages.empty(); });
  // The rest of what one read brought in comes at once; a client that
  // stops inside a message is not waited for long.
  if (!input_->messages.empty() && input_->batch_open) {
    input_->ready.wait_for(lock, std::chrono::milliseconds(20),
                           [&] { return !input_->batch_open; });
  }
  std::deque<read_message> batch;
  batch.swap(input_->messages);
  return batch;
}

int server::run() {
  reader_ = std::thread(read_input, input_);
  while (!exited_) {
    clock::time_point until = clock::now() + std::chrono::hours(24);
    for (const pending_check& p : pending_) until = std::min(until, p.due);
    std::deque<read_message> batch = take_batch(until);
    // A request cancelled before it is served is answered as cancelled.
    std::set<std::string> cancelled;
    for (const read_message& m : batch) {
      if (m.what == read_message::kind::message &&
          method_of(m.body) == "$/cancelRequest" && m.body.contains("params") &&
          m.body["params"].is_object() && m.body["params"].contains("id")) {
        cancelled.insert(id_key(m.body["params"]["id"]));
      }
    }
    for (const read_message& m : batch) {
      if (m.what == read_message::kind::end) {
        exited_ = true;
        break;
      }
      handle(m, cancelled);
      if (exited_) break;
    }
    if (!exited_) run_due_checks();
  }
  return shut_down_ ? 0 : 1;
}

void server::handle(const read_message& m,
                    const std::set<std::string>& cancelled) {
  if (m.what == read_message::kind::malformed) {
    log("malformed message: " + m.error);
    send(make_error(nullptr, parse_error, m.error));
    return;
  }
  const json& b = m.body;
  if (!b.is_object() || b.value("jsonrpc", json()) != "2.0") {
    const json id = b.is_object() && b.contains("id") ? b["id"] : json();
    send(make_error(id, invalid_request, "not a JSON-RPC 2.0 message"));
    return;
  }
  if (!b.contains("method")) return;  // an answer to no request of ours
  const bool is_request = b.contains("id");
  if (!b["method"].is_string() ||
      (is_request && !b["id"].is_number_integer() && !b["id"].is_string())) {
    send(make_error(is_request ? b["id"] : json(), invalid_request,
                    "a message needs a method name and a number or string id"));
    return;
  }
  const std::string method = b["method"];
  const json params = b.contains("params") ? b["params"] : json::object();
  if (!is_request) {
    try {
      handle_notification(method, params);
    } catch (const std::exception& e) {
      log(method + ": " + e.what());
    }
    return;
  }
  const json& id = b["id"];
  if (cancelled.count(id_key(id)) > 0) {
    send(make_error(id, request_cancelled, "cancelled"));
    return;
  }
  handle_request(id, method, params);
}

void server::handle_request(const json& id, const std::string& method,
                            const json& params) {
  if (shut_down_) {
    send(make_error(id, invalid_request, "the server is shut down"));
    return;
  }
  if (!initialized_ && method != "initialize") {
    send(make_error(id, server_not_initialized, "not initialized"));
    return;
  }
  if (initialized_ && method == "initialize") {
    send(make_error(id, invalid_request, "already initialized"));
    return;
  }
  try {
    json result;
    if (method == "initialize") {
      result = initialize(params);
    } else if (method == "shutdown") {
      shut_down_ = true;
    } else if (method == "textDocument/hover") {
      result = hover(params);
    } else if (method == "textDocument/completion") {
      result = completion(params);
    } else if (method == "textDocument/documentSymbol") {
      result = symbols(params);
    } else if (method == "textDocument/formatting") {
      result = formatting(params);
    } else if (method == "textDocument/codeAction") {
      result = code_action(params);
    } else if (method == "textDocument/definition") {
      result = definition(params);
    } else if (method == picture_method) {
      result = picture(params);
    } else {
      send(make_error(id, method_not_found, "no method " + method));
      return;
    }
    send(make_response(id, std::move(result)));
  } catch (const json::exception& e) {
    send(make_error(id, invalid_params, e.what()));
  } catch (const request_refused& r) {
    send(make_error(id, r.code, r.what()));
  }
}

void server::handle_notification(const std::string& method,
                                 const json& params) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ || shut_down_) return;
  if (method == "textDocument/didOpen") {
    did_open(params);
  } else if (method == "textDocument/didChange") {
    did_change(params);
  } else if (method == "textDocument/didClose") {
    did_close(params);
  } else if (method == "textDocument/didSave") {
    const std::string path = path_of_document(
        params.at("textDocument").at("uri").get<std::string>());
    if (!documents_.count(path)) schedule(path);
  } else if (method == "workspace/didChangeConfiguration") {
    configure(params.value("settings", json::object()));
  }
}

json server::initialize(const json& params) {
  initialized_ = true;
  std::string root;
  if (params.contains("rootUri") && params["rootUri"].is_string()) {
    root = path_of_uri(params["rootUri"].get<std::string>());
  } else if (params.contains("rootPath") && params["rootPath"].is_string()) {
    root = params["rootPath"];
  }
  // The language of the session's texts: the editor's, or English.
  tr_ = translator();
  if (params.contains("locale") && params["locale"].is_string()) {
    tr_ = translator::for_locale(params["locale"].get<std::string>());
  }
  snippet_support_ = false;
  if (const json* s =
          member_at(params, {"capabilities", "textDocument", "completion",
                             "completionItem", "snippetSupport"})) {
    snippet_support_ = s->is_boolean() && s->get<bool>();
  }
  pairs_ = pair_finder(path_of_utf8(root));
  if (!pairs_.problem().empty()) log(pairs_.problem());
  if (params.contains("initializationOptions")) {
    configure(params["initializationOptions"]);
  }
  return {
      {"capabilities",
       {{"textDocumentSync",
         {{"openClose", true}, {"change", sync_incremental}, {"save", true}}},
        {"hoverProvider", true},
        {"completionProvider", {{"triggerCharacters", json::array()}}},
        {"documentSymbolProvider", true},
        {"documentFormattingProvider", true},
        {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
        {"definitionProvider", true}}},
      {"serverInfo", {{"name", "scenario lsp"}}}};
}

// {"warnings": ["no-signal-spacing", "error"]}: the -W switches' values, at
// the top or under "scenario".
void server::configure(const json& settings) {
  const json* s = &settings;
  if (settings.is_object() && settings.contains("scenario")) {
    s = &settings["scenario"];
  }
  if (!s->is_object() || !s->contains("warnings")) return;
  warning_options o;
  for (const json& w : (*s)["warnings"]) {
    std::string why;
    if (!w.is_string() ||
        !apply_warning_switch(o, w.get<std::string>(), &why, tr_)) {
      log("warning switch " + w.dump() + ": " + why);
      send(make_notification(
          "window/showMessage",
          {{"type", 2}, {"message", "scenario: -W" + w.dump() + ": " + why}}));
    }
  }
  warnings_ = std::move(o);
  schedule_all();
}

void server::did_open(const json& params) {
  const json& td = params.at("textDocument");
  document d;
  d.uri = td.at("uri").get<std::string>();
  d.path = path_of_document(d.uri);
  if (d.path.empty()) d.path = d.uri;
  d.version = td.value("version", 0);
  d.text = td.at("text").get<std::string>();
  const std::string path = d.path;
  documents_[path] = std::move(d);
  schedule(path);
}

void server::did_change(const json& params) {
  document* d = find(params.at("textDocument"));
  if (d == nullptr) return;
  for (const json& c : params.at("contentChanges")) {
    if (c.contains("range")) {
      apply_edit(d->text, range_param(c["range"]),
                 c.at("text").get<std::string>());
    } else {
      d->text = c.at("text").get<std::string>();
    }
  }
  d->version = params["textDocument"].value("version", d->version + 1);
  schedule(d->path);
}

void server::did_close(const json& params) {
  document* d = find(params.at("textDocument"));
  if (d == nullptr) return;
  const std::string path = d->path;
  const std::string uri = d->uri;
  documents_.erase(path);
  analyses_.erase(path);
  // The file on disk is what counts now for its partner.
  schedule(path);
  send(make_notification("textDocument/publishDiagnostics",
                         {{"uri", uri}, {"diagnostics", json::array()}}));
}

document* server::find(const json& text_document) {
  const json& uri = text_document.at("uri");
  if (!uri.is_string()) {
    throw request_refused{
        invalid_params, "textDocument.uri must be a string, not " + uri.dump()};
  }
  std::string path = path_of_document(uri.get<std::string>());
  if (path.empty()) path = uri.get<std::string>();
  const auto it = documents_.find(path);
  return it == documents_.end() ? nullptr : &it->second;
}

std::vector<fs::path> server::open_paths() const {
  std::vector<fs::path> v;
  for (const auto& [path, d] : documents_) v.push_back(path_of_utf8(path));
  return v;
}

std::vector<description_pair> server::pairs_of(const std::string& path) const {
  bool train_text = false;
  const auto it = documents_.find(path);
  if (it != documents_.end()) {
    train_text = looks_like_train(it->second.text);
  } else {
    const description_text t = load_description(path_of_utf8(path));
    train_text = t.text && looks_like_train(*t.text);
  }
  return pairs_.pairs_of(path_of_utf8(path), train_text, open_paths());
}

void server::schedule(const std::string& path) {
  const clock::time_point due = clock::now() + options_.debounce;
  for (const description_pair& p : pairs_of(path)) {
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [&](const auto& c) { return c.pair == p; });
    if (it != pending_.end()) {
      it->due = due;
    } else {
      pending_.push_back({p, due});
    }
  }
}

void server::schedule_all() {
  std::vector<std::string> paths;
  for (const auto& [path, d] : documents_) paths.push_back(path);
  for (const std::string& p : paths) schedule(p);
}

void server::run_due_checks() {
  const clock::time_point now = clock::now();
  std::vector<description_pair> due;
  std::erase_if(pending_, [&](const pending_check& c) {
    if (c.due > now) return false;
    due.push_back(c.pair);
    return true;
  });
  for (const description_pair& p : due) check_pair(p, true);
}

bool server::change_queued_for(const description_pair& pair) {
  std::lock_guard lock(input_->mutex);
  for (const read_message& m : input_->messages) {
    if (m.what != read_message::kind::message) continue;
    const std::string method = method_of(m.body);
    if (!method.starts_with("textDocument/did") ||
        method == "textDocument/didSave") {
      continue;
    }
    try {
      const std::string path = path_of_document(
          m.body.at("params").at("textDocument").at("uri").get<std::string>());
      if (path == utf8_of_path(pair.line) || path == utf8_of_path(pair.train)) {
        return true;
      }
    } catch (const json::exception&) {
    }
  }
  return false;
}

description_text server::text_of(const fs::path& p,
                                 std::vector<unencodable_char>* bad) const {
  const auto it = documents_.find(utf8_of_path(p));
  if (it == documents_.end()) {
    description_text t = load_description(p);
    t.file = utf8_of_path(p);
    return t;
  }
  return {utf8_of_path(p), it->second.text_8bit(bad), {}};
}

void server::check_pair(const description_pair& pair, bool publish) {
  const auto version_of = [&](const fs::path& p) {
    const auto it = documents_.find(utf8_of_path(p));
    return it == documents_.end() ? -1 : it->second.version;
  };
  const int line_version = version_of(pair.line);
  const int train_version = version_of(pair.train);
  std::vector<unencodable_char> line_bad;
  std::vector<unencodable_char> train_bad;
  description_text linea = text_of(pair.line, &line_bad);
  description_text treno;
  if (pair.train.empty()) {
    treno.file = utf8_of_path(pair.line) + " (no train)";
  } else {
    treno = text_of(pair.train, &train_bad);
  }
  // A line with several trains shows what its first pair finds.
  bool fills_line = false;
  if (!pair.line.empty()) {
    const std::vector<description_pair> of_line =
        pairs_of(utf8_of_path(pair.line));
    fills_line = of_line.empty() || of_line.front() == pair;
  }
  // A change already waiting makes this check out of date before it
  // starts, and handling it schedules the next one; a check made in the
  // meantime is dropped too.
  const auto out_of_date = [&] {
    if (!publish || !change_queued_for(pair)) return false;
    log("a check of " + utf8_of_path(pair.line) +
        " is dropped: its text changed");
    return true;
  };
  if (out_of_date()) return;
  // What this check replaces is let go first, so that a file with a great
  // many records and findings is not held twice; one asked for before the
  // next check is made again. Freeing hundreds of thousands of them takes
  // a while, which another thread spends while this one checks.
  std::vector<decltype(analyses_)::node_type> replaced;
  if (fills_line) {
    replaced.push_back(analyses_.extract(utf8_of_path(pair.line)));
  }
  if (!pair.train.empty()) {
    replaced.push_back(analyses_.extract(utf8_of_path(pair.train)));
  }
  std::future<void> freed;
  try {
    freed = std::async(std::launch::async,
                       [old = std::move(replaced)]() mutable { old.clear(); });
  } catch (const std::system_error&) {
    // No thread to spare: the lambda holding them freed them here.
  }
  pair_check checked_pair(pair, linea, treno, warnings_, tr_);
  if (options_.after_check) options_.after_check();
  if (out_of_date()) return;
  if (version_of(pair.line) != line_version ||
      version_of(pair.train) != train_version) {
    return;
  }
  // Asked for by a request while the check of this change waits for its
  // moment, it is that check: published now, it is not made twice.
  const auto waiting =
      std::find_if(pending_.begin(), pending_.end(),
                   [&](const pending_check& c) { return c.pair == pair; });
  if (!publish && waiting != pending_.end() && !change_queued_for(pair)) {
    pending_.erase(waiting);
    publish = true;
  }
  const auto fill = [&](const fs::path& path, description in,
                        description_text& t,
                        const std::vector<unencodable_char>& bad, int version) {
    checked& c = analyses_[utf8_of_path(path)];
    c.version = version;
    c.a = checked_pair.take(in, t);
    if (publish) publish_diagnostics(path, c.a, bad);
  };
  if (fills_line) {
    fill(pair.line, description::line, linea, line_bad, line_version);
  }
  if (!pair.train.empty()) {
    fill(pair.train, description::train, treno, train_bad, train_version);
  }
}

void server::publish_diagnostics(const fs::path& path, const analysis& a,
                                 const std::vector<unencodable_char>& bad) {
  json params;
  const auto it = documents_.find(utf8_of_path(path));
  if (it != documents_.end()) {
    params = {{"uri", it->second.uri}, {"version", it->second.version}};
    params["diagnostics"] = diagnostics_json(a, bad, it->second.text, tr_,
                                             options_.max_diagnostics);
  } else {
    params = {{"uri", uri_of_path(utf8_of_path(path))}};
    params["diagnostics"] =
        diagnostics_json(a, {}, {}, tr_, options_.max_diagnostics);
  }
  send(make_notification("textDocument/publishDiagnostics", params));
}

const analysis& server::analysis_of(const document& d) {
  auto it = analyses_.find(d.path);
  if (it == analyses_.end() || it->second.version != d.version) {
    for (const description_pair& p : pairs_of(d.path)) check_pair(p, false);
    it = analyses_.find(d.path);
    if (it == analyses_.end()) {
      // No pair showed what it finds here: its text alone.
      checked& c = analyses_[d.path];
      c.version = d.version;
      c.a.text = d.text_8bit(nullptr);
      return c.a;
    }
  }
  return it->second.a;
}

json server::hover(const json& params) {
  // The parameters are read whole before anything is looked up, so that a
  // wrong one is refused even for a text that is not open.
  const text_position p = position_param(params.at("position"));
  document* d = find(params.at("textDocument"));
  if (d == nullptr) return nullptr;
  return hover_at(analysis_of(*d), p, tr_);
}

json server::completion(const json& params) {
  const text_position p = position_param(params.at("position"));
  document* d = find(params.at("textDocument"));
  if (d == nullptr) return nullptr;
  return completion_at(analysis_of(*d), p, snippet_support_, tr_);
}

json server::symbols(const json& params) {
  document* d = find(params.at("textDocument"));
  if (d == nullptr) return json::array();
  return document_symbols(analysis_of(*d), tr_);
}

json server::formatting(const json& params) {
  document* d = find(params.at("textDocument"));
  if (d == nullptr) return json::array();
  std::vector<unencodable_char> bad;
  const std::string bytes = d->text_8bit(&bad);
  // The 8-bit form stands a '?' for each such character: formatting it
  // would put the '?' in the editor's text.
  if (!bad.empty()) {
    throw request_refused{
        request_failed,
        tr_.format("not formatted: %s; remove or replace them first",
                   unstorable_summary(*d, bad, tr_))};
  }
  const std::string formatted = format_description(bytes);
  if (formatted == bytes) return json::array();
  const text_range whole{{0, 0}, position_of(d->text, d->text.size())};
  return json::array({{{"range", range_json(whole)},
                       {"newText", to_editor_text(*d, formatted)}}});
}

json server::code_action(const json& params) {
  const text_range r = range_param(params.at("range"));
  document* d = find(params.at("textDocument"));
  if (d == nullptr) return json::array();
  return code_actions(analysis_of(*d), d->uri, r, tr_);
}

json server::definition(const json& params) {
  const text_position p = position_param(params.at("position"));
  document* d = find(params.at("textDocument"));
  if (d == nullptr) return nullptr;
  json out = json::array();
  for (const text_range& r : definition_at(analysis_of(*d), p)) {
    out.push_back({{"uri", d->uri}, {"range", range_json(r)}});
  }
  return out;
}

// The picture of the pair a description belongs to, drawn from the same
// texts the diagnostics are checked from.
json server::picture(const json& params) {
  const clock::time_point start = clock::now();
  const std::string path =
      path_of_uri(params.at("textDocument").at("uri").get<std::string>());
  const std::vector<description_pair> pairs = pairs_of(path);
  if (pairs.empty() || pairs.front().line.empty()) return nullptr;
  const description_pair& pair = pairs.front();
  description_text treno;
  if (pair.train.empty()) {
    treno.file = pair.line.string() + " (no train)";
  } else {
    treno = text_of(pair.train, nullptr);
  }
  json drawn = picture_of(text_of(pair.line, nullptr), treno, warnings_, tr_);
  log("picture of " + path + " drawn in " + std::to_string(ms_since(start)) +
      " ms");
  return drawn;
}

void server::send(const json& message) { write_message(out_, message); }

void server::log(const std::string& line) {
  log_ << "scenario lsp: " << line << '\n';
  log_.flush();
}

}  // namespace scenario::editing
