// Associations between the live elements through the handle, with their
// filters, at the instance and at the class level; eight threads
// enumerating processes while processes start and end.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "live_fixture.h"

namespace livetest {
namespace {

class LiveAssociations : public LiveProviders {
protected:
    cimobj::PathPtr computerSystem() {
        return pathOf("CIMXML_ComputerSystem", {{"Name", hostName()}, {"CreationClassName", "CIMXML_ComputerSystem"}},
                      "root/cimv2");
    }
    // AssociatorNames when assocClass is given ("" for none), else
    // ReferenceNames; the paths described.
    std::string names(const cimobj::PathPtr &target, const char *assocClass, const char *resultClass,
                      const char *role) {
        auto text = [](const char *s) { return s ? str(s) : cimobj::StringPtr(); };
        return answer<CIMList>([&](CIMList **out) {
            return assocClass ? handle.pfn_associatorNames(target.get(), text(*assocClass ? assocClass : nullptr).get(),
                                                           text(resultClass).get(), text(role).get(), nullptr, out)
                              : handle.pfn_referenceNames(target.get(), text(resultClass).get(), text(role).get(), out);
        });
    }
    // Associators (associators) or References with a property list; the objects found.
    cimobj::ListPtr objects(bool associators, const cimobj::PathPtr &target, const char *filter, const char *role,
                            std::initializer_list<std::string> properties) {
        cimobj::ListPtr list = stringList(properties);
        CIMList *found = nullptr;
        cimobj::StringPtr filterText = str(filter), roleText = role ? str(role) : nullptr;
        ReturnCode *rc = associators ? handle.pfn_associators(target.get(), nullptr, filterText.get(), roleText.get(),
                                                              nullptr, 0, 0, list.get(), &found)
                                     : handle.pfn_references(target.get(), filterText.get(), roleText.get(), 0, 0,
                                                             list.get(), &found);
        EXPECT_EQ(statusText(rc), "0: ");
        return cimobj::ListPtr(found);
    }
};

TEST_F(LiveAssociations, ProcessesBelongToTheOperatingSystem) {
    std::string os = describe(operatingSystemPath().get());
    std::string host = "//" + hostName() + "/";
    cimobj::PathPtr self = processPath(std::to_string(getpid()));
    EXPECT_EQ(names(self, "", nullptr, nullptr), host + os + "\n");
    EXPECT_EQ(names(self, "CIM_OSProcess", "CIM_OperatingSystem", "PartComponent"), host + os + "\n");
    EXPECT_EQ(names(self, "CIM_RunningOS", nullptr, nullptr), "");
    EXPECT_EQ(names(self, "", nullptr, "GroupComponent"), "");
    EXPECT_EQ(names(processPath("999999999"), "", nullptr, nullptr), "");
    EXPECT_EQ(names(operatingSystemPath(), nullptr, "CIMXML_OSProcess", "PartComponent"), "");

    cimobj::ListPtr links = objects(false, operatingSystemPath(), "CIM_OSProcess", "GroupComponent", {"PartComponent"});
    EXPECT_NEAR(getLength(links.get()), processesInProc(), 10);
    std::string own = "  PartComponent ref = " + describe(self.get()).substr(describe(self.get()).find(':') + 1);
    bool found = false;
    for (int i = 0; i < getLength(links.get()); ++i) {
        std::string link = describe(static_cast<CIMInstance *>(getElementAt(links.get(), i)));
        ASSERT_EQ(std::count(link.begin(), link.end(), '\n'), 2) << link;  // the path line and PartComponent
        found = found || link.find(own + "\n") != std::string::npos;
    }
    EXPECT_TRUE(found) << own;
}

TEST_F(LiveAssociations, TheComputerHostsItsSystemAndFileSystems) {
    std::string host = "//" + hostName() + "/";
    EXPECT_EQ(names(computerSystem(), "CIM_InstalledOS", nullptr, "GroupComponent"),
              host + describe(operatingSystemPath().get()) + "\n");
    EXPECT_EQ(names(operatingSystemPath(), "", "CIM_ComputerSystem", nullptr),
              host + describe(computerSystem().get()) + "\n");
    EXPECT_EQ(names(operatingSystemPath(), nullptr, nullptr, "Antecedent"),
              host + "root/cimv2:CIMXML_RunningOS.Antecedent=" + describe(operatingSystemPath().get()).substr(11) +
                  ",Dependent=" + describe(computerSystem().get()).substr(11) + "\n");
    cimobj::ListPtr mounted = objects(true, computerSystem(), "CIM_FileSystem", nullptr, {"Root"});
    ASSERT_EQ(getLength(mounted.get()), static_cast<int>(enumerate("CIMXML_LocalFileSystem").size()));
    for (int i = 0; i < getLength(mounted.get()); ++i) {
        auto *fs = static_cast<CIMInstance *>(getElementAt(mounted.get(), i));
        EXPECT_EQ(getLength(fs->properties), 1);
        EXPECT_NE(valueOf(fs, "Root"), "absent");
    }
    // At the class level the schema answers.
    EXPECT_EQ(names(pathOf("CIMXML_UnixProcess", {}, "root/cimv2"), nullptr, "CIM_OSProcess", nullptr),
              host + "root/cimv2:CIM_OSProcess\n" + host + "root/cimv2:CIMXML_OSProcess\n");
}

TEST_F(LiveAssociations, EightThreadsEnumerateWhileProcessesStartAndEnd) {
    std::atomic<bool> done{false};
    std::thread spawner([&] {
        for (int spawned = 0; spawned < 400 && !done; ++spawned) {
            pid_t pid = fork();
            if (pid == 0) _exit(0);
            if (pid > 0) waitpid(pid, nullptr, 0);
        }
    });
    std::atomic<int> failures{0}, empty{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 8; ++t) {
        readers.emplace_back([&] {
            for (int round = 0; round < 5; ++round) {
                std::vector<cimobj::InstancePtr> processes;
                std::vector<cimobj::PathPtr> links;
                failures += !om->enumerateInstances(L"root/cimv2", L"CIM_Process", {}, processes).ok();
                failures += !om->referenceNames(L"root/cimv2", *operatingSystemPath(), {}, links).ok();
                empty += processes.empty() || links.empty();
            }
        });
    }
    for (std::thread &reader : readers) reader.join();
    done = true;
    spawner.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(empty, 0);
}

}  // namespace
}  // namespace livetest
