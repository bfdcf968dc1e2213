// The records kept after a compilation: every key, number, text and place
// reads back as the compiler saw it, whatever the line ends, and the records
// outlive the collector that gathered them.
#include "railway/records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/fixtures/descriptions.h"
#include "pipeline/compile.h"

namespace scenario {
namespace {

using testing::line_description;
using testing::train_description;

// A record as the compiler handed it over, copied whole.
struct seen_record {
  record_kind kind = record_kind::gradient;
  description in = description::line;
  bool accepted = true;
  std::string key;
  field_place key_at;
  std::vector<int64_t> numbers;
  std::vector<field_place> number_at;
  std::string text;
  field_place text_at;
  bool has_text = false;
};

// Keeps a whole copy of each record and hands it on to the collector.
class copying_observer : public record_observer {
 public:
  explicit copying_observer(record_observer& next) : next_(next) {}
  void on_record(const record_event& e) override {
    seen_record r;
    r.kind = e.kind;
    r.in = e.in;
    r.accepted = e.accepted;
    r.key = std::string(e.key);
    r.key_at = e.key_at;
    for (const read_field& f : e.fields) {
      if (f.is_text) {
        r.text = std::string(f.text);
        r.text_at = f.at;
        r.has_text = true;
      } else {
        r.numbers.push_back(f.number);
        r.number_at.push_back(f.at);
      }
    }
    seen.push_back(std::move(r));
    next_.on_record(e);
  }
  std::vector<seen_record> seen;

 private:
  record_observer& next_;
};

void expect_same_place(const field_place& kept, const field_place& read) {
  EXPECT_EQ(kept.line, read.line);
  EXPECT_EQ(kept.column, read.column);
  EXPECT_EQ(kept.length, read.length);
  EXPECT_EQ(kept.offset, read.offset);
}

std::string with_line_ends(const std::string& crlf_text,
                           const std::string& end) {
  std::string out;
  for (size_t i = 0; i < crlf_text.size(); ++i) {
    if (crlf_text.compare(i, 2, "\r\n") == 0) {
      out += end;
      ++i;
    } else {
      out += crlf_text[i];
    }
  }
  return out;
}

TEST(records, every_field_reads_back_as_the_compiler_saw_it) {
  const std::string line = line_description(
      20000,
      {"pendenza,    1000,\r\n    -12",         // a record over two lines
       "", "", "montagna,   2000,  2400,  12",  // after blank lines
       "cartello_indicatore,  1950,   (GALLERIA )(VERR\xC0)(m.400)",
       "montagna,   30000,  30400,  12"});  // beyond the line: refused
  const std::string train =
      train_description({"numero vetture,    7",
                         "stazione, 1000, 12, 700, 1, 1, 1, 4, 1, 0, 2, "
                         "1, 1, 60, 7, 0, 0, CITT\xC0"});
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(end == "\r\n" ? "CR LF" : end == "\n" ? "LF" : "CR");
    record_collector collector;
    copying_observer observer(collector);
    scenario_model m;
    m.percorso = "R";
    m.treno = "T";
    compile_in_memory(m, 0, {"l", with_line_ends(line, end), ""},
                      {"t", with_line_ends(train, end), ""},
                      {.keep_going = true, .observer = &observer});
    record_list kept = collector.take_records();
    ASSERT_EQ(kept.size(), observer.seen.size());
    ASSERT_EQ(kept.size(), 6u);
    bool refused = false;
    for (size_t i = 0; i < kept.size(); ++i) {
      const record_as_read& r = kept[i];
      const seen_record& s = observer.seen[i];
      SCOPED_TRACE(s.key);
      EXPECT_EQ(r.kind, s.kind);
      EXPECT_EQ(r.in, s.in);
      EXPECT_EQ(r.accepted, s.accepted);
      refused = refused || !r.accepted;
      EXPECT_EQ(r.key(), s.key);
      expect_same_place(r.key_at(), s.key_at);
      ASSERT_EQ(r.number_count(), s.numbers.size());
      for (size_t n = 0; n < s.numbers.size(); ++n) {
        EXPECT_EQ(r.number(n), s.numbers[n]);
        expect_same_place(r.place(n), s.number_at[n]);
      }
      // Past the last number: 0, at the key.
      EXPECT_EQ(r.number(s.numbers.size()), 0);
      expect_same_place(r.place(s.numbers.size()), s.key_at);
      EXPECT_EQ(r.has_text(), s.has_text);
      EXPECT_EQ(r.text(), s.text);
      expect_same_place(r.text_at(), s.text_at);
    }
    EXPECT_TRUE(refused);
  }
}

TEST(records, a_description_s_records_share_the_list_s_store) {
  record_list line_only;
  {
    record_collector collector;
    scenario_model m;
    m.percorso = "R";
    m.treno = "T";
    compile_in_memory(
        m, 0,
        {"l", line_description(20000, {"cartello_indicatore, 1950, (NORD)"}),
         ""},
        {"t",
         train_description({"stazione, 1000, 12, 700, 1, 1, 1, 4, 1, 0, "
                            "2, 1, 1, 60, 7, 0, 0, SUD"}),
         ""},
        {.keep_going = true, .observer = &collector});
    line_only = collector.take_records().of(description::line);
    EXPECT_TRUE(collector.records().empty());
  }
  // The collector and the whole list are gone; the line's records remain.
  ASSERT_FALSE(line_only.empty());
  for (const record_as_read& r : line_only) {
    EXPECT_EQ(r.in, description::line);
  }
  EXPECT_EQ(line_only.back().key(), "cartello_indicatore");
  EXPECT_EQ(line_only.back().text(), "(NORD)");
}

}  // namespace
}  // namespace scenario
