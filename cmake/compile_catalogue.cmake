# Checks po/it.po against the freshly extracted template and compiles it:
# fails when a message lacks its Italian, a translation is fuzzy, or its
# format arguments differ from the English. Writes the compiled catalogue
# as a C++ byte array.
execute_process(COMMAND ${MSGCMP} ${PO} ${POT}
                RESULT_VARIABLE missing ERROR_VARIABLE why)
if(missing)
  message(FATAL_ERROR "po/it.po does not translate every marked message:\n${why}")
endif()
# The template carries which messages are printf formats, so the
# translations are checked against it, whatever flags po/it.po has.
execute_process(COMMAND ${MSGMERGE} --quiet --no-fuzzy-matching -o ${MO}.po ${PO} ${POT}
                RESULT_VARIABLE failed ERROR_VARIABLE why)
if(failed)
  message(FATAL_ERROR "po/it.po cannot be merged with the template:\n${why}")
endif()
execute_process(COMMAND ${MSGFMT} --check --statistics -o ${MO} ${MO}.po
                RESULT_VARIABLE failed ERROR_VARIABLE statistics)
if(failed)
  message(FATAL_ERROR "po/it.po does not compile:\n${statistics}")
endif()
if(statistics MATCHES "fuzzy|untranslated")
  message(FATAL_ERROR "po/it.po is not complete: ${statistics}")
endif()

file(READ ${MO} bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
file(WRITE ${OUT}.new
"// Compiled from po/it.po by the build; do not edit.
#include <cstddef>

namespace scenario {
extern const unsigned char italian_catalogue[];
extern const std::size_t italian_catalogue_size;
const unsigned char italian_catalogue[] = {
  ${bytes}0x00};
const std::size_t italian_catalogue_size = ${size};
}  // namespace scenario
")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new ${MO}.po)
