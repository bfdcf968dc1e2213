# What makes the programs a release: the version they print, and, on
# Debian-like systems, the installed layout (programs, window module, manual
# pages, bash completion), the .deb package and the tests of all three.

# --- The version: `--version` prints the project's version and the commit.
set(SCENARIO_COMMIT "" CACHE STRING
    "commit printed by --version when the sources are no git checkout")
set(scenario_version_source ${CMAKE_BINARY_DIR}/generated/version.cc)
# Runs at every build, so the commit follows the checkout; the file is
# rewritten only when its text changes.
add_custom_target(scenario_version_source
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
          -DVERSION=${PROJECT_VERSION} -DCOMMIT=${SCENARIO_COMMIT}
          -DOUTPUT=${scenario_version_source}
          -P ${CMAKE_SOURCE_DIR}/cmake/version.cmake
  BYPRODUCTS ${scenario_version_source}
  VERBATIM)
add_library(scenario_version STATIC ${scenario_version_source})
add_dependencies(scenario_version scenario_version_source)
target_include_directories(scenario_version PUBLIC ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(scenario_builder PRIVATE scenario_version)
target_link_libraries(scenario_tool PRIVATE scenario_version)

if(NOT WIN32)
  set(scenario_package scenario-builder)
  set(scenario_maintainer
      "Scenario builder maintainers <maintainers@users.noreply.c-seed-6a65a025.example>")

  # --- Installed layout: bin/ and a private library folder of the package
  # for the window module (multiarch, as Debian places private libraries),
  # found through the program's run path. The program is told the same
  # folder: that it is there tells an installed program.
  if(CMAKE_LIBRARY_ARCHITECTURE)
    set(scenario_module_dir lib/${CMAKE_LIBRARY_ARCHITECTURE}/${scenario_package})
  else()
    set(scenario_module_dir lib/${scenario_package})
  endif()
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/shell/run.cc APPEND PROPERTY
    COMPILE_DEFINITIONS "SCENARIO_INSTALLED_MODULE_DIR=\"../${scenario_module_dir}\"")
  # The build-tree program carries the same run path (a folder that does not
  # exist beside it): left to itself, CMake would pad the build's run path
  # with empty entries, which the loader reads as the current directory.
  set_target_properties(scenario_builder PROPERTIES
    INSTALL_RPATH "$ORIGIN/../${scenario_module_dir}"
    BUILD_WITH_INSTALL_RPATH ON)
  # As DT_RPATH, not DT_RUNPATH: the loader applies a program's DT_RPATH to
  # every lookup, also to a dlopen that passes through a library (as the
  # sanitizers' interceptors do), and before LD_LIBRARY_PATH.
  target_link_options(scenario_builder PRIVATE -Wl,--disable-new-dtags)
  install(TARGETS scenario_builder scenario_tool RUNTIME DESTINATION bin)
  install(TARGETS scenario_window LIBRARY DESTINATION ${scenario_module_dir})

  # --- Manual pages, made by help2man from the programs' own --help and
  # --version: scenario(1), one page per subcommand that `scenario --help`
  # lists, scenario_builder(1). packaging/man/PAGE.h2m adds sections; each
  # page ends its description with its page of the manual in docs/. The
  # same pages in Italian (packaging/man/it adds their sections).
  find_program(HELP2MAN help2man REQUIRED)
  file(GLOB scenario_man_sections CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/packaging/man/*.h2m
       ${CMAKE_SOURCE_DIR}/packaging/man/it/*.h2m
       ${CMAKE_SOURCE_DIR}/docs/*.md)
  set(scenario_man_dir ${CMAKE_BINARY_DIR}/man)
  add_custom_command(OUTPUT ${scenario_man_dir}/pages.stamp
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/manpages.sh ${HELP2MAN}
            $<TARGET_FILE:scenario_tool> $<TARGET_FILE:scenario_builder>
            ${CMAKE_SOURCE_DIR}/packaging/man ${CMAKE_SOURCE_DIR}/docs
            ${CMAKE_SOURCE_DIR}/cmake/docs_to_man.pl ${scenario_man_dir}
    DEPENDS scenario_tool scenario_builder ${scenario_man_sections}
            ${CMAKE_SOURCE_DIR}/cmake/manpages.sh
            ${CMAKE_SOURCE_DIR}/cmake/docs_to_man.pl
    COMMENT "Writing the manual pages"
    VERBATIM)
  add_custom_target(scenario_manpages ALL
                    DEPENDS ${scenario_man_dir}/pages.stamp)
  install(DIRECTORY ${scenario_man_dir}/ DESTINATION share/man/man1
          FILES_MATCHING PATTERN "*.1.gz" PATTERN it EXCLUDE)
  # The Italian pages, UTF-8 text as Debian wants in a language's folder.
  install(DIRECTORY ${scenario_man_dir}/it/ DESTINATION share/man/it/man1
          FILES_MATCHING PATTERN "*.1.gz")

  # --- Bash completion of `scenario`.
  install(FILES ${CMAKE_SOURCE_DIR}/tools/scenario/completion.bash
          DESTINATION share/bash-completion/completions RENAME scenario)

  # --- The VS Code extension: the program comes from the package, on PATH.
  include(cmake/vscode.cmake)
  set(scenario_vsix_file ${CMAKE_BINARY_DIR}/scenario-${PROJECT_VERSION}.vsix)
  scenario_vsix(scenario_vsix ${scenario_vsix_file})
  install(FILES ${scenario_vsix_file} DESTINATION share/${scenario_package})

  # --- The package's documents: copyright and a changelog of the version.
  string(TIMESTAMP scenario_release_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in
                 ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
    VERBATIM)
  add_custom_target(scenario_changelog ALL
                    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright
                ${CMAKE_BINARY_DIR}/packaging/changelog.gz
          DESTINATION share/doc/${scenario_package})

  # --- The Debian package (cpack -G DEB), dependencies from dpkg-shlibdeps.
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME ${scenario_package})
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_CONTACT ${scenario_maintainer})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "builds and checks scenarios of a train-driving simulator")
  set(CPACK_PACKAGE_DESCRIPTION
      "scenario_builder writes the scenario it carries (the line Tarvena_Olmisco
driven by the train IR 4518) and compiles it into the simulator's binary
files. The scenario tool compiles any line and train description, checks
descriptions for errors and consistency warnings, and reads, compares and
draws compiled scenarios.")
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  include(CPack)

  # --- Tests of the installed layout, the package, the pages, completion.
  set(scenario_packaging_tests ${CMAKE_SOURCE_DIR}/tests/packaging)
  set_source_files_properties(${scenario_packaging_tests}/install_test.cc
    PROPERTIES COMPILE_DEFINITIONS
    "SCENARIO_BUILD_DIR=\"${CMAKE_BINARY_DIR}\";SCENARIO_CMAKE_COMMAND=\"${CMAKE_COMMAND}\";SCENARIO_VERSION=\"${PROJECT_VERSION}\"")
  # The install test installs the build: everything installed is built first.
  add_dependencies(scenario_tests scenario_manpages scenario_changelog scenario_vsix)
  # The package is made of the release build; a sanitized build is none.
  if(NOT SCENARIO_SANITIZE)
    add_test(NAME packaging.debian_package
      COMMAND ${scenario_packaging_tests}/package_test.sh ${CMAKE_CPACK_COMMAND}
              ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  endif()
  add_test(NAME packaging.version
    COMMAND ${scenario_packaging_tests}/version_test.sh ${CMAKE_COMMAND}
            ${CMAKE_SOURCE_DIR}/cmake/version.cmake)
  add_test(NAME packaging.manual_pages
    COMMAND ${scenario_packaging_tests}/manpages_test.sh ${scenario_man_dir}
            $<TARGET_FILE:scenario_tool> ${CMAKE_SOURCE_DIR}/docs)
  add_test(NAME packaging.completion
    COMMAND ${scenario_packaging_tests}/completion_test.sh
            ${CMAKE_SOURCE_DIR}/tools/scenario/completion.bash
            $<TARGET_FILE:scenario_tool>)
endif()
