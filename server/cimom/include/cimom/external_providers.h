// external_providers.h - providers that others write, served from a folder
// of registrations (external/provider_registration.h describes the file):
// programs of their own, spoken to over their standard input and output
// (external/command_provider.h), and shared libraries loaded into the
// server (cimxml/provider.h).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cimom {

class ObjectManager;
namespace external {
class CommandProvider;
class LibraryProvider;
}  // namespace external

// One provider's counts since the server started.
struct ProviderFigures {
    std::string name;
    std::uint64_t calls = 0;
    std::uint64_t failures = 0;      // calls that failed for the provider's fault (it ended, hung, answered wrongly)
    std::uint64_t restarts = 0;      // starts of a program after its first
    std::uint64_t microseconds = 0;  // spent in calls, waits for a program included
};

// The providers registered; stopped (programs killed, libraries stopped
// and unloaded) when the last copy goes and the object manager let them go.
class RegisteredProviders {
public:
    std::size_t size() const { return commands_.size() + libraries_.size(); }
    std::vector<ProviderFigures> figures() const;
    // Takes out of objectManager the providers of this set that kept does
    // not replace (per namespace, class and kind), so that those classes
    // are the repository's again. Calls in flight finish on them.
    void withdraw(ObjectManager &objectManager, const RegisteredProviders &kept) const;

private:
    friend RegisteredProviders registerExternalProviders(ObjectManager &, const std::string &, const std::string &,
                                                         std::vector<std::string> &);
    // The kinds (bits: 1 instance, 2 method, 4 association) registered per
    // (namespace, class) as given, by their folded names.
    struct Served {
        std::wstring nameSpace, className;
        unsigned kinds = 0;
    };
    std::map<std::pair<std::wstring, std::wstring>, Served> served_;
    std::vector<std::shared_ptr<external::CommandProvider>> commands_;
    std::vector<std::shared_ptr<external::LibraryProvider>> libraries_;
};

// Registers every registration of folder for the classes it names, in each
// namespace it names where that class exists. A program runs as the
// registration's user, or defaultUser, when cimxmld runs as root, else as
// cimxmld's own user; a library is loaded and started at once. Problems (a
// wrong file, a class that does not exist, an unknown user, a library that
// does not load or start) are appended, one line each naming the file, and
// that registration or class is left out. Called again (a reload), it
// replaces the providers of the classes it registers; withdraw takes out
// those the earlier set served alone.
RegisteredProviders registerExternalProviders(ObjectManager &objectManager, const std::string &folder,
                                              const std::string &defaultUser, std::vector<std::string> &problems);

}  // namespace cimom
