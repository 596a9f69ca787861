// file_system_provider.h - the file systems mounted on this machine as
// CIMXML_LocalFileSystem, named by their mount points, with their sizes.
#pragma once

#include <memory>

#include "providers/live_provider.h"

namespace cimom::live {

// The provider of CIMXML_LocalFileSystem: one instance per mount point of
// /proc/self/mounts, sized by statvfs only when a size is asked for.
std::shared_ptr<LiveInstanceProvider> makeFileSystemProvider();

}  // namespace cimom::live
