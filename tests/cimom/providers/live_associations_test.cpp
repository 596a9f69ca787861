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

std::size_t occurrences(const std::string &text, const std::string &part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class LiveAssociations : public LiveProviders {
protected:
    // AssociatorNames when assocClass is given ("" for none), else
    // ReferenceNames; the paths described.
    std::string names(const cimobj::PathPtr &target, const char *assocClass, const char *resultClass,
                      const char *role) {
        auto text = [](const char *s) { return s && *s ? str(s) : cimobj::StringPtr(); };
        return answer<CIMList>([&](CIMList **out) {
            return assocClass ? handle.pfn_associatorNames(target.get(), text(assocClass).get(),
                                                           text(resultClass).get(), text(role).get(), nullptr, out)
                              : handle.pfn_referenceNames(target.get(), text(resultClass).get(), text(role).get(), out);
        });
    }
    // Associators (or References) with a result (or association) class
    // filter, a role and a property list; the objects described.
    std::string objects(bool associators, const cimobj::PathPtr &target, const char *filter, const char *role,
                        std::initializer_list<std::string> properties) {
        cimobj::ListPtr list = stringList(properties);
        cimobj::StringPtr filterText = str(filter), roleText = role ? str(role) : nullptr;
        return answer<CIMList>([&](CIMList **out) {
            return associators ? handle.pfn_associators(target.get(), nullptr, filterText.get(), roleText.get(),
                                                        nullptr, 0, 0, list.get(), out)
                               : handle.pfn_references(target.get(), filterText.get(), roleText.get(), 0, 0,
                                                       list.get(), out);
        });
    }
    const std::string host = "//" + hostName() + "/";
};

TEST_F(LiveAssociations, ProcessesBelongToTheOperatingSystem) {
    std::string os = host + describe(operatingSystemPath().get()) + "\n";
    cimobj::PathPtr self = processPath(std::to_string(getpid()));
    EXPECT_EQ(names(self, "", nullptr, nullptr), os);
    EXPECT_EQ(names(self, "CIM_OSProcess", "CIM_OperatingSystem", "PartComponent"), os);
    EXPECT_EQ(names(self, "CIM_RunningOS", nullptr, nullptr), "");
    EXPECT_EQ(names(self, "", nullptr, "GroupComponent"), "");
    EXPECT_EQ(names(processPath("999999999"), "", nullptr, nullptr), "");
    EXPECT_EQ(names(operatingSystemPath(), nullptr, "CIMXML_OSProcess", "PartComponent"), "");

    std::string links = objects(false, operatingSystemPath(), "CIM_OSProcess", "GroupComponent", {"PartComponent"});
    std::string ownLink = "\n  PartComponent ref = " + describe(self.get()).substr(11) + "\ninstance of CIMXML_OSProcess";
    EXPECT_NE((links + "instance of CIMXML_OSProcess").find(ownLink), std::string::npos);  // last when newest
    std::size_t found = occurrences(links, "instance of CIMXML_OSProcess");
    EXPECT_NEAR(static_cast<double>(found), processesInProc(), 10);
    EXPECT_EQ(occurrences(links, "\n"), 2 * found);  // the path and PartComponent only
}

TEST_F(LiveAssociations, TheComputerHostsItsSystemAndFileSystems) {
    std::string os = describe(operatingSystemPath().get()), computer = describe(computerSystemPath().get());
    EXPECT_EQ(names(computerSystemPath(), "CIM_InstalledOS", nullptr, "GroupComponent"), host + os + "\n");
    EXPECT_EQ(names(operatingSystemPath(), "", "CIM_ComputerSystem", nullptr), host + computer + "\n");
    EXPECT_EQ(names(operatingSystemPath(), nullptr, nullptr, "Antecedent"),
              host + "root/cimv2:CIMXML_RunningOS.Antecedent=" + os.substr(11) + ",Dependent=" + computer.substr(11) +
                  "\n");
    std::string mounted = objects(true, computerSystemPath(), "CIM_FileSystem", nullptr, {"Root"});
    std::size_t fileSystems = enumerate("CIMXML_LocalFileSystem").size();
    EXPECT_EQ(occurrences(mounted, "instance of CIMXML_LocalFileSystem"), fileSystems);
    EXPECT_EQ(occurrences(mounted, "\n  Root string = "), fileSystems);
    EXPECT_EQ(occurrences(mounted, "\n"), 2 * fileSystems);  // the path and Root only
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
