#include "model/translation.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace scenario {

// The Italian catalogue, compiled by msgfmt from po/it.po at build time.
extern const unsigned char italian_catalogue[];
extern const std::size_t italian_catalogue_size;

namespace {

uint32_t read_u32(std::span<const unsigned char> b, std::size_t at) {
  if (at + 4 > b.size()) return 0;
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 |
         uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// The string the table entry `i` at `table` points to, or empty when the
// entry points outside the catalogue.
std::string_view table_string(std::span<const unsigned char> b, uint32_t table,
                              uint32_t i) {
  const uint32_t length = read_u32(b, table + 8 * std::size_t(i));
  const uint32_t offset = read_u32(b, table + 8 * std::size_t(i) + 4);
  if (std::size_t(offset) + length >= b.size()) return {};
  return {reinterpret_cast<const char*>(b.data()) + offset, length};
}

// The msgstr of `msgid` (a plural entry's forms joined by NULs), found by
// bisection: msgfmt stores the originals sorted by their bytes.
const char* find_translation(std::span<const unsigned char> b,
                             std::string_view msgid, std::string_view* found) {
  constexpr uint32_t magic = 0x950412de;
  if (read_u32(b, 0) != magic) return nullptr;
  const uint32_t count = read_u32(b, 8);
  const uint32_t originals = read_u32(b, 12);
  const uint32_t translations = read_u32(b, 16);
  uint32_t low = 0, high = count;
  while (low < high) {
    const uint32_t mid = low + (high - low) / 2;
    std::string_view key = table_string(b, originals, mid);
    key = key.substr(0, key.find('\0'));  // a plural key: its singular
    const int order = key.compare(msgid);
    if (order == 0) {
      *found = table_string(b, translations, mid);
      return found->empty() ? nullptr : found->data();
    }
    if (order < 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return nullptr;
}

bool names_italian(std::string_view locale) {
  std::string lower;
  for (char c : locale)
    lower += char(std::tolower(static_cast<unsigned char>(c)));
  if (lower.starts_with("italian")) return true;  // "Italian_Italy.1252"
  return lower.starts_with("it") &&
         (lower.size() == 2 || std::strchr("_-.@", lower[2]) != nullptr);
}

bool is_plain_c(std::string_view locale) {
  return locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

// The first non-empty of LC_ALL, LC_MESSAGES and LANG, or empty.
std::string_view messages_locale(
    const std::function<const char*(const char*)>& get) {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = get(name);
    if (v != nullptr && *v != '\0') return v;
  }
  return {};
}

bool system_speaks_italian() {
#ifdef _WIN32
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ITALIAN;
#else
  return false;
#endif
}

}  // namespace

std::string fill_message(std::string_view pattern,
                         std::span<const std::string> args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 == pattern.size()) {
      out += pattern[i];
      continue;
    }
    std::size_t j = i + 1;
    if (pattern[j] == '%') {
      out += '%';
      i = j;
      continue;
    }
    std::size_t index = next;
    std::size_t k = j;
    while (k < pattern.size() &&
           std::isdigit(static_cast<unsigned char>(pattern[k])))
      ++k;
    if (k > j && k < pattern.size() && pattern[k] == '$') {
      index = std::stoul(std::string(pattern.substr(j, k - j))) - 1;
      j = k + 1;
    } else {
      ++next;
    }
    if (j < pattern.size() && std::strchr("sdu", pattern[j]) != nullptr) {
      if (index < args.size()) out += args[index];
      i = j;
    } else {
      out += '%';  // no directive: the percent sign stands as written
    }
  }
  return out;
}

translator translator::for_locale(std::string_view locale) {
  translator t;
  if (names_italian(locale)) {
    t.catalogue_ = {italian_catalogue, italian_catalogue_size};
    t.language_ = "it";
  }
  return t;
}

translator translator::from_environment(
    const std::function<const char*(const char*)>& get) {
  const std::string_view locale = messages_locale(get);
  if (is_plain_c(locale)) return translator();
  const char* list = get("LANGUAGE");
  if (!locale.empty() && list != nullptr) {
    std::string_view rest = list;
    while (!rest.empty()) {
      const std::string_view item = rest.substr(0, rest.find(':'));
      rest.remove_prefix(std::min(rest.size(), item.size() + 1));
      if (names_italian(item)) return for_locale(item);
      if (item.starts_with("en")) return translator();
    }
  }
  if (!locale.empty()) return for_locale(locale);
  return system_speaks_italian() ? for_locale("it") : translator();
}

const char* translator::operator()(const char* msgid) const {
  std::string_view found;
  const char* t = find_translation(catalogue_, msgid, &found);
  return t != nullptr ? t : msgid;
}

std::string translator::context(const char* context, const char* msgid) const {
  // A catalogue keys a message with a context as "CONTEXT\4MSGID".
  const std::string key = std::string(context) + '\4' + msgid;
  std::string_view found;
  const char* t = find_translation(catalogue_, key, &found);
  return t != nullptr ? std::string(found) : std::string(msgid);
}

const char* translator::plural(const char* msgid, const char* msgid_plural,
                               uint64_t n) const {
  std::string_view found;
  if (find_translation(catalogue_, msgid, &found) != nullptr) {
    // Italian, like English, has one form for one and another for the rest.
    if (n == 1) return found.data();
    const std::size_t nul = found.find('\0');
    if (nul != std::string_view::npos) return found.data() + nul + 1;
  }
  return n == 1 ? msgid : msgid_plural;
}

}  // namespace scenario
