#include "sources/dati_scheda.h"

#include <iterator>

#include "sources/line_table.h"
#include "sources/source_names.h"

namespace scenario {
namespace {

// The timetable card of IR 4518: header boxes, then the grid with one row per
// station of the train description and per change of the speed limit.
// clang-format off
constexpr std::string_view dati_scheda_table[] = {
    "",
    "",
    "  ___________________                                               ______________",
    " |                   |                    SCHEDA 1/1               |              |",
    " |   TRENO n.4518    |                   da: TARVENA               |    V200 B    |",
    " |___________________|                    a: OLMISCO               |     125%     |",
    "                                                                   |______________|",
    "  ___________________                ___________________",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
    " |        IR         |              |      430T         |",
    " |___________________|              |___________________|",
    "",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    // Rows in kilometre order: origin, stops, stations passed, speed changes
    // and destination.
    " |  30 |  30 |    0+000 |  30 |TARVENA                     |          7.06  |     |",
    " |  95 |  85 |    0+850 |  95 |Deviatoio di Uscita         |                |     |",
    " |     |     |    3+100 |     |CASALE TARVENESE            |      7.09      |     |",
    " |     |     |    6+700 |     |BRENOLA                     |  7.13    7.14  |     |",
    " |     |     |   13+700 |     |ROVIGNANO                   |      7.22      |     |",
    " |     |     |   16+450 |     |LUVEA                       |  7.25    7.30  |     |",
    " |     |     |   20+900 |     |FOSSALTA                    |      7.34+     |     |",
    " |     |     |   24+400 |     |BIVIO CORNALBA              |      7.37      |     |",
    " |     |     |   28+600 |     |SAVIGNE                     |  7.40    7.41  |     |",
    " |     |     |   32+200 |     |CASTAGNEDO                  |      7.44      |     |",
    " |  70 |  60 |   36+100 |  70 |Inizio Tratto di Valico     |                |     |",
    " |     |     |   39+900 |     |ROCCAFERRA                  |  7.52    7.54  |     |",
    " |     |     |   43+800 |     |PIEVE DI LUSCO              |      7.58      |     |",
    " |     |     |   47+400 |     |PRAVELLO                    |      8.01      |     |",
    " | 120 | 110 |   49+700 |     |Imbocco Gall. del Pravello  |                |     |",
    " |  95 |  85 |   59+300 |  95 |Fine Tratto di Valico       |                |     |",
    " |     |     |   62+300 |     |ALBAREDO                    |  8.11    8.12  |     |",
    " |     |     |   66+600 |     |MARNE-S. ROCCO              |      8.16      |     |",
    " |     |     |   70+800 |     |VESCOL                      |      8.19      |     |",
    " |     |     |   77+400 |     |S. LORIANDO                 |      8.24+     |     |",
    " |     |     |   82+800 |     |CERVAGLIA                   |      8.28      |     |",
    " |     |     |   88+700 |     |PONTE ORSARA                |      8.32      |     |",
    " |     |     |   94+400 |     |CAMPAGNOLA                  |      8.36      |     |",
    " |     |     |  101+000 |     |OLMISCO                     |  8.44          |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    "",
    end_marker,
};
// clang-format on
static_assert(is_line_table_content(dati_scheda_table));
static_assert(std::size(dati_scheda_table) == 42 + 1);

}  // namespace

std::span<const std::string_view> scheda_lines() {
  return std::span(dati_scheda_table, std::size(dati_scheda_table) - 1);
}

bool dati_scheda(const std::filesystem::path& dir, const std::string& percorso,
                 const std::string& treno, file_failure* failure) {
  return write_line_table(scheda_txt_path(dir, percorso, treno),
                          line_table(dati_scheda_table), failure);
}

}  // namespace scenario
