# The Windows build, cross-compiled with MinGW-w64 (cmake/mingw-w64.cmake):
# scenario_builder.exe and scenario.exe, each linked statically so that it
# runs alone on a bare Windows; the tests that run under Wine; the zip.

# Every program carries its C and C++ runtimes and the threads library.
add_link_options(-static)

# CLI11 and nlohmann-json are headers only: the same Debian headers serve
# both builds. Only their folders are shown to the cross compiler, never
# the rest of the Linux system's headers.
set(header_only_dir ${CMAKE_BINARY_DIR}/header_only)
foreach(header_folder CLI nlohmann)
  find_path(${header_folder}_include ${header_folder}
            PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${header_folder}_include)
    message(FATAL_ERROR "/usr/include/${header_folder} is missing: run scripts/setup")
  endif()
  file(MAKE_DIRECTORY ${header_only_dir})
  file(CREATE_LINK ${${header_folder}_include}/${header_folder}
       ${header_only_dir}/${header_folder} SYMBOLIC)
endforeach()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${header_only_dir})
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${header_only_dir})

# The library's Windows code speaks UTF-16 to the system.
target_compile_definitions(scenario_model PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN
                           NOMINMAX)

add_executable(scenario_builder WIN32 src/main.cc)
target_link_libraries(scenario_builder PRIVATE scenario CLI11::CLI11)

file(GLOB scenario_tool_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/scenario/*.cc)
add_executable(scenario_tool ${scenario_tool_sources})
set_target_properties(scenario_tool PROPERTIES OUTPUT_NAME scenario)
target_link_libraries(scenario_tool PRIVATE scenario CLI11::CLI11)

# GoogleTest from Debian's sources, built with the cross compiler.
set(googletest_source /usr/src/googletest)
if(EXISTS ${googletest_source}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${googletest_source} ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL SYSTEM)

  # The tests that hold on Windows: the pinned files of the whole run and of
  # `scenario compile`, the decoder's round trip, `scenario check` in its
  # three formats, runs that share a folder, the Windows file system, file
  # URIs with drive letters and accented folders, which pair and are served
  # as named, `scenario.exe lsp` as a process behind pipes, and the tools in
  # Italian.
  set(scenario_windows_tests
    tests/shell/whole_run_test.cc
    tests/tools/compile_command_test.cc
    tests/tools/compile_lock_test.cc
    tests/tools/check_command_test.cc
    tests/decoding/decoder_test.cc
    tests/output/replace_file_test.cc
    tests/output/native_file_windows_test.cc
    tests/model/file_uri_test.cc
    tests/editing/pairs_test.cc
    tests/editing/server_paths_test.cc
    tests/tools/lsp_command_test.cc
    tests/tools/language_test.cc
  )
  file(GLOB scenario_testing_sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/tests/testing/*.cc)
  list(FILTER scenario_testing_sources EXCLUDE REGEX "_posix\\.cc$")
  add_executable(scenario_windows_tests EXCLUDE_FROM_ALL ${scenario_windows_tests}
                 ${scenario_testing_sources})
  target_include_directories(scenario_windows_tests PRIVATE
                             ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(scenario_windows_tests PRIVATE scenario gtest gtest_main)
  # The tests find the programs beside themselves, so that the three can be
  # copied anywhere together (scripts/test runs them from a folder of their
  # own).
  target_compile_definitions(scenario_windows_tests PRIVATE
    "SCENARIO_BUILDER_PATH=scenario::testing::program_beside_tests(\"scenario_builder.exe\")"
    "SCENARIO_TOOL_PATH=scenario::testing::program_beside_tests(\"scenario.exe\")"
    SARIF_MULTITOOL_PATH="")
  add_dependencies(scenario_windows_tests scenario_builder scenario_tool)
endif()

# The window and the error box shown on their own, for the window test
# (tests/windows/window_test.sh).
add_executable(window_probe EXCLUDE_FROM_ALL tests/windows/window_probe_windows.cc)
target_link_libraries(window_probe PRIVATE scenario)
target_link_options(window_probe PRIVATE -municode)

# The download: scenario-VERSION-windows-x86_64.zip holding both programs,
# the README, the manual's pages (docs/NAME.txt) and a short note on their
# use, as Windows text (CR LF).
file(GLOB scenario_manual_pages RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/docs/*.md)
foreach(text README.md cmake/windows_how_to_use.txt ${scenario_manual_pages})
  # A change of the text configures again, so the zip never ships an old one.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${CMAKE_SOURCE_DIR}/${text})
  file(READ ${CMAKE_SOURCE_DIR}/${text} content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  get_filename_component(stem ${text} NAME_WE)
  get_filename_component(folder ${text} DIRECTORY)
  if(folder STREQUAL "docs")
    set(destination docs)
  else()
    set(destination .)
    string(TOUPPER ${stem} stem)
    string(REPLACE "WINDOWS_HOW_TO_USE" "HOW_TO_USE" stem ${stem})
  endif()
  file(WRITE ${CMAKE_BINARY_DIR}/zip_texts/${destination}/${stem}.txt "${content}")
  install(FILES ${CMAKE_BINARY_DIR}/zip_texts/${destination}/${stem}.txt
          DESTINATION ${destination})
endforeach()
install(TARGETS scenario_builder scenario_tool RUNTIME DESTINATION .)
# The VS Code extension, carrying scenario.exe for an editor that finds no
# program on PATH.
include(cmake/vscode.cmake)
scenario_vsix(scenario_vsix ${CMAKE_BINARY_DIR}/scenario-${PROJECT_VERSION}.vsix
              scenario_tool)
install(FILES ${CMAKE_BINARY_DIR}/scenario-${PROJECT_VERSION}.vsix DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME scenario)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME scenario-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
