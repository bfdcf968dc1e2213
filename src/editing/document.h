// The texts the editor holds open: UTF-8 text addressed by positions in
// UTF-16 code units (as the protocol counts them), changed whole or by
// ranges, and their Windows-1252 form, which is what the checker reads
// (file URIs and paths convert through model/file_uri).
// CR LF, a lone LF and a lone CR each end a line, as in the descriptions.
#ifndef SCENARIO_EDITING_DOCUMENT_H_
#define SCENARIO_EDITING_DOCUMENT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_uri.h"
#include "model/text_8bit.h"
#include "model/translation.h"

namespace scenario::editing {

// A place in a text: 0-based line and UTF-16 unit within the line.
struct text_position {
  int line = 0;
  int character = 0;
  friend bool operator==(const text_position&, const text_position&) = default;
};

struct text_range {
  text_position start;
  text_position end;
};

// The byte offset in UTF-8 `text` of `p`. A character beyond its line's end
// stands at the line's end; a line beyond the last at the end of the text; a
// position inside a character's two UTF-16 units at that character.
size_t offset_of(std::string_view text, text_position p);

// The position of byte `offset` of UTF-8 `text`.
text_position position_of(std::string_view text, size_t offset);

// Replaces `range` of `text` by `replacement`; a start after the end is
// taken as the end, as editors send it when a range is reversed.
void apply_edit(std::string& text, text_range range,
                std::string_view replacement);

// An open description: its URI, the path it stands for, the editor's
// version and its UTF-8 text.
struct document {
  std::string uri;
  std::string path;
  int version = 0;
  std::string text;

  // The file's bytes, and the characters they cannot hold.
  std::string text_8bit(std::vector<unencodable_char>* unencodable) const {
    return utf8_to_windows1252(text, unencodable);
  }
  // True when the text holds U+0080 to U+009F: it was read as Latin-1, and
  // text given back to it keeps those characters.
  bool read_as_latin1() const;
};

// "the text holds 2 characters that Windows-1252 cannot store (the first,
// U+1F686, on line 7)": `unencodable` as found in `d`'s text, in the
// language of `tr`.
std::string unstorable_summary(const document& d,
                               const std::vector<unencodable_char>& unencodable,
                               const translator& tr);

// The UTF-8 form of 8-bit text given back to `d`: Windows-1252, or Latin-1
// when the editor read the file so.
std::string to_editor_text(const document& d, std::string_view bytes);

using scenario::path_of_uri;
using scenario::uri_of_path;

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_DOCUMENT_H_
