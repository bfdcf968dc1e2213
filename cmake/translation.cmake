# The message catalogues. Messages are marked in the code; every build
# extracts them (xgettext), checks that po/it.po translates each one, none
# fuzzy and every format argument matching (msgcmp, msgfmt --check), and
# compiles the Italian into the model library as bytes, so the programs need
# no file beside them. `cmake --build B --target scenario_pot` refreshes
# po/scenario.pot for translators.
find_program(XGETTEXT xgettext REQUIRED)
find_program(MSGFMT msgfmt REQUIRED)
find_program(MSGCMP msgcmp REQUIRED)
find_program(MSGMERGE msgmerge REQUIRED)

file(GLOB_RECURSE scenario_marked_sources CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/src/*/*.cc ${CMAKE_SOURCE_DIR}/src/*/*.h
     ${CMAKE_SOURCE_DIR}/src/main.cc ${CMAKE_SOURCE_DIR}/tools/*/*.cc
     ${CMAKE_SOURCE_DIR}/tools/*/*.h)
list(FILTER scenario_marked_sources EXCLUDE REGEX "/tools/bench/")
list(SORT scenario_marked_sources)
set(scenario_xgettext_options
    --language=C++ --from-code=UTF-8 --add-comments=TRANSLATORS:
    --keyword= --keyword=tr --keyword=tr_ --keyword=N_ --keyword=format:1
    --keyword=plural:1,2 --keyword=format_plural:1,2
    --keyword=context:1c,2 --keyword=NC_:1c,2
    --package-name=scenario --package-version=${PROJECT_VERSION}
    "--msgid-bugs-address=the scenario developers" --sort-by-file --no-wrap)

set(scenario_po_dir ${CMAKE_BINARY_DIR}/po)
file(MAKE_DIRECTORY ${scenario_po_dir})
set(scenario_pot ${scenario_po_dir}/scenario.pot)
set(scenario_mo ${scenario_po_dir}/it.mo)
set(scenario_catalogue_cc ${scenario_po_dir}/italian_catalogue.cc)

# Paths relative to the project, so the template reads the same anywhere.
set(scenario_marked_relative "")
foreach(f ${scenario_marked_sources})
  file(RELATIVE_PATH r ${CMAKE_SOURCE_DIR} ${f})
  list(APPEND scenario_marked_relative ${r})
endforeach()

add_custom_command(
  OUTPUT ${scenario_pot}
  COMMAND ${XGETTEXT} ${scenario_xgettext_options} -o ${scenario_pot}
          ${scenario_marked_relative}
  DEPENDS ${scenario_marked_sources}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Extracting the marked messages"
  VERBATIM)

add_custom_command(
  OUTPUT ${scenario_mo} ${scenario_catalogue_cc}
  COMMAND ${CMAKE_COMMAND} -DMSGFMT=${MSGFMT} -DMSGCMP=${MSGCMP} -DMSGMERGE=${MSGMERGE}
          -DPO=${CMAKE_SOURCE_DIR}/po/it.po -DPOT=${scenario_pot}
          -DMO=${scenario_mo} -DOUT=${scenario_catalogue_cc}
          -P ${CMAKE_SOURCE_DIR}/cmake/compile_catalogue.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/po/it.po ${scenario_pot}
          ${CMAKE_SOURCE_DIR}/cmake/compile_catalogue.cmake
  COMMENT "Checking and compiling the Italian catalogue"
  VERBATIM)

add_custom_target(scenario_pot
  COMMAND ${CMAKE_COMMAND} -E copy ${scenario_pot} ${CMAKE_SOURCE_DIR}/po/scenario.pot
  DEPENDS ${scenario_pot}
  COMMENT "Refreshing po/scenario.pot")
