// What each record of the descriptions holds, for the editor: its key, the
// section it is written in, what it is, and its fields in order with their
// meaning and unit. Hover, completion and the outline read this table; keys
// are recognised as the compiler recognises them, by the words they contain.
#ifndef SCENARIO_EDITING_RECORD_HELP_H_
#define SCENARIO_EDITING_RECORD_HELP_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/policy.h"

namespace scenario::editing {

struct field_help {
  std::string_view name;
  std::string_view meaning;
  std::string_view unit;  // empty when the field has none
  bool is_position = false;
};

struct record_help {
  std::string_view key;  // as the writers write it
  description in;
  std::string_view section;  // the section it is written in
  std::string_view meaning;
  std::vector<field_help> fields;
  // How the compiler reads it; none for the keys of the line's general block.
  std::optional<record_kind> kind;
};

std::span<const record_help> all_record_help();

// The record a key stands for in `in`, matched as the compiler matches it.
const record_help* help_for_key(std::string_view key, description in);

// The keys written in `section` ("[segnali]"), or every key of `in` when the
// section is unknown or none.
std::vector<const record_help*> keys_for_section(std::string_view section,
                                                 description in);

// The snippet that writes a record: its key, then one named placeholder
// per field ("segnale, ${1:posizione}, ${2:sx}, ...").
std::string snippet(const record_help& r);

// The record's fields in order, for a key's hover: "posizione (m), sx, ...".
std::string field_list(const record_help& r);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_RECORD_HELP_H_
