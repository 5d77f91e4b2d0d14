# SPDX-License-Identifier: MIT
# Source layout, by file name inside each subsystem folder of src/:
#   name.cpp            portable code, compiled by every preset
#   name_win.cpp        Windows-only code (may include windows.h)
#   name_test.cpp       portable tests (native and, under Wine, Windows)
#   name_win_test.cpp   Windows-only tests, run under Wine
#   name_fuzz.cpp       libFuzzer target (native, clang)
#   main_win.cpp        program entry of the bootstrapper
set(VIGILOR_SUBSYSTEMS foundation settings localization launcher acquisition module ui telemetry wine)

set(VIGILOR_PORTABLE_SOURCES)
set(VIGILOR_WIN_SOURCES)
set(VIGILOR_PORTABLE_TESTS)
set(VIGILOR_WIN_TESTS)
set(VIGILOR_FUZZ_TARGETS)
foreach(sub IN LISTS VIGILOR_SUBSYSTEMS)
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${sub}/*.cpp)
  foreach(f IN LISTS files)
    get_filename_component(n ${f} NAME)
    if(n STREQUAL "main_win.cpp")
      continue()
    elseif(n MATCHES "_win_test\\.cpp$")
      list(APPEND VIGILOR_WIN_TESTS ${f})
    elseif(n MATCHES "_test\\.cpp$")
      list(APPEND VIGILOR_PORTABLE_TESTS ${f})
    elseif(n MATCHES "_fuzz\\.cpp$")
      list(APPEND VIGILOR_FUZZ_TARGETS ${f})
    elseif(n MATCHES "_win\\.cpp$")
      list(APPEND VIGILOR_WIN_SOURCES ${f})
    else()
      list(APPEND VIGILOR_PORTABLE_SOURCES ${f})
    endif()
  endforeach()
endforeach()

function(vigilor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()
