# The VS Code extension (editors/vscode) packed as scenario-VERSION.vsix by
# @vscode/vsce, which scripts/setup installs into .tools/ with the
# extension's one dependency. scenario_vsix(TARGET OUTPUT [PROGRAM]) adds a
# target that packs it, carrying PROGRAM (a target) in the extension's bin/
# when given (stripped, as the packages carry it).
set(scenario_vsce ${CMAKE_SOURCE_DIR}/.tools/vsce/node_modules/.bin/vsce)
set(scenario_vscode_deps ${CMAKE_SOURCE_DIR}/.tools/vscode-extension/node_modules)
file(GLOB_RECURSE scenario_vscode_sources CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/editors/vscode/*)

function(scenario_vsix target output)
  set(program "")
  set(depends ${scenario_vscode_sources} ${CMAKE_SOURCE_DIR}/cmake/vsix.sh)
  if(ARGC GREATER 2)
    set(program $<TARGET_FILE:${ARGV2}> ${CMAKE_STRIP})
    list(APPEND depends ${ARGV2})
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/vsix.sh ${scenario_vsce}
            ${CMAKE_SOURCE_DIR}/editors/vscode ${scenario_vscode_deps}
            ${CMAKE_CURRENT_BINARY_DIR}/${target}_stage ${PROJECT_VERSION}
            ${output} ${program}
    DEPENDS ${depends}
    COMMENT "Packing the VS Code extension ${output}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
