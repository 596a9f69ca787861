// The live providers' instances against facts the test reads itself: its
// own process and children it starts, the machine's memory, clock and root
// file system; missing and read-only instances; the method.
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <future>
#include <set>
#include <thread>

#include "live_fixture.h"

namespace livetest {
namespace {

std::string inQuotes(const std::string &text) { return "\"" + text + "\""; }
const std::string ownName = std::string(program_invocation_short_name).substr(0, 15);

TEST_F(LiveProviders, ProcessesShowTheirOwnFacts) {
    Child sleeper("/bin/sleep", {"sleep", "30"}), odd(nullptr, {"a) b\n(c"});
    std::vector<cimobj::InstancePtr> processes = enumerate("CIMXML_UnixProcess");
    const CIMInstance *self = processIn(processes, getpid()), *sleeping = processIn(processes, sleeper.pid);
    const CIMInstance *renamed = processIn(processes, odd.pid);
    ASSERT_TRUE(self && sleeping && renamed);
    const std::tuple<const CIMInstance *, const char *, std::string> facts[] = {
        {self, "Name", inQuotes(ownName)},
        {self, "ParentProcessID", inQuotes(std::to_string(getppid()))},
        {self, "RealUserID", std::to_string(getuid())},
        {self, "ExecutionState", "3"},  // it runs while it reads itself
        {sleeping, "Name", "\"sleep\""},
        {sleeping, "Parameters", "{\"sleep\",\"30\"}"},
        {sleeping, "ParentProcessID", inQuotes(std::to_string(getpid()))},
        {sleeping, "ExecutionState", "4"},
        {sleeping, "ModulePath", "\"/usr/bin/sleep\""},
        {renamed, "Name", "\"a) b\n(c\""},
        {renamed, "Parameters", valueOf(self, "Parameters")},  // a fork keeps the command line
    };
    for (const auto &[process, name, expected] : facts) EXPECT_EQ(valueOf(process, name), expected) << name;
    EXPECT_LE(std::llabs(secondsOf(valueOf(sleeping, "CreationDate")) - time(nullptr)), 5);
    const std::pair<const char *, int> types[] = {
        {"Handle", CIM_STRING},         {"Priority", CIM_UINT32},          {"ExecutionState", CIM_UINT16},
        {"CreationDate", CIM_DATETIME}, {"KernelModeTime", CIM_UINT64},    {"UserModeTime", CIM_UINT64},
        {"WorkingSetSize", CIM_UINT64}, {"ProcessGroupID", CIM_UINT64},    {"Parameters", CIM_STRING + CIM_ARRAY},
        {"ThreadCount", CIM_UINT32},    {"VirtualMemorySize", CIM_UINT64}, {"ProcessNiceValue", CIM_UINT32},
    };
    for (const auto &[name, expected] : types) {
        int type = -1;
        EXPECT_NE(valueOf(self, name, &type), "NULL") << name;
        EXPECT_EQ(type, expected) << name;
    }
    // Every process once, as many as /proc lists give or take a few.
    std::set<std::string> handles;
    for (const cimobj::InstancePtr &process : processes) handles.insert(valueOf(process.get(), "Handle"));
    EXPECT_EQ(handles.size(), processes.size());
    EXPECT_NEAR(static_cast<double>(processes.size()), processesInProc(), 10);
}

TEST_F(LiveProviders, OperatingSystemAndRootFileSystemMatchTheMachine) {
    std::vector<cimobj::InstancePtr> systems = enumerate("CIMXML_OperatingSystem");
    ASSERT_EQ(systems.size(), 1u);
    const CIMInstance *os = systems[0].get();
    EXPECT_EQ(describe(getInstancePath(os)), "//" + hostName() + "/" + describe(operatingSystemPath().get()));
    utsname names{};
    uname(&names);
    struct sysinfo info {};
    sysinfo(&info);
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    EXPECT_TRUE(valueOf(os, "Version").starts_with("\"" + std::string(names.release) + " "));
    EXPECT_EQ(valueOf(os, "OSType"), "36");
    EXPECT_EQ(valueOf(os, "TotalVisibleMemorySize"), std::to_string(info.totalram * info.mem_unit / 1024));
    EXPECT_EQ(valueOf(os, "CurrentTimeZone"), std::to_string(local.tm_gmtoff / 60));
    EXPECT_LE(std::llabs(secondsOf(valueOf(os, "LocalDateTime")) - now), 5);
    EXPECT_LE(std::llabs(secondsOf(valueOf(os, "LastBootUpTime")) - (now - info.uptime)), 5);
    EXPECT_NEAR(std::stod(valueOf(os, "NumberOfProcesses")), processesInProc(), 10);

    cimobj::InstancePtr root;
    cimobj::PathPtr rootPath = pathOf("CIMXML_LocalFileSystem",
                                      {{"Name", "/"}, {"CSCreationClassName", "CIMXML_ComputerSystem"},
                                       {"CSName", hostName()}, {"CreationClassName", "CIMXML_LocalFileSystem"}});
    ASSERT_EQ(om->getInstance(L"root/cimv2", *rootPath, {}, root).message, "");
    struct statvfs figures {};
    ASSERT_EQ(statvfs("/", &figures), 0);
    EXPECT_EQ(valueOf(root.get(), "FileSystemSize"), std::to_string(figures.f_blocks * figures.f_frsize));
    EXPECT_EQ(valueOf(root.get(), "BlockSize"), std::to_string(figures.f_bsize));
    EXPECT_EQ(valueOf(root.get(), "ReadOnly"), (figures.f_flag & ST_RDONLY) ? "true" : "false");
}

TEST_F(LiveProviders, MissingAndReadOnlyInstancesGiveTheirStatus) {
    std::promise<pid_t> threadId;
    std::promise<void> finish;
    std::thread thread([&] {
        threadId.set_value(static_cast<pid_t>(syscall(SYS_gettid)));
        finish.get_future().wait();
    });
    std::string tid = std::to_string(threadId.get_future().get());
    const std::pair<cimobj::PathPtr, std::string> cases[] = {
        {processPath("999999999"), "6: process 999999999 does not exist"},
        {processPath(tid), "6: process " + tid + " does not exist"},  // a thread, not a process
        {processPath("0012"), "6: no CIMXML_UnixProcess has Handle \"0012\""},
        {processPath("1", "elsewhere"), "6: no CIMXML_UnixProcess has CSName \"elsewhere\""},
        {pathOf("CIMXML_UnixProcess", {{"Handle", "1"}}, "root/cimv2"), "4: a path of CIMXML_UnixProcess has 6 keys"},
        {operatingSystemPath("Hurd"), "6: no CIMXML_OperatingSystem has Name \"Hurd\""},
        {pathOf("CIMXML_LocalFileSystem",
                {{"Name", "/no/such"}, {"CSCreationClassName", "CIMXML_ComputerSystem"}, {"CSName", hostName()},
                 {"CreationClassName", "CIMXML_LocalFileSystem"}},
                "root/cimv2"),
         "6: nothing is mounted at /no/such"},
    };
    for (const auto &[path, expected] : cases) EXPECT_EQ(get(path), expected) << describe(path.get());
    finish.set_value();
    thread.join();

    cimobj::PathPtr self = processPath(std::to_string(getpid()));
    cimobj::InstancePtr changed = instanceOf("CIMXML_UnixProcess", {{"Handle", "1"}});
    EXPECT_EQ(statusText(handle.pfn_deleteInstance(self.get())), "7: the provider does not delete instances");
    EXPECT_EQ(statusText(handle.pfn_setInstance(self.get(), changed.get(), 0, nullptr)),
              "7: the provider does not modify instances");
    EXPECT_EQ(answer<CIMObjectPath>([&](CIMObjectPath **out) {
                  return handle.pfn_createInstance(pathOf("", {}, "root/cimv2").get(), changed.get(), out);
              }),
              "7: the provider does not create instances");
}

TEST_F(LiveProviders, LoadAverageIsTheOnlyMethodServed) {
    auto call = [&](const cimobj::PathPtr &target, const char *method) {
        cimobj::ListPtr out(newCIMPropertyList());
        CIMValue *returned = nullptr;
        std::string text =
            statusText(handle.pfn_invokeMethod(target.get(), str(method).get(), nullptr, out.get(), &returned));
        text += " " + describe(cimobj::ValuePtr(returned).get());
        for (int i = 0; i < getLength(out.get()); ++i) {
            auto *p = static_cast<CIMProperty *>(getElementAt(out.get(), i));
            text += " " + toUtf8(p->name) + (p->type == CIM_REAL64 && p->value->data.r64 >= 0 ? ">=0" : "?");
        }
        return text;
    };
    const std::string loads = "0:  0 LoadAverage1>=0 LoadAverage5>=0 LoadAverage15>=0";
    EXPECT_EQ(call(pathOf("CIMXML_OperatingSystem", {}, "root/cimv2"), "GetLoadAverage"), loads);
    EXPECT_EQ(call(operatingSystemPath(), "getloadaverage"), loads);
    EXPECT_EQ(call(operatingSystemPath("Hurd"), "GetLoadAverage"), "6: no CIMXML_OperatingSystem has Name \"Hurd\" NULL");
    EXPECT_EQ(call(operatingSystemPath(), "Reboot"), "16: method Reboot is not available NULL");
}

}  // namespace
}  // namespace livetest
