# Checks and tests of the Windows build.
#  - ditdahl_pe_check(<target> GUI|CONSOLE): a host test (label pe-check) that
#    the .exe has the build's bitness and subsystem and imports only Windows's
#    own DLLs. It runs for the 32-bit build too, where nothing can be run.
#  - ditdahl_wine_gtest(<target> <label>): the GoogleTest program as one test
#    (and its file as a pe-check) under wine64, in the "wine" fixture (wine-session.sh up/down: a private
#    Xvfb, wineserver and prefix in the build tree). One test per program, not
#    per case: every case listed separately would cost a Wine start each.
#  - DITDAHL_WINE_ENV, DITDAHL_WINE_SESSION: for tests that drive Wine
#    themselves.

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  set(DITDAHL_PE_BITS 32)
  set(DITDAHL_PE_OBJDUMP i686-w64-mingw32-objdump)
else()
  set(DITDAHL_PE_BITS 64)
  set(DITDAHL_PE_OBJDUMP x86_64-w64-mingw32-objdump)
endif()

function(ditdahl_pe_check target subsystem)
  add_test(NAME pe.${target}
    COMMAND ${CMAKE_COMMAND} -DPE_FILE=$<TARGET_FILE:${target}> -DOBJDUMP=${DITDAHL_PE_OBJDUMP}
            -DEXPECT_BITS=${DITDAHL_PE_BITS} -DEXPECT_SUBSYSTEM=${subsystem}
            -P ${PROJECT_SOURCE_DIR}/cmake/PeImportsCheck.cmake)
  set_tests_properties(pe.${target} PROPERTIES LABELS pe-check)
endfunction()

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  # 32-bit programs cannot run on the build machines (no wine32): the tests
  # are not registered, and only the program is checked.
  function(ditdahl_wine_gtest target label)
  endfunction()
  return()
endif()

get_filename_component(_wine_dir "${CMAKE_CROSSCOMPILING_EMULATOR}" DIRECTORY)
# HOME in the build tree: Wine's menu builder and PulseAudio's client write
# under it. Only Mono and Gecko are switched off: switching off the menu
# builder leaves the RPC service unstarted, and the first GUI program then
# waits 3 s for it.
set(DITDAHL_WINE_ENV
    "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
    "HOME=${CMAKE_BINARY_DIR}/wine-home"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml="
    "WINE_DIR=${_wine_dir}")
set(DITDAHL_WINE_SESSION /bin/sh ${PROJECT_SOURCE_DIR}/cmake/wine-session.sh)

add_test(NAME wine.up COMMAND /usr/bin/env ${DITDAHL_WINE_ENV} ${DITDAHL_WINE_SESSION} up)
add_test(NAME wine.down COMMAND /usr/bin/env ${DITDAHL_WINE_ENV} ${DITDAHL_WINE_SESSION} down)
set_tests_properties(wine.up PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 300)
set_tests_properties(wine.down PROPERTIES FIXTURES_CLEANUP wine LABELS wine TIMEOUT 60)

function(ditdahl_wine_gtest target label)
  ditdahl_pe_check(${target} CONSOLE)
  add_test(NAME ${target}
           COMMAND /usr/bin/env ${DITDAHL_WINE_ENV} ${DITDAHL_WINE_SESSION} run $<TARGET_FILE:${target}> --gtest_brief=1)
  set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine LABELS "${label};wine")
endfunction()
