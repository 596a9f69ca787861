// live_fixture.cpp - the suite's object manager, child processes and readers.
#include "live_fixture.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cimom/live_providers.h>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace livetest {

std::shared_ptr<cimom::ObjectManager> LiveProviders::om;

void LiveProviders::SetUpTestSuite() {
    om = std::make_shared<cimom::ObjectManager>();
    ASSERT_TRUE(om->loadDefaultSchema().empty());
    cimom::registerLiveProviders(*om);
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

Child::Child(const char *program, const std::vector<std::string> &argv) {
    std::vector<char *> arguments;
    for (const std::string &argument : argv) arguments.push_back(const_cast<char *>(argument.c_str()));
    arguments.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
        if (program) execv(program, arguments.data());
        prctl(PR_SET_NAME, arguments[0]);
        for (;;) pause();
    }
    // Ready once /proc shows the new command line, or the new name.
    std::string file = "/proc/" + std::to_string(pid) + (program ? "/cmdline" : "/comm");
    std::string shows = argv.at(0) + (program ? std::string(1, '\0') : "\n");
    for (int tries = 0; tries < 2000; ++tries) {
        std::stringstream text;
        text << std::ifstream(file).rdbuf();
        if (text.str().starts_with(shows)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // And once it sleeps: on a busy machine a child can still be running
    // the last steps of its start when the test looks at it.
    for (int tries = 0; tries < 2000; ++tries) {
        std::stringstream stat;
        stat << std::ifstream("/proc/" + std::to_string(pid) + "/stat").rdbuf();
        std::string text = stat.str();
        size_t end = text.rfind(')');
        if (end != std::string::npos && text.compare(end, 3, ") S") == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
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

cimobj::PathPtr computerSystemPath() {
    return pathOf("CIMXML_ComputerSystem", {{"Name", hostName()}, {"CreationClassName", "CIMXML_ComputerSystem"}},
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
    for (const auto &entry : std::filesystem::directory_iterator("/proc"))
        count += entry.path().filename().string().find_first_not_of("0123456789") == std::string::npos;
    return count;
}

long long secondsOf(const std::string &datetime) {
    std::tm at{};
    int micro = 0, offset = 0;
    char sign = 0;
    if (datetime.size() != 25 || std::sscanf(datetime.c_str(), "%4d%2d%2d%2d%2d%2d.%6d%c%3d", &at.tm_year, &at.tm_mon,
                                             &at.tm_mday, &at.tm_hour, &at.tm_min, &at.tm_sec, &micro, &sign,
                                             &offset) != 9)
        return -1;
    at.tm_year -= 1900;
    at.tm_mon -= 1;
    return static_cast<long long>(timegm(&at)) - (sign == '-' ? -offset : offset) * 60LL;
}

}  // namespace livetest
