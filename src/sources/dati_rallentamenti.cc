#include "sources/dati_rallentamenti.h"

#include <iterator>

#include "sources/line_table.h"
#include "sources/source_names.h"

namespace scenario {
namespace {

// The slow-order form (Modulo M. 3). The train description holds no slowdown,
// so the table's only entry is "NESSUN RALLENTAMENTO".
// clang-format off
constexpr std::string_view dati_rallentamenti_table[] = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea  TARVENA_OLMISCO",
    "",
    "  Si ordina al macchinista del treno 4518 di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                                                              |            |",
    " |   |                          NESSUN RALLENTAMENTO                |            |",
    " |   |                                                              |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |___|____________________________|____________|__________|_________|____________|",
    "",
    "              Prescrizioni specifiche",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    " B - Interessa anche la stazione di.......",
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
    end_marker,
};
// clang-format on
static_assert(is_line_table_content(dati_rallentamenti_table));
static_assert(std::size(dati_rallentamenti_table) == 46 + 1);

}  // namespace

std::span<const std::string_view> rallentamenti_lines() {
  return std::span(dati_rallentamenti_table,
                   std::size(dati_rallentamenti_table) - 1);
}

bool dati_rallentamenti(const std::filesystem::path& dir,
                        const std::string& percorso, const std::string& treno,
                        file_failure* failure) {
  return write_line_table(rallentamenti_txt_path(dir, percorso, treno),
                          line_table(dati_rallentamenti_table), failure);
}

}  // namespace scenario
