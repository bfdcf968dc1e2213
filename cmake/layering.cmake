# The build's layers hold: a folder of src/ compiles with its own and the
# lower folders' include roots, and with those alone it cannot even find a
# higher folder's header. Each test runs the compiler on a probe of one
# line; a pair that passes here is an include the build refuses.
set(layering_dir ${CMAKE_BINARY_DIR}/layering)
file(MAKE_DIRECTORY ${layering_dir})
set(layering_roots "")
set(layering_below "")
foreach(lower ${scenario_layers})
  list(APPEND layering_roots -I${CMAKE_BINARY_DIR}/layers/${lower})
  list(APPEND layering_below ${lower})
  # Every header of the folder, system-specific ones aside, builds alone.
  file(GLOB own_headers RELATIVE ${CMAKE_SOURCE_DIR}/src
       ${CMAKE_SOURCE_DIR}/src/${lower}/*.h)
  list(FILTER own_headers EXCLUDE REGEX "_(windows|posix)\\.h$")
  set(probe "")
  foreach(header ${own_headers})
    string(APPEND probe "#include \"${header}\"\n")
  endforeach()
  file(CONFIGURE OUTPUT ${layering_dir}/${lower}_alone.cc CONTENT "${probe}")
  add_test(NAME layering.${lower}_builds_alone
           COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only
                   ${layering_roots} ${layering_dir}/${lower}_alone.cc)
  # A header of each higher folder is out of its sight.
  set(upper_layers ${scenario_layers})
  list(REMOVE_ITEM upper_layers ${layering_below})
  foreach(upper ${upper_layers})
    file(GLOB upper_headers RELATIVE ${CMAKE_SOURCE_DIR}/src
         ${CMAKE_SOURCE_DIR}/src/${upper}/*.h)
    list(GET upper_headers 0 upper_header)
    set(probe ${layering_dir}/${lower}_includes_${upper}.cc)
    file(CONFIGURE OUTPUT ${probe} CONTENT "#include \"${upper_header}\"\n")
    add_test(NAME layering.${lower}_cannot_include_${upper}
             COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only
                     ${layering_roots} ${probe})
    set_tests_properties(layering.${lower}_cannot_include_${upper} PROPERTIES
      PASS_REGULAR_EXPRESSION "${upper_header}: No such file or directory")
  endforeach()
endforeach()
