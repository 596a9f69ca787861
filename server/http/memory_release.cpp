// memory_release.cpp - the allocator is found at run time: the program is
// linked with tcmalloc or not (cmake/allocator.cmake), and nothing here
// names it at link time.
#include "memory_release.h"

#include <dlfcn.h>
#include <malloc.h>

namespace cimxmld {

void returnFreeMemory() {
    using Release = void (*)();
    static const auto tcmalloc = reinterpret_cast<Release>(dlsym(RTLD_DEFAULT, "MallocExtension_ReleaseFreeMemory"));
    if (tcmalloc)
        tcmalloc();
    else
        malloc_trim(0);
}

}  // namespace cimxmld
