// process_reader.h - the facts of one process, read from /proc/PID. A
// process may end between any two reads; the reader then reports it as
// gone, never as an error.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cimom::live {

// Files beyond /proc/PID/stat that a read may need.
enum ProcessParts : unsigned {
    processStatus = 1,       // /proc/PID/status: the real user id
    processCommandLine = 2,  // /proc/PID/cmdline
    processExecutable = 4,   // /proc/PID/exe
    processWaitChannel = 8,  // /proc/PID/wchan
};

struct ProcessFacts {
    pid_t pid = 0;
    std::string name;  // the kernel's name of the process (bytes; 15 at most but for kernel threads)
    char state = '?';  // the kernel's state letter
    long long parent = 0, group = 0, session = 0;
    long long ttyNumber = 0;  // the controlling terminal's device number, 0 for none
    long long priority = 0;   // the kernel's priority field (20 + nice for normal tasks)
    long long nice = 0;
    long long threads = 0;
    unsigned long long startTicks = 0;  // clock ticks after boot
    unsigned long long userTicks = 0, kernelTicks = 0;
    unsigned long long virtualBytes = 0, residentPages = 0;
    // Filled only when the read asked for their part.
    std::optional<std::uint64_t> realUserId;
    std::optional<std::vector<std::string>> arguments;  // nullopt: no command line (kernel threads, zombies)
    std::string executable;                             // empty when unreadable
    std::string waitChannel;                            // empty when none or unreadable
};

// The ids of the processes that exist now, in the order /proc lists them
// (threads other than a process's first are not listed). Never fails: an
// unreadable /proc gives an empty list.
std::vector<pid_t> listProcessIds();

// How many processes exist now (the length of listProcessIds, without the list).
std::uint32_t countProcesses();

// Fills facts from the text of /proc/PID/stat. The name may hold any byte,
// ')' and blanks included. False for text that is not such a line.
bool parseProcessStat(std::string_view text, ProcessFacts &facts);

// Replaces facts with those of process pid: its stat line and the parts
// asked for (a part that cannot be read stays empty). With
// requireProcess, /proc/PID/status is read too and a thread that is not
// its process's first counts as absent. False when the process does not
// exist (any more).
bool readProcess(pid_t pid, unsigned parts, bool requireProcess, ProcessFacts &facts);

// The name of the terminal with device number ttyNumber ("pts/3", "tty1",
// "ttyS0", else "major:minor"); empty for 0.
std::string terminalName(long long ttyNumber);

// The process id that text spells exactly (decimal digits, no sign, no
// blanks, greater than 0); nullopt otherwise.
std::optional<pid_t> processIdOf(std::wstring_view text);

}  // namespace cimom::live
