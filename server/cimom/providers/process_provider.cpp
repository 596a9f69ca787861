// process_provider.cpp - processes from /proc.
#include "providers/process_provider.h"

#include <algorithm>

#include "providers/cim_datetime.h"
#include "providers/live_values.h"
#include "providers/process_reader.h"
#include "providers/system_reader.h"

namespace cimom::live {

namespace {

// Beyond the process's own parts: the boot time its start is counted from.
constexpr unsigned bootTimeNeeded = 16;

struct Process {
    ProcessFacts facts;
    std::optional<std::int64_t> boot;
};

std::uint64_t milliseconds(unsigned long long ticks) {
    return static_cast<std::uint64_t>(ticks) * 1000 / static_cast<std::uint64_t>(clockTicksPerSecond());
}

cimobj::ValuePtr creationDate(const Process &p) {
    if (!p.boot) return nullptr;
    auto hz = static_cast<unsigned long long>(clockTicksPerSecond());
    auto seconds = *p.boot + static_cast<std::int64_t>(p.facts.startTicks / hz);
    auto microseconds = static_cast<std::uint32_t>(p.facts.startTicks % hz * 1000000 / hz);
    return dateTimeValue(cimDateTime(seconds, microseconds));
}

cimobj::ValuePtr textOrNull(const std::string &bytes) { return bytes.empty() ? nullptr : kernelTextValue(bytes); }

using P = LiveProperty<Process>;
const P processProperties[] = {
    {L"Name", [](const Identity &, const Process &p) { return kernelTextValue(p.facts.name); }},
    // The kernel's priority, 0 (first) to 139; the stat field counts from 100.
    {L"Priority",
     [](const Identity &, const Process &p) {
         return uint32Value(static_cast<std::uint32_t>(std::max(0LL, p.facts.priority + 100)));
     }},
    {L"ExecutionState", [](const Identity &, const Process &p) { return uint16Value(executionStateOf(p.facts.state)); }},
    {L"CreationDate", [](const Identity &, const Process &p) { return creationDate(p); }, bootTimeNeeded},
    {L"KernelModeTime", [](const Identity &, const Process &p) { return uint64Value(milliseconds(p.facts.kernelTicks)); }},
    {L"UserModeTime", [](const Identity &, const Process &p) { return uint64Value(milliseconds(p.facts.userTicks)); }},
    {L"WorkingSetSize",
     [](const Identity &, const Process &p) {
         return uint64Value(p.facts.residentPages * static_cast<std::uint64_t>(pageSize()));
     }},
    {L"ParentProcessID", [](const Identity &, const Process &p) { return textValue(std::to_wstring(p.facts.parent)); }},
    {L"RealUserID",
     [](const Identity &, const Process &p) { return p.facts.realUserId ? uint64Value(*p.facts.realUserId) : nullptr; },
     processStatus},
    {L"ProcessGroupID",
     [](const Identity &, const Process &p) { return uint64Value(static_cast<std::uint64_t>(p.facts.group)); }},
    {L"ProcessSessionID",
     [](const Identity &, const Process &p) { return uint64Value(static_cast<std::uint64_t>(p.facts.session)); }},
    {L"ProcessTTY", [](const Identity &, const Process &p) { return textOrNull(terminalName(p.facts.ttyNumber)); }},
    {L"ModulePath", [](const Identity &, const Process &p) { return textOrNull(p.facts.executable); },
     processExecutable},
    {L"Parameters",
     [](const Identity &, const Process &p) {
         return p.facts.arguments ? kernelTextArray(*p.facts.arguments) : nullptr;
     },
     processCommandLine},
    // The nice value counted from 0 (-20) to 39 (19), as the type is unsigned.
    {L"ProcessNiceValue",
     [](const Identity &, const Process &p) {
         return uint32Value(static_cast<std::uint32_t>(std::clamp(p.facts.nice + 20, 0LL, 39LL)));
     }},
    {L"ProcessWaitingForEvent", [](const Identity &, const Process &p) { return textOrNull(p.facts.waitChannel); },
     processWaitChannel},
    {L"VirtualMemorySize", [](const Identity &, const Process &p) { return uint64Value(p.facts.virtualBytes); }},
    {L"ThreadCount",
     [](const Identity &, const Process &p) { return uint32Value(static_cast<std::uint32_t>(p.facts.threads)); }},
};

class ProcessProvider : public LiveProvider<Process> {
public:
    void listPaths(const Identity &identity, std::vector<cimobj::PathPtr> &paths) override {
        // Names need no more than the listing of /proc.
        std::vector<pid_t> ids = listProcessIds();
        paths.reserve(paths.size() + ids.size());
        for (pid_t pid : ids) paths.push_back(livePath(processClass, processKeys(identity, pid)));
    }

protected:
    std::wstring_view className() const override { return processClass; }
    std::span<const Property> properties() const override { return processProperties; }
    KeyValues keys(const Identity &identity, const Process &p) const override {
        return processKeys(identity, p.facts.pid);
    }

    Status read(const Identity &identity, const CIMObjectPath &path, unsigned needs, Process &process) override {
        std::optional<std::wstring> handle = keyText(path, L"Handle");
        std::optional<pid_t> pid = handle ? processIdOf(*handle) : std::nullopt;
        Status status = matchPath(path, processClass, processKeys(identity, pid.value_or(0)), L"Handle");
        if (!status.ok()) return status;
        if (!pid || !readProcess(*pid, needs, true, process.facts))
            return Status::error(6, "process " + cimobj::toUtf8(*handle) + " does not exist");
        if (needs & bootTimeNeeded) {
            refreshTimeZone();
            process.boot = bootTime();
        }
        return status;
    }

    void forEach(const Identity &, unsigned needs, const std::function<void(const Process &)> &each) override {
        Process process;
        if (needs & bootTimeNeeded) {
            refreshTimeZone();
            process.boot = bootTime();
        }
        for (pid_t pid : listProcessIds())
            if (readProcess(pid, needs, false, process.facts)) each(process);
    }
};

}  // namespace

std::shared_ptr<LiveInstanceProvider> makeProcessProvider() { return std::make_shared<ProcessProvider>(); }

std::uint16_t executionStateOf(char state) {
    switch (state) {
        case 'R': return 3;                                // Running
        case 'S': case 'D': case 'I': return 4;            // Blocked
        case 'T': case 't': return 8;                      // Stopped
        case 'Z': case 'X': case 'x': return 7;            // Terminated
        default: return 0;                                 // Unknown
    }
}

}  // namespace cimom::live
