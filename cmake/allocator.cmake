# The allocator of the server's programs. The object manager hands every
# result over as a tree of small C blocks (an EnumerateInstances of 1e5
# instances is some 4 million of them, made and freed per request by a pool
# thread), which glibc's per-thread arenas serve by growing and trimming
# their heaps a page at a time: the 1e5 answer ran three times slower than
# with tcmalloc, whose thread caches keep that memory for the next request.
#   cimxml_allocator   an interface target: link it into a program (never a
#                      library: the program chooses its allocator)
#   -DCIMXML_TCMALLOC=OFF  keep glibc's malloc
# Sanitizer builds keep the sanitizers' own allocator.
option(CIMXML_TCMALLOC "Link the server's programs with tcmalloc (gperftools)" ON)
add_library(cimxml_allocator INTERFACE)
if(CIMXML_TCMALLOC AND NOT CIMXML_SANITIZE)
  find_library(TCMALLOC_MINIMAL_LIBRARY tcmalloc_minimal REQUIRED)
  # Nothing in the program calls tcmalloc by name; it replaces malloc by
  # being loaded first, so the linker must keep it.
  target_link_libraries(cimxml_allocator INTERFACE
    "-Wl,--push-state,--no-as-needed" ${TCMALLOC_MINIMAL_LIBRARY} "-Wl,--pop-state")
endif()
