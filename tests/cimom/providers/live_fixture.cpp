// live_fixture.cpp - the suite's object manager, child processes and readers.
#include "live_fixture.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cimom/live_providers.h>
#include <cstring>
#include <ctime>
#include <fstream>
#include <regex>
#include <thread>

namespace livetest {

std::shared_ptr<cimom::ObjectManager> LiveProviders::om;

void LiveProviders::SetUpTestSuite() {
    om = std::make_shared<cimom::ObjectManager>();
    ASSERT_TRUE(om->loadDefaultSchema().empty());
    cimom::registerLiveProviders(*om);
}

void LiveProviders::TearDownTestSuite() {
    cimom::installObjectManager(nullptr);
    om.reset();
}

void LiveProviders::SetUp() {
    cimom::installObjectManager(om);
    cimom::fillCimomHandle(handle);
}

std::string LiveProviders::get(const cimobj::PathPtr &path, const CIMStringList *properties) {
    return answer<CIMInstance>([&](CIMInstance **out) {
        return handle.pfn_getInstance(path.get(), 0, 0, 0, const_cast<CIMStringList *>(properties), out);
    });
}

std::vector<cimobj::InstancePtr> LiveProviders::enumerate(const char *className) {
    std::vector<cimobj::InstancePtr> instances;
    cimom::Status status = om->enumerateInstances(L"root/cimv2", cimobj::fromUtf8(className), {}, instances);
    EXPECT_EQ(status.message, "");
    return instances;
}

Child Child::renamed(const char *name) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return Child(-1);
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_NAME, name);
        (void)!write(ready[1], "x", 1);
        for (;;) pause();
    }
    close(ready[1]);
    char byte;
    (void)!read(ready[0], &byte, 1);
    close(ready[0]);
    return Child(pid);
}

Child Child::running(const char *program, const std::vector<std::string> &argv) {
    std::vector<char *> arguments;
    for (const std::string &argument : argv) arguments.push_back(const_cast<char *>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        execv(program, arguments.data());
        _exit(127);
    }
    // The command line shows once exec has set the new program up.
    std::string cmdline = "/proc/" + std::to_string(pid) + "/cmdline";
    for (int tries = 0; tries < 2000; ++tries) {
        std::ifstream file(cmdline);
        std::string first;
        if (std::getline(file, first, '\0') && first == argv.at(0)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return Child(pid);
}

Child::~Child() {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

cimobj::PathPtr processPath(const std::string &handle, const std::string &host) {
    return pathOf("CIMXML_UnixProcess",
                  {{"CSCreationClassName", "CIMXML_ComputerSystem"}, {"CSName", host},
                   {"OSCreationClassName", "CIMXML_OperatingSystem"}, {"OSName", "Linux"},
                   {"CreationClassName", "CIMXML_UnixProcess"}, {"Handle", handle}},
                  "root/cimv2");
}

cimobj::PathPtr operatingSystemPath(const std::string &name) {
    return pathOf("CIMXML_OperatingSystem",
                  {{"Name", name}, {"CSCreationClassName", "CIMXML_ComputerSystem"}, {"CSName", hostName()},
                   {"CreationClassName", "CIMXML_OperatingSystem"}},
                  "root/cimv2");
}

std::string valueOf(const CIMInstance *instance, const char *name, int *type) {
    const CIMProperty *p = findCIMProperty(instance->properties, cimobj::fromUtf8(name).c_str());
    if (type) *type = p ? p->type : -1;
    return p ? describe(p->value) : "absent";
}

const CIMInstance *processIn(const std::vector<cimobj::InstancePtr> &instances, pid_t pid) {
    std::string handle = "\"" + std::to_string(pid) + "\"";
    for (const cimobj::InstancePtr &instance : instances)
        if (valueOf(instance.get(), "Handle") == handle) return instance.get();
    return nullptr;
}

int processesInProc() {
    int count = 0;
    DIR *proc = opendir("/proc");
    while (const dirent *entry = proc ? readdir(proc) : nullptr)
        count += std::all_of(entry->d_name, entry->d_name + strlen(entry->d_name), ::isdigit);
    if (proc) closedir(proc);
    return count;
}

long long secondsOf(const std::string &datetime) {
    std::smatch parts;
    static const std::regex form(R"((\d{4})(\d\d)(\d\d)(\d\d)(\d\d)(\d\d)\.\d{6}([+-])(\d{3}))");
    if (!std::regex_match(datetime, parts, form)) return -1;
    std::tm fields{};
    fields.tm_year = std::stoi(parts[1]) - 1900;
    fields.tm_mon = std::stoi(parts[2]) - 1;
    fields.tm_mday = std::stoi(parts[3]);
    fields.tm_hour = std::stoi(parts[4]);
    fields.tm_min = std::stoi(parts[5]);
    fields.tm_sec = std::stoi(parts[6]);
    long long offset = std::stoll(parts[8]) * (parts[7] == "-" ? -1 : 1);
    return static_cast<long long>(timegm(&fields)) - offset * 60;
}

}  // namespace livetest
