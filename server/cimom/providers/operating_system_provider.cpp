// operating_system_provider.cpp - the one operating system, from uname and /proc.
#include "providers/operating_system_provider.h"

#include <ctime>

#include "providers/cim_datetime.h"
#include "providers/live_values.h"
#include "providers/process_reader.h"
#include "providers/system_reader.h"

namespace cimom::live {

namespace {

enum SystemParts : unsigned { systemMemory = 1, systemProcesses = 2, systemSessions = 4, systemBoot = 8, systemLimits = 16 };

struct System {
    KernelNames names;
    MemoryFacts memory;
    std::optional<std::int64_t> boot;
    timespec now{};
    std::uint32_t processes = 0, sessions = 0;
    std::optional<std::uint32_t> processLimit;
};

cimobj::ValuePtr kib(std::optional<std::uint64_t> figure) { return figure ? uint64Value(*figure) : nullptr; }

cimobj::ValuePtr kibSum(std::optional<std::uint64_t> a, std::optional<std::uint64_t> b) {
    return a && b ? uint64Value(*a + *b) : nullptr;
}

using P = LiveProperty<System>;
const P systemProperties[] = {
    {L"OSType", [](const Identity &, const System &) { return uint16Value(36); }},  // LINUX
    {L"Version", [](const Identity &, const System &s) { return textValue(s.names.version); }},
    {L"LastBootUpTime",
     [](const Identity &, const System &s) { return s.boot ? dateTimeValue(cimDateTime(*s.boot, 0)) : nullptr; },
     systemBoot},
    {L"LocalDateTime",
     [](const Identity &, const System &s) {
         return dateTimeValue(cimDateTime(s.now.tv_sec, static_cast<std::uint32_t>(s.now.tv_nsec / 1000)));
     }},
    {L"CurrentTimeZone",
     [](const Identity &, const System &s) { return sint16Value(static_cast<std::int16_t>(utcOffsetMinutes(s.now.tv_sec))); }},
    {L"NumberOfLicensedUsers", [](const Identity &, const System &) { return uint32Value(0); }},  // no limit
    {L"NumberOfUsers", [](const Identity &, const System &s) { return uint32Value(s.sessions); }, systemSessions},
    {L"NumberOfProcesses", [](const Identity &, const System &s) { return uint32Value(s.processes); },
     systemProcesses},
    {L"MaxNumberOfProcesses",
     [](const Identity &, const System &s) { return s.processLimit ? uint32Value(*s.processLimit) : nullptr; },
     systemLimits},
    {L"TotalSwapSpaceSize", [](const Identity &, const System &s) { return kib(s.memory.swapTotal); }, systemMemory},
    {L"TotalVirtualMemorySize",
     [](const Identity &, const System &s) { return kibSum(s.memory.total, s.memory.swapTotal); }, systemMemory},
    {L"FreeVirtualMemory", [](const Identity &, const System &s) { return kibSum(s.memory.free, s.memory.swapFree); },
     systemMemory},
    {L"FreePhysicalMemory", [](const Identity &, const System &s) { return kib(s.memory.free); }, systemMemory},
    {L"TotalVisibleMemorySize", [](const Identity &, const System &s) { return kib(s.memory.total); }, systemMemory},
    {L"SizeStoredInPagingFiles", [](const Identity &, const System &s) { return kib(s.memory.swapTotal); },
     systemMemory},
    {L"FreeSpaceInPagingFiles", [](const Identity &, const System &s) { return kib(s.memory.swapFree); },
     systemMemory},
    {L"Distributed", [](const Identity &, const System &) { return booleanValue(false); }},
    {L"EnabledState", [](const Identity &, const System &) { return uint16Value(2); }},  // Enabled
};

class OperatingSystemProvider : public LiveProvider<System> {
protected:
    std::wstring_view className() const override { return operatingSystemClass; }
    std::span<const Property> properties() const override { return systemProperties; }
    KeyValues keys(const Identity &identity, const System &) const override { return operatingSystemKeys(identity); }

    Status read(const Identity &identity, const CIMObjectPath &path, unsigned needs, System &system) override {
        Status status = matchPath(path, operatingSystemClass, operatingSystemKeys(identity), {});
        if (status.ok()) system = readSystem(needs);
        return status;
    }

    void forEach(const Identity &, unsigned needs, const std::function<void(const System &)> &each) override {
        each(readSystem(needs));
    }

private:
    static System readSystem(unsigned needs) {
        System system;
        refreshTimeZone();
        clock_gettime(CLOCK_REALTIME, &system.now);
        system.names = kernelNames();
        if (needs & systemMemory) system.memory = readMemory();
        if (needs & systemProcesses) system.processes = countProcesses();
        if (needs & systemSessions) system.sessions = countUserSessions();
        if (needs & systemBoot) system.boot = bootTime();
        if (needs & systemLimits) system.processLimit = processIdLimit();
        return system;
    }
};

}  // namespace

std::shared_ptr<LiveInstanceProvider> makeOperatingSystemProvider() {
    return std::make_shared<OperatingSystemProvider>();
}

}  // namespace cimom::live
