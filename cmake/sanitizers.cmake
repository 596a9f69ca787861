# Sanitizer and fuzzing builds.
#   -DCIMXML_SANITIZE=address,undefined   every target built and linked with
#                                          those sanitizers (gcc or clang)
#   -DCIMXML_FUZZ=ON                       clang only: libFuzzer's coverage on
#                                          every target, the fuzz programs built
#                                          (sanitizers address,undefined unless
#                                          CIMXML_SANITIZE says otherwise)
set(CIMXML_SANITIZE "" CACHE STRING "Sanitizers for every target, as -fsanitize takes them")
option(CIMXML_FUZZ "Build the libFuzzer programs under fuzz/ (clang)" OFF)

if(CIMXML_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "CIMXML_FUZZ needs clang (CXX=clang++ CC=clang)")
  endif()
  if(NOT CIMXML_SANITIZE)
    set(CIMXML_SANITIZE address,undefined)
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Link option that keeps shared libraries free of unresolved symbols. clang
# links the sanitizer runtimes into programs only, so a sanitized shared
# library leaves those symbols to the program that loads it.
set(CIMXML_NO_UNDEFINED -Wl,--no-undefined)
if(CIMXML_SANITIZE)
  # Stop at the first report, so that a test or a fuzz run fails on it.
  add_compile_options(-fsanitize=${CIMXML_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${CIMXML_SANITIZE} -fno-sanitize-recover=all)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(CIMXML_NO_UNDEFINED "")
  else()
    # gcc's flow analysis sees through ASan's instrumentation badly and warns
    # about members of std::regex states that are always set.
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
endif()
