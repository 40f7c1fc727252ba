# Compile options for our own targets. Third-party headers come in as system
# includes, so warnings (and -Werror) apply to our code only.
add_library(ditdahl_flags INTERFACE)
target_compile_options(ditdahl_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow
  # The same audio must give the same levels, keys and text on every machine.
  -ffp-contract=off)
if(DITDAHL_WERROR)
  target_compile_options(ditdahl_flags INTERFACE -Werror)
endif()

# Sanitizer instrumentation confuses GCC's flow analysis: it then reports
# "may be used uninitialized" inside the standard library's own templates
# (std::regex, std::function). The normal build keeps that warning for our code.
if(NOT DITDAHL_SANITIZE STREQUAL "" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(ditdahl_flags INTERFACE -Wno-maybe-uninitialized)
endif()

if(DITDAHL_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(DITDAHL_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT DITDAHL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "DITDAHL_SANITIZE must be empty, 'address' or 'thread'")
endif()
