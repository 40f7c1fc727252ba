# The fuzz build: every library of src/ instrumented for libFuzzer's coverage
# feedback and checked by AddressSanitizer and UndefinedBehaviorSanitizer, so
# that a fault deep in the core stops the run where it happens. Needs clang:
# GCC has no libFuzzer. The window is not built: no fuzz target needs Qt.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "DITDAHL_FUZZ needs clang (cmake --preset fuzz uses clang++-16)")
endif()
if(NOT DITDAHL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "DITDAHL_FUZZ brings its own sanitizers; leave DITDAHL_SANITIZE empty")
endif()
set(DITDAHL_WITH_GUI OFF CACHE BOOL "" FORCE)
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
