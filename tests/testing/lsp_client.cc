#include "testing/lsp_client.h"

#include "editing/json_rpc.h"

namespace scenario::testing {

std::string frame_of(const json& message) { return editing::frame(message); }

void lsp_client::send(const json& message) { write_raw(frame_of(message)); }

void lsp_client::request(int id, const std::string& method, json params) {
  send({{"jsonrpc", "2.0"},
        {"id", id},
        {"method", method},
        {"params", std::move(params)}});
}

void lsp_client::notify(const std::string& method, json params) {
  send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

std::optional<json> lsp_client::next(std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const size_t head_end = buffer_.find("\r\n\r\n");
    if (head_end != std::string::npos) {
      const size_t at = buffer_.find("Content-Length: ");
      const size_t length = std::stoul(buffer_.substr(at + 16));
      if (buffer_.size() >= head_end + 4 + length) {
        json m = json::parse(buffer_.substr(head_end + 4, length));
        buffer_.erase(0, head_end + 4 + length);
        return m;
      }
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !read_more(left)) return std::nullopt;
  }
}

json lsp_client::answer(int id) {
  while (std::optional<json> m = next()) {
    if (m->contains("id") && (*m)["id"] == id && !m->contains("method")) {
      return *m;
    }
    skipped.push_back(*m);
  }
  return nullptr;
}

json lsp_client::diagnostics_for(const std::string& uri) {
  while (std::optional<json> m = next()) {
    if (m->value("method", "") == "textDocument/publishDiagnostics" &&
        (*m)["params"]["uri"] == uri) {
      return (*m)["params"];
    }
    skipped.push_back(*m);
  }
  return nullptr;
}

json lsp_client::initialize(json params) {
  request(0, "initialize", std::move(params));
  json a = answer(0);
  notify("initialized", json::object());
  return a;
}

}  // namespace scenario::testing
