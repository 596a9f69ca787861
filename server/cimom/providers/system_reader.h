// system_reader.h - facts of the running kernel and the machine: names,
// boot time, memory, sessions and load, read from uname, /proc and utmp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cimom::live {

// The machine's host name as gethostname gives it; "localhost" when it has none.
std::wstring machineName();

struct KernelNames {
    std::wstring system;   // "Linux"
    std::wstring version;  // release and build, such as "6.1.0-18-amd64 #1 SMP ..."
};
// The names uname gives; "Linux" and an empty version when it fails.
KernelNames kernelNames();

// Memory as /proc/meminfo gives it, in KiB; a figure the file lacks stays empty.
struct MemoryFacts {
    std::optional<std::uint64_t> total, free, swapTotal, swapFree;
};
// Fills memory from the text of /proc/meminfo; lines it does not know are skipped.
void parseMemoryInfo(std::string_view text, MemoryFacts &memory);
// The machine's memory now; empty figures when /proc/meminfo cannot be read.
MemoryFacts readMemory();

// When the machine booted, in seconds since the epoch (the btime line of
// /proc/stat); nullopt when it cannot be read.
std::optional<std::int64_t> bootTime();

struct LoadAverages {
    double one = 0, five = 0, fifteen = 0;
};
// The load averages of /proc/loadavg; false when it cannot be read or parsed.
bool readLoadAverages(LoadAverages &load);

// How many user sessions utmp lists whose process still exists; 0 when
// there is no utmp.
std::uint32_t countUserSessions();

// The kernel's pid_max, the bound of process ids (/proc/sys/kernel/pid_max);
// nullopt when unreadable.
std::optional<std::uint32_t> processIdLimit();

// The clock ticks per second of /proc times, and the page size in bytes.
long clockTicksPerSecond();
long pageSize();

}  // namespace cimom::live
