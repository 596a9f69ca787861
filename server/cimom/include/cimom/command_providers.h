// command_providers.h - providers that are programs of their own, served
// from a folder of registrations (see external/provider_registration.h for
// the file and external/command_provider.h for the exchange).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cimom {

class ObjectManager;
namespace external {
class CommandProvider;
}

// One provider's counts since the server started.
struct CommandProviderFigures {
    std::string name;
    std::uint64_t calls = 0;
    std::uint64_t failures = 0;      // calls that failed for the program's fault
    std::uint64_t restarts = 0;      // starts after the first
    std::uint64_t microseconds = 0;  // spent in calls, waits for the program included
};

class RegisteredCommandProviders {
public:
    std::size_t size() const { return providers_.size(); }
    std::vector<CommandProviderFigures> figures() const;

private:
    friend RegisteredCommandProviders registerCommandProviders(ObjectManager &, const std::string &,
                                                               const std::string &, std::vector<std::string> &);
    std::vector<std::shared_ptr<external::CommandProvider>> providers_;
};

// Registers a command provider for every class of every registration in
// folder, in each namespace it names, where that class exists; the
// program runs as the registration's user, or defaultUser, when cimxmld
// runs as root, else as cimxmld's own user. Problems (a wrong file, a class
// that does not exist, an unknown user) are appended, one line each naming
// the file, and that registration or class is left out.
RegisteredCommandProviders registerCommandProviders(ObjectManager &objectManager, const std::string &folder,
                                                    const std::string &defaultUser,
                                                    std::vector<std::string> &problems);

}  // namespace cimom
