#include "model/translation.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "model/error_codes.h"
#include "model/system_reasons.h"

namespace scenario {
namespace {

TEST(translation, fill_message_places_each_argument) {
  const std::string args[] = {"first", "2"};
  struct fill_case {
    const char* pattern;
    const char* filled;
  } cases[] = {
      {"%s at %d m", "first at 2 m"},
      {"%2$s before %1$s", "2 before first"},
      {"100%% of %u", "100% of first"},
      {"a lone % and a trailing %", "a lone % and a trailing %"},
      {"%s %s %s", "first 2 "},  // a missing argument fills nothing
      {"no argument", "no argument"},
  };
  for (const fill_case& c : cases) {
    EXPECT_EQ(fill_message(c.pattern, args), c.filled) << c.pattern;
  }
}

TEST(translation, locale_names_choose_the_language) {
  struct locale_case {
    const char* locale;
    const char* language;
  } cases[] = {
      {"it", "it"},
      {"it_IT.UTF-8", "it"},
      {"it-IT", "it"},
      {"IT_ch@euro", "it"},
      {"Italian_Italy.1252", "it"},
      {"C", "en"},
      {"en_GB.UTF-8", "en"},
      {"", "en"},
      {"ita", "en"},
      {"de_DE.UTF-8", "en"},
  };
  for (const locale_case& c : cases) {
    EXPECT_EQ(translator::for_locale(c.locale).language(), c.language)
        << c.locale;
  }
}

TEST(translation, environment_is_read_as_gettext_programs_read_it) {
  using variables = std::map<std::string, std::string>;
  struct environment_case {
    variables set;
    const char* language;
  } cases[] = {
      {{{"LANG", "it_IT.UTF-8"}}, "it"},
      {{{"LC_ALL", "C"}, {"LANG", "it_IT.UTF-8"}}, "en"},
      {{{"LC_MESSAGES", "it_IT.UTF-8"}, {"LANG", "en_US.UTF-8"}}, "it"},
      {{{"LC_ALL", ""}, {"LANG", "it_IT.UTF-8"}}, "it"},  // empty is unset
      {{{"LANGUAGE", "it:en"}, {"LANG", "en_US.UTF-8"}}, "it"},
      {{{"LANGUAGE", "de:en:it"}, {"LANG", "it_IT.UTF-8"}}, "en"},
      {{{"LANGUAGE", "it"}, {"LANG", "C"}}, "en"},  // C ignores the list
      {{}, "en"},
  };
  for (const environment_case& c : cases) {
    const translator tr = translator::from_environment([&](const char* name) {
      auto it = c.set.find(name);
      return it == c.set.end() ? nullptr : it->second.c_str();
    });
    EXPECT_EQ(tr.language(), c.language) << testing::PrintToString(c.set);
  }
}

TEST(translation, italian_catalogue_is_compiled_in) {
  const translator it = translator::for_locale("it");
  EXPECT_STREQ(it("unknown error"), "errore sconosciuto");
  EXPECT_EQ(it.format("error %d", 16), "errore 16");
  const char* unmarked = "a message no catalogue holds";
  EXPECT_EQ(it(unmarked), unmarked);
  EXPECT_STREQ(it.plural(unmarked, "plural", 1), unmarked);
  EXPECT_STREQ(it.plural(unmarked, "plural", 2), "plural");
}

TEST(translation, every_error_code_reads_in_italian) {
  const translator it = translator::for_locale("it");
  for (const error_code_info& c : all_error_codes()) {
    const int n = code_number(c.code);
    EXPECT_NE(error_meaning(n, it), error_meaning(n)) << n;
  }
  diagnostic d;
  d.codice = code_number(error_code::signal_occupied);
  d.posizione = 8830;
  const diagnostic_description text = describe(d, it);
  EXPECT_EQ(text.label, "errore 16");
  EXPECT_EQ(text.meaning, "segnale su una cella occupata");
  EXPECT_EQ(describe(d).label, "error 16");
}

// One English word read two ways: the timing table's column and a leg's
// verdict; a context the catalogue lacks leaves the word as written.
TEST(translation, a_context_tells_one_word_apart) {
  const translator it = translator::for_locale("it");
  const translator en;
  EXPECT_EQ(it.context("column", "slack"), "margine");
  EXPECT_STREQ(it("slack"), "abbondante");
  EXPECT_EQ(en.context("column", "slack"), "slack");
  EXPECT_EQ(it.context("no such context", "slack"), "slack");
}

TEST(translation, system_reasons_read_in_italian_when_known) {
  const translator it = translator::for_locale("it");
  EXPECT_EQ(system_reason("No such file or directory", it),
            "File o cartella inesistente");
  EXPECT_EQ(system_reason("Permission denied", it), "Permesso negato");
  EXPECT_EQ(system_reason("Permission denied", translator()),
            "Permission denied");
  EXPECT_EQ(system_reason("Some reason of another system", it),
            "Some reason of another system");
}

// A compiler's detail is worded in each language from its pattern, its
// 8-bit arguments and the system's reasons among them; English is the
// detail as recorded.
TEST(translation, worded_details_read_in_italian) {
  struct detail_case {
    worded_detail worded;
    const char* recorded;
    const char* italian;  // 8-bit text, like every detail
  } cases[] = {
      {{"\"%s\" is not a whole number", {"sette"}, {}},
       "\"sette\" is not a whole number",
       "\"sette\" non \xe8 un numero intero"},
      {{"cannot open the file: %s", {"No such file or directory"}, {0}},
       "cannot open the file: No such file or directory",
       "impossibile aprire il file: File o cartella inesistente"},
      {{"\"%s\" is not a number", {"citt\xe0"}, {}},
       "\"citt\xe0\" is not a number",
       "\"citt\xe0\" non \xe8 un numero"},
      {{}, "a detail without wording", "a detail without wording"},
  };
  for (const detail_case& c : cases) {
    diagnostic d;
    d.codice = code_number(error_code::reading_failure);
    d.detail = c.recorded;
    d.worded = c.worded;
    EXPECT_EQ(describe(d).detail, c.recorded);
    EXPECT_EQ(describe(d, translator::for_locale("it")).detail, c.italian)
        << c.recorded;
  }
}

}  // namespace
}  // namespace scenario
