# SPDX-License-Identifier: MIT
# Host build of the portable code and its tests, under sanitizers.
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
include(GoogleTest)

if(VIGILOR_SANITIZE)
  add_compile_options(-fsanitize=${VIGILOR_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VIGILOR_SANITIZE})
endif()

if(VIGILOR_FUZZ)
  # Coverage instrumentation for the code under test; the fuzz drivers link libFuzzer.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

add_library(vigilor_portable STATIC ${VIGILOR_PORTABLE_SOURCES})
target_include_directories(vigilor_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(vigilor_portable PUBLIC Threads::Threads)
vigilor_warnings(vigilor_portable)

add_executable(vigilor_tests ${VIGILOR_PORTABLE_TESTS})
target_link_libraries(vigilor_tests PRIVATE vigilor_portable GTest::gtest GTest::gtest_main)
target_compile_definitions(vigilor_tests PRIVATE VIGILOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
vigilor_warnings(vigilor_tests)
gtest_discover_tests(vigilor_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

add_subdirectory(tools)

if(VIGILOR_FUZZ)
  foreach(f IN LISTS VIGILOR_FUZZ_TARGETS)
    get_filename_component(name ${f} NAME_WE)
    add_executable(${name} ${f})
    target_link_libraries(${name} PRIVATE vigilor_portable)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()

# Fuzz corpora also run as ordinary regression tests through a replay driver.
foreach(f IN LISTS VIGILOR_FUZZ_TARGETS)
  get_filename_component(name ${f} NAME_WE)
  get_filename_component(dir ${f} DIRECTORY)
  set(corpus ${dir}/corpus/${name})
  add_executable(${name}_replay ${f} ${CMAKE_SOURCE_DIR}/tools/fuzz_replay.cpp)
  target_link_libraries(${name}_replay PRIVATE vigilor_portable)
  add_test(NAME ${name}_corpus COMMAND ${name}_replay ${corpus})
endforeach()
