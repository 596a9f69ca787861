// system_reader.cpp - uname, /proc/meminfo, /proc/stat, /proc/loadavg and utmp.
#include "providers/system_reader.h"

#include <sys/utsname.h>
#include <unistd.h>
#include <utmp.h>

#include <charconv>
#include <cstring>

#include "providers/proc_files.h"

namespace cimom::live {

std::wstring machineName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return L"localhost";
    return kernelText(name);
}

KernelNames kernelNames() {
    utsname names{};
    if (uname(&names) != 0) return {L"Linux", {}};
    return {kernelText(names.sysname), kernelText(std::string(names.release) + " " + names.version)};
}

void parseMemoryInfo(std::string_view text, MemoryFacts &memory) {
    const std::pair<std::string_view, std::optional<std::uint64_t> MemoryFacts::*> fields[] = {
        {"MemTotal:", &MemoryFacts::total},
        {"MemFree:", &MemoryFacts::free},
        {"SwapTotal:", &MemoryFacts::swapTotal},
        {"SwapFree:", &MemoryFacts::swapFree},
    };
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        for (const auto &[label, member] : fields) {
            unsigned long long kib = 0;
            if (line.starts_with(label) && parseDecimal(line.substr(label.size()), kib)) memory.*member = kib;
        }
    }
}

MemoryFacts readMemory() {
    MemoryFacts memory;
    std::string text;
    if (readWholeFile("/proc/meminfo", text)) parseMemoryInfo(text, memory);
    return memory;
}

std::optional<std::int64_t> bootTime() {
    std::string text;
    if (!readWholeFile("/proc/stat", text)) return std::nullopt;
    std::size_t at = text.find("\nbtime ");
    unsigned long long seconds = 0;
    if (at == std::string::npos || !parseDecimal(std::string_view(text).substr(at + 7), seconds)) return std::nullopt;
    return static_cast<std::int64_t>(seconds);
}

bool readLoadAverages(LoadAverages &load) {
    std::string text;
    if (!readWholeFile("/proc/loadavg", text)) return false;
    const char *at = text.data();
    const char *end = text.data() + text.size();
    for (double *figure : {&load.one, &load.five, &load.fifteen}) {
        while (at < end && *at == ' ') ++at;
        auto [next, error] = std::from_chars(at, end, *figure);
        if (error != std::errc()) return false;
        at = next;
    }
    return true;
}

std::uint32_t countUserSessions() {
    std::string text;
    if (!readWholeFile(_PATH_UTMP, text)) return 0;
    std::uint32_t sessions = 0;
    for (std::size_t at = 0; at + sizeof(utmp) <= text.size(); at += sizeof(utmp)) {
        utmp entry;
        std::memcpy(&entry, text.data() + at, sizeof entry);
        if (entry.ut_type != USER_PROCESS || entry.ut_pid <= 0) continue;
        // A session whose process died without logging out is not open.
        std::string proc = "/proc/" + std::to_string(entry.ut_pid);
        if (::access(proc.c_str(), F_OK) == 0) ++sessions;
    }
    return sessions;
}

std::optional<std::uint32_t> processIdLimit() {
    std::string text;
    unsigned long long limit = 0;
    if (!readWholeFile("/proc/sys/kernel/pid_max", text) || !parseDecimal(text, limit) || limit > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(limit);
}

long clockTicksPerSecond() {
    static const long ticks = [] {
        long value = sysconf(_SC_CLK_TCK);
        return value > 0 ? value : 100;
    }();
    return ticks;
}

long pageSize() {
    static const long size = [] {
        long value = sysconf(_SC_PAGESIZE);
        return value > 0 ? value : 4096;
    }();
    return size;
}

}  // namespace cimom::live
