// live_fixture.h - an object manager with the default schema and the live
// providers, bound to the handle, and child processes the tests control.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "../om_fixture.h"

namespace livetest {

using namespace omtest;

// The object manager is made once for the suite; the handle reaches it.
class LiveProviders : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // GetInstance of path in root/cimv2 through the handle (only the
    // properties named, when properties is given): the instance described,
    // or "code: message".
    std::string get(const cimobj::PathPtr &path, const CIMStringList *properties = nullptr);
    // The instances EnumerateInstances gives for className, with all their properties.
    static std::vector<cimobj::InstancePtr> enumerate(const char *className);

    static std::shared_ptr<cimom::ObjectManager> om;
    CIMOMHandle handle{};
};

// A process the test started; killed and reaped when it goes out of scope.
class Child {
public:
    // A fork of the test that gives itself (comm) name and waits.
    static Child renamed(const char *name);
    // A child running program with argv (argv[0] included), once its
    // command line shows.
    static Child running(const char *program, const std::vector<std::string> &argv);
    Child(Child &&other) noexcept : pid(other.pid) { other.pid = -1; }
    ~Child();
    pid_t pid = -1;

private:
    explicit Child(pid_t id) : pid(id) {}
};

// The machine's host name as the test reads it.
std::string hostName();
// Paths of a live process (by its Handle text) and of the operating system.
cimobj::PathPtr processPath(const std::string &handle, const std::string &host = hostName());
cimobj::PathPtr operatingSystemPath(const std::string &name = "Linux");
// A property's value described (see describe), or "absent"; type receives its type code.
std::string valueOf(const CIMInstance *instance, const char *name, int *type = nullptr);
// The instance of a list whose Handle is pid; nullptr when none.
const CIMInstance *processIn(const std::vector<cimobj::InstancePtr> &instances, pid_t pid);
// How many process entries /proc lists now.
int processesInProc();
// Seconds since the epoch of a CIM datetime text; -1 when it is malformed.
long long secondsOf(const std::string &datetime);

}  // namespace livetest
