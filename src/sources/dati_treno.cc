#include "sources/dati_treno.h"

#include <iterator>

#include "sources/line_table.h"
#include "sources/source_names.h"

namespace scenario {
namespace {

// Train IR 4518, seven cars, from TARVENA (7:05) to OLMISCO (8:44) with five
// intermediate stops; no slowdowns.
// clang-format off
constexpr std::string_view dati_treno_table[] = {
    "[generale]",
    "numero vetture,    7",
    "percentuale massa frenata,    100",
    "sabbia,    0",
    "orologio,    7               5             30 ",
    "[aderenze]",
    "aderenza,   0,    100",
    "[vel_limite]",
    "velocita,   0,    30",
    "velocita,     850,    95",
    "velocita,   36100,    70",
    "velocita,   49700,   120",
    "velocita,   59300,    95",
    "velocita,   99100,    30",
    // Stations: every zone ends more than 2000 m before the next begins.
    // Kind 26 marks the minor stations, passed without a stop.
    "[stazioni]",
    "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, 5, 0, TARVENA",
    "stazione,    3300, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, CASALE TARVENESE",
    "stazione,    6900, 12,  500,  0, 0, 1,  1,1,0,  2,1,1,   60,   7,14, 0, BRENOLA",
    "stazione,   13900, 26,  300,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, ROVIGNANO",
    "stazione,   17600, 12,  600,  0, 1, 1,  1,1,0,  4,1,1,   60,   7,30, 0, LUVEA",
    "stazione,   21100, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, FOSSALTA",
    "stazione,   24600, 22,  400,  0, 0, 1,  0,1,0,  2,0,1,    0,   0, 0, 0, BIVIO CORNALBA",
    "stazione,   28800, 12,  600,  0, 1, 1,  1,1,0,  4,1,1,   60,   7,41, 0, SAVIGNE",
    "stazione,   32400, 26,  300,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, CASTAGNEDO",
    "stazione,   40100, 12,  500,  0, 0, 1,  1,1,0,  2,1,1,   60,   7,54, 0, ROCCAFERRA",
    "stazione,   44000, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, PIEVE DI LUSCO",
    "stazione,   47600, 12,  400,  0, 0, 1,  1,0,0,  2,1,0,    0,   0, 0, 0, PRAVELLO",
    "stazione,   62500, 12,  600,  0, 1, 1,  1,1,0,  4,1,1,   60,   8,12, 0, ALBAREDO",
    "stazione,   66800, 26,  300,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, MARNE-S. ROCCO",
    "stazione,   71000, 12,  400,  0, 0, 0,  1,0,0,  2,1,0,    0,   0, 0, 0, VESCOL",
    "stazione,   77600, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, S. LORIANDO",
    "stazione,   83000, 12,  500,  0, 0, 1,  1,1,0,  2,1,0,    0,   0, 0, 0, CERVAGLIA",
    "stazione,   88900, 26,  300,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, PONTE ORSARA",
    "stazione,   94600, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, CAMPAGNOLA",
    "stazione,  101200,  4,  700,  1, 1, 1,  1,1,0,  2,1,1,    0,   8,44, 0, OLMISCO",
    "[rallentamenti]",
    // Signals: sx 2 at the stations (entry and exit), sx 1 on the open
    // line. No signal shares a cell with a board, a station end mark or
    // another signal.
    "[segnali]",
    "segnale,    2400,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,    4900,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,    5900,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,    7750,   2, 5, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   11000,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   14900,   1, 3, 4,  0, 0,    0,  0,0,0, 0",
    "segnale,   16500,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   18450,   2, 5, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   21900,   1, 3, 4,  0, 0,    0,  0,0,0, 0",
    "segnale,   23600,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   25350,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   27700,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   29650,   2, 5, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   31000,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   34500,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   37800,   1, 3, 4,  0, 0,    0,  0,0,0, 0",
    "segnale,   39050,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   40900,   2, 5, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   42500,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   46600,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   51900,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   54600,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   57300,   1, 3, 4,  0, 0,    0,  0,0,0, 0",
    "segnale,   61400,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   63350,   2, 5, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   70000,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   82000,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   86300,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   97900,   1, 3, 4,  0, 0,    0,  0,0,0, 0",
    "segnale,   99100,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "[codici]",
    "[fine]",
    end_marker,
};
// clang-format on
static_assert(is_line_table_content(dati_treno_table));
static_assert(std::size(dati_treno_table) == 69 + 1);

}  // namespace

std::span<const std::string_view> treno_lines() {
  return std::span(dati_treno_table, std::size(dati_treno_table) - 1);
}

bool dati_treno(const std::filesystem::path& dir, const std::string& percorso,
                const std::string& treno, file_failure* failure) {
  return write_line_table(treno_txt_path(dir, percorso, treno),
                          line_table(dati_treno_table), failure);
}

}  // namespace scenario
