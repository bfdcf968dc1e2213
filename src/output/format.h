// Byte layouts of the three binary scenario files the simulator loads, and
// the marker values stamped into the model before they are written. The
// files carry no header, count or padding; integers are little-endian.
#ifndef SCENARIO_OUTPUT_FORMAT_H_
#define SCENARIO_OUTPUT_FORMAT_H_

#include <cstdint>
#include <string_view>

namespace scenario::format {

// File names: route first, then the train; the blank of a train name stays.
constexpr std::string_view plan_suffix = "_linea.dat";  // percorso + suffix
constexpr std::string_view entries_suffix = ".sim";     // percorso_treno + ...
constexpr std::string_view cells_suffix = ".dat";       // percorso_treno + ...

// Markers and checksum slots.
constexpr int16_t entries_marker = 610;  // entry 85, num1
constexpr int16_t cells_marker = 5121;   // cell 1, dato1
constexpr int marker_entry = 85;         // also holds codice_gara_st in orario
constexpr int marker_cell = 1;           // also holds codice_gara_og in dato2

// Checksum work string: train name, route name, lower case, then padding;
// only the first characters are summed.
constexpr std::string_view checksum_padding = "aabbccddeeffgghhiillmmnnoo";
constexpr size_t checksum_length = 25;

// One cell: 15 bytes.
//   0 tipo u8 | 1 dato1 i16 | 3 dato2 i16 | 5 dato3 i16 | 7 dato4 i16 |
//   9 tempo u8 | 10 avviso u8 | 11 montagna u8 | 12 velocita_limite u8 |
//   13 pendenza u8 | 14 aderenza u8
constexpr size_t cell_record_bytes = 15;
constexpr size_t cell_dato1_offset = 1;
constexpr size_t cell_dato2_offset = 3;

// One entry: 34 bytes plus the length of its text.
//   0 tipo u8 | 1 inizio i32 | 5 fine i32 | 9 posizione i32 | 13 flag1 u8 |
//   14 length of nome u16 | 16 nome | then num1..num5 i16, flag2, flag3,
//   flag4, flag5 u8, orario i32
constexpr size_t entry_fixed_bytes = 34;
constexpr size_t entry_name_length_offset = 14;
constexpr size_t entry_name_offset = 16;
// Offsets of the fields after the text, counted as if the text were empty:
// add its length.
constexpr size_t entry_num1_offset = 16;
constexpr size_t entry_orario_offset = 30;
constexpr size_t entry_name_max_bytes = 0xFFFF;  // its length is a u16

// One plan element: a u16 type code and its value.
constexpr uint16_t element_empty = 0;   // no value
constexpr uint16_t element_int16 = 2;   // i16
constexpr uint16_t element_double = 5;  // IEEE 754 double
constexpr size_t element_empty_bytes = 2;
constexpr size_t element_int16_bytes = 4;
constexpr size_t element_double_bytes = 10;

}  // namespace scenario::format

#endif  // SCENARIO_OUTPUT_FORMAT_H_
