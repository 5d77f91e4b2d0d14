# SPDX-License-Identifier: MIT
# The real product: mingw-w64 cross build, statically linked, run under Wine.
find_package(SDL2 CONFIG REQUIRED)
find_package(SDL2_image CONFIG REQUIRED)
find_package(SDL2_ttf CONFIG REQUIRED)
find_package(CURL CONFIG REQUIRED)
find_package(GTest CONFIG REQUIRED)
include(${CMAKE_SOURCE_DIR}/cmake/DelayLoad.cmake)
vigilor_delay_load(SDL2::SDL2-static imm32 ole32 oleaut32 setupapi version winmm)

set(VIGILOR_SYSTEM_LIBS ws2_32 crypt32 bcrypt secur32 wldap32 normaliz advapi32 gdi32 user32 shell32 uuid)
set(VIGILOR_STATIC_LINK -static -static-libgcc -static-libstdc++)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${CMAKE_BINARY_DIR}/wineprefix)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 SDL_MAIN_HANDLED)

add_library(vigilor_portable STATIC ${VIGILOR_PORTABLE_SOURCES})
target_include_directories(vigilor_portable PUBLIC ${CMAKE_SOURCE_DIR}/src)
vigilor_warnings(vigilor_portable)

add_library(vigilor_win STATIC ${VIGILOR_WIN_SOURCES})
target_link_libraries(vigilor_win PUBLIC vigilor_portable SDL2::SDL2-static SDL2_image::SDL2_image-static
                      SDL2_ttf::SDL2_ttf-static CURL::libcurl ${VIGILOR_SYSTEM_LIBS})
vigilor_warnings(vigilor_win)
add_dependencies(vigilor_win vigilor_delay_imports)

# The shipped executable and, for tests only, a twin built with failure seams.
function(vigilor_bootstrapper name)
  add_executable(${name} WIN32 ${CMAKE_SOURCE_DIR}/src/launcher/main_win.cpp
                 ${CMAKE_SOURCE_DIR}/assets/resources/bootstrapper.rc)
  target_link_libraries(${name} PRIVATE vigilor_win)
  target_link_options(${name} PRIVATE ${VIGILOR_STATIC_LINK} -municode)
  vigilor_warnings(${name})
endfunction()
vigilor_bootstrapper(VigilorBootstrapper)
vigilor_bootstrapper(VigilorBootstrapperTestSeams)
target_compile_definitions(VigilorBootstrapperTestSeams PRIVATE VIGILOR_TEST_SEAMS=1)

add_executable(vigilor_win_tests ${VIGILOR_PORTABLE_TESTS} ${VIGILOR_WIN_TESTS})
target_link_libraries(vigilor_win_tests PRIVATE vigilor_win GTest::gtest GTest::gtest_main)
target_link_options(vigilor_win_tests PRIVATE ${VIGILOR_STATIC_LINK})
target_compile_definitions(vigilor_win_tests PRIVATE VIGILOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
vigilor_warnings(vigilor_win_tests)
add_test(NAME win_unit_tests COMMAND vigilor_win_tests)
set_tests_properties(win_unit_tests PROPERTIES TIMEOUT 300)

add_subdirectory(tests)
add_subdirectory(tools)
