// live_fixture.h - an object manager with the default schema and the live
// providers, bound to the handle; child processes the tests control.
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
    void SetUp() override;
    // GetInstance through the handle (PropertyList properties when given):
    // the instance described, or "code: message".
    std::string get(const cimobj::PathPtr &path, const CIMStringList *properties = nullptr);
    // EnumerateInstances of className in root/cimv2, every property.
    static std::vector<cimobj::InstancePtr> enumerate(const char *className);

    static std::shared_ptr<cimom::ObjectManager> om;
    CIMOMHandle handle{};
};

// A process the test started, once /proc shows it: program run with argv,
// or without program a fork of the test that names itself argv[0]. Killed
// and reaped when it goes out of scope.
struct Child {
    Child(const char *program, const std::vector<std::string> &argv);
    Child(const Child &) = delete;
    ~Child();
    pid_t pid;
};

std::string hostName();
// Paths in root/cimv2 of a process (by its Handle text), of the operating
// system and of the computer system, keys in the object manager's order.
cimobj::PathPtr processPath(const std::string &handle, const std::string &host = hostName());
cimobj::PathPtr operatingSystemPath(const std::string &name = "Linux");
cimobj::PathPtr computerSystemPath();
// A property's value described, or "absent"; type receives its type code.
std::string valueOf(const CIMInstance *instance, const char *name, int *type = nullptr);
// The instance whose Handle is pid; nullptr when none.
const CIMInstance *processIn(const std::vector<cimobj::InstancePtr> &instances, pid_t pid);
// How many process entries /proc lists now.
int processesInProc();
// Seconds since the epoch of CIM datetime text; -1 when it is malformed.
long long secondsOf(const std::string &datetime);

}  // namespace livetest
