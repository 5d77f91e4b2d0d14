# SPDX-License-Identifier: MIT
# Delay-loaded system DLLs. The graphics libraries import DLLs that nothing
# else uses (input methods, COM, device setup, version resources, multimedia
# timers). A headless run never starts those libraries, yet Wine would load
# and initialize every imported DLL before main (about 20 ms). Linked through
# delay-import libraries instead, each DLL is loaded on the first call into it
# (a windowed run: at SDL_Init).
#
# vigilor_delay_load(<target> <dll>...) rewrites <target>'s interface so that
# its users link the delay-import library of each <dll> in place of the plain
# import library. The libraries are made at build time by dlltool from the
# exports of mingw-w64's own import libraries; targets that link <target>
# depend on vigilor_delay_imports. Call it once.

find_program(VIGILOR_DLLTOOL NAMES ${VIGILOR_MINGW_TRIPLE}-dlltool REQUIRED)
find_program(VIGILOR_NM NAMES ${VIGILOR_MINGW_TRIPLE}-nm REQUIRED)
set(VIGILOR_DELAY_DIR ${CMAKE_BINARY_DIR}/delay-imports)

# The functions an import library exports: its members' code symbols.
function(vigilor_write_delay_def dll def)
  find_library(import_library NAMES ${dll} NO_CACHE REQUIRED)
  execute_process(COMMAND ${VIGILOR_NM} -g --defined-only ${import_library}
                  OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" entries "${symbols}")
  list(TRANSFORM entries REPLACE "^[0-9a-f]+ T " "")
  list(REMOVE_DUPLICATES entries)
  list(JOIN entries "\n" exports)
  file(WRITE ${def}.new "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
  file(COPY_FILE ${def}.new ${def} ONLY_IF_DIFFERENT)
  file(REMOVE ${def}.new)
endfunction()

function(vigilor_delay_load target)
  get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
  foreach(dll IN LISTS ARGN)
    set(def ${VIGILOR_DELAY_DIR}/${dll}.def)
    set(library ${VIGILOR_DELAY_DIR}/lib${dll}_delay.a)
    vigilor_write_delay_def(${dll} ${def})
    add_custom_command(OUTPUT ${library}
                       COMMAND ${VIGILOR_DLLTOOL} --input-def ${def} --dllname ${dll}.dll --output-delaylib ${library}
                       DEPENDS ${def} VERBATIM)
    list(APPEND libraries ${library})
    list(TRANSFORM links REPLACE "^\\$<LINK_ONLY:${dll}>$" "$<LINK_ONLY:${library}>")
  endforeach()
  add_custom_target(vigilor_delay_imports DEPENDS ${libraries})
  set_target_properties(${target} PROPERTIES INTERFACE_LINK_LIBRARIES "${links}")
endfunction()
