// mount_reader.h - the file systems mounted, from /proc/self/mounts, and
// their sizes from statvfs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cimom::live {

struct MountFacts {
    std::string source, mountPoint, type;  // bytes as the kernel gives them, unescaped
    std::vector<std::string> options;
    // From statvfs, when measured is true.
    bool measured = false;
    std::uint64_t blockSize = 0, fragmentSize = 0, blocks = 0, freeBlocks = 0, availableBlocks = 0;
    std::uint64_t files = 0, freeFiles = 0, nameLength = 0;

    bool readOnly() const;  // mounted with the "ro" option
};

// The mounts a mounts table lists, in its order; a mount point listed again
// (a mount on top of another) keeps its first place and the newest entry.
// Lines that do not have four fields are skipped. The \ooo escapes of the
// table are undone.
std::vector<MountFacts> parseMounts(std::string_view text);

// The mounts of /proc/self/mounts now; empty when it cannot be read.
std::vector<MountFacts> readMounts();

// Fills the statvfs figures of mount; measured stays false when statvfs fails.
void measureMount(MountFacts &mount);

}  // namespace cimom::live
