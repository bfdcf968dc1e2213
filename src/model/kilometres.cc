#include "model/kilometres.h"

#include <cstdio>

namespace scenario {

std::string format_km(int64_t metres) {
  const bool negative = metres < 0;
  // Work on the magnitude as unsigned so that the most negative value has one.
  const uint64_t m = negative ? 0 - static_cast<uint64_t>(metres)
                              : static_cast<uint64_t>(metres);
  char text[32];
  std::snprintf(text, sizeof text, "%s%llu+%03llu", negative ? "-" : "",
                static_cast<unsigned long long>(m / 1000),
                static_cast<unsigned long long>(m % 1000));
  return text;
}

int64_t cell_position_m(const cella& c, int64_t cell) {
  switch (c.tipo) {
    case tipo_cella::segnale:
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
    case tipo_cella::avviso_rallentamento:
    case tipo_cella::preavviso_rallentamento:
    case tipo_cella::indicatore_vmax:
    case tipo_cella::fine_stazione:
    case tipo_cella::cartello_indicatore:
      return object_position_m(cell);
    default:
      return layer_position_m(cell);
  }
}

}  // namespace scenario
