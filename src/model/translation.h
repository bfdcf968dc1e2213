// The language a person reads the tools' messages in. Messages are written
// in English in the code and marked `tr("...")`; the Italian catalogue is
// compiled into every program, so no file need sit beside it.
#ifndef SCENARIO_MODEL_TRANSLATION_H_
#define SCENARIO_MODEL_TRANSLATION_H_

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace scenario {

// Fills a printf-style pattern: each "%s", "%d" or "%u" takes the next
// argument, "%N$s" (or "$d") takes argument N, "%%" is a percent sign. The
// arguments are text already, so a translation that swaps two of them or
// names a number "%s" still reads right; a missing argument fills nothing.
std::string fill_message(std::string_view pattern,
                         std::span<const std::string> args);

// Translates marked messages into one language. Cheap to copy: it holds only
// a view of a catalogue compiled into the program.
class translator {
 public:
  // English: every message as the code writes it.
  translator() = default;

  // The language a locale name asks for ("it", "it_IT.UTF-8", "it-IT",
  // "Italian_Italy.1252"); English for any language without a catalogue.
  static translator for_locale(std::string_view locale);

  // The language of the environment, as gettext programs choose it: LANGUAGE
  // (a list, first known wins) unless the locale is "C", then LC_ALL,
  // LC_MESSAGES and LANG; on Windows, with none of them set, the user's
  // interface language. `get` reads a variable (null when unset).
  static translator from_environment(
      const std::function<const char*(const char*)>& get);

  // The language's tag: "en" or "it".
  std::string_view language() const { return language_; }

  // The translation of `msgid`, or `msgid` itself.
  const char* operator()(const char* msgid) const;

  // The translation of `msgid` in `context`, for one English word that reads
  // differently in two places (a column heading and a verdict), or `msgid`.
  std::string context(const char* context, const char* msgid) const;

  // The singular or plural translation for `n`.
  const char* plural(const char* msgid, const char* msgid_plural,
                     uint64_t n) const;

  // The translation of `msgid` filled with `args` (text or integers).
  template <typename... Args>
  std::string format(const char* msgid, const Args&... args) const {
    return fill_translated((*this)(msgid), args...);
  }

  // The singular or plural translation for `n`, filled with `args`.
  template <typename... Args>
  std::string format_plural(const char* msgid, const char* msgid_plural,
                            uint64_t n, const Args&... args) const {
    return fill_translated(plural(msgid, msgid_plural, n), args...);
  }

 private:
  // Integers as decimal digits; anything else is text already (a number
  // with a fraction is formatted by its caller, who knows its precision).
  template <typename T>
  static std::string as_text(const T& v) {
    static_assert(!std::is_floating_point_v<T>, "format fractions first");
    if constexpr (std::is_integral_v<T>) {
      return std::to_string(v);
    } else {
      return std::string(std::string_view(v));
    }
  }
  template <typename... Args>
  static std::string fill_translated(const char* pattern, const Args&... a) {
    const std::string texts[] = {std::string(), as_text(a)...};
    return fill_message(pattern,
                        std::span<const std::string>(texts).subspan(1));
  }

  std::span<const unsigned char> catalogue_;  // a compiled catalogue, or empty
  std::string_view language_ = "en";
};

// Marks a message for extraction where it is stored, not yet translated (a
// table of meanings); translate it where it is shown.
constexpr const char* N_(const char* msgid) { return msgid; }

// The same for a message read in a context: translate it where it is shown
// with `tr.context(context, msgid)`.
constexpr const char* NC_(const char* /*context*/, const char* msgid) {
  return msgid;
}

}  // namespace scenario

#endif  // SCENARIO_MODEL_TRANSLATION_H_
