// external_providers.cpp - registering the providers of a folder: the
// programs and the libraries its registrations name.
#include "cimom/external_providers.h"

#include <pwd.h>
#include <unistd.h>

#include "cimom/object_manager.h"
#include "external/command_provider.h"
#include "external/library_provider.h"
#include "external/provider_registration.h"
#include "support/names.h"

namespace cimom {

using external::CommandProvider;
using external::LibraryProvider;
using external::ProviderCommand;
using external::ProviderRegistration;

namespace {

// The account a program of registration runs as; false with a problem.
bool accountFor(const ProviderRegistration &registration, const std::string &defaultUser, ProviderCommand &command,
                std::string &problem) {
    const std::string user = registration.user.empty() ? defaultUser : registration.user;
    if (geteuid() == 0) {
        const passwd *account = getpwnam(user.c_str());
        if (!account) problem = registration.file + ": user " + user + " does not exist";
        else if (account->pw_uid == 0) problem = registration.file + ": providers do not run as root (user " + user + ")";
        if (!problem.empty()) return false;
        command.changeUser = true;
        command.uid = account->pw_uid;
        command.gid = account->pw_gid;
        return true;
    }
    const passwd *self = getpwuid(geteuid());
    if (!registration.user.empty() && (!self || registration.user != self->pw_name)) {
        problem = registration.file + ": cannot run as user " + registration.user + ": cimxmld does not run as root";
        return false;
    }
    return true;
}

}  // namespace

std::vector<ProviderFigures> RegisteredProviders::figures() const {
    std::vector<ProviderFigures> all;
    for (const auto &provider : commands_) all.push_back(provider->figures());
    for (const auto &provider : libraries_) all.push_back(provider->figures());
    return all;
}

void RegisteredProviders::withdraw(ObjectManager &objectManager, const RegisteredProviders &kept) const {
    for (const auto &[key, served] : served_) {
        auto replaced = kept.served_.find(key);
        const unsigned gone = served.kinds & ~(replaced == kept.served_.end() ? 0u : replaced->second.kinds);
        if (gone & 1) objectManager.registerInstanceProvider(served.nameSpace, served.className, nullptr);
        if (gone & 2) objectManager.registerMethodProvider(served.nameSpace, served.className, nullptr);
        if (gone & 4) objectManager.registerAssociationProvider(served.nameSpace, served.className, nullptr);
    }
}

RegisteredProviders registerExternalProviders(ObjectManager &objectManager, const std::string &folder,
                                              const std::string &defaultUser, std::vector<std::string> &problems) {
    RegisteredProviders registered;
    for (ProviderRegistration &registration : external::readProviderRegistrations(folder, problems)) {
        std::shared_ptr<InstanceProvider> instances;
        std::shared_ptr<MethodProvider> methods;
        std::shared_ptr<AssociationProvider> associations;
        std::shared_ptr<CommandProvider> command;
        std::shared_ptr<LibraryProvider> library;
        if (registration.library.empty()) {
            ProviderCommand how{registration.command, registration.directory};
            std::string problem;
            if (!accountFor(registration, defaultUser, how, problem)) {
                problems.push_back(problem);
                continue;
            }
            command = std::make_shared<CommandProvider>(registration.name, std::move(how), registration.timeoutSeconds);
            instances = command;
            methods = command;
            associations = command;
        } else {
            try {
                library = std::make_shared<LibraryProvider>(registration.name, registration.library);
            } catch (const std::exception &e) {
                problems.push_back(registration.file + ": library " + registration.library + " " + e.what());
                continue;
            }
            instances = library;
            methods = library;
            associations = library;
        }
        bool used = false;
        std::vector<CommandProvider::IndicationClass> indicationClasses;
        for (const ProviderRegistration::Served &served : registration.classes) {
            if (served.indications) indicationClasses.push_back({served.className, {}});
            for (const std::wstring &nameSpace : served.namespaces) {
                cimobj::ClassPtr cimClass;
                if (!objectManager.getClass(nameSpace, served.className, ClassOptions(), cimClass).ok()) {
                    problems.push_back(registration.file + ": class " + cimobj::toUtf8(served.className) +
                                       ": no such class in " + cimobj::toUtf8(nameSpace));
                    continue;
                }
                if (served.instances) objectManager.registerInstanceProvider(nameSpace, served.className, instances);
                if (served.methods) objectManager.registerMethodProvider(nameSpace, served.className, methods);
                if (served.associations)
                    objectManager.registerAssociationProvider(nameSpace, served.className, associations);
                if (served.indications) indicationClasses.back().namespaces.push_back(nameSpace);
                RegisteredProviders::Served &entry =
                    registered.served_[{foldName(nameSpace), foldName(served.className)}];
                entry.nameSpace = nameSpace;
                entry.className = served.className;
                entry.kinds |= (served.instances ? 1u : 0u) | (served.methods ? 2u : 0u) |
                               (served.associations ? 4u : 0u);
                used = true;
            }
        }
        if (!used) continue;
        std::erase_if(indicationClasses, [](const auto &one) { return one.namespaces.empty(); });
        if (command && !indicationClasses.empty())
            command->sendIndicationsTo(objectManager, std::move(indicationClasses));
        if (command) registered.commands_.push_back(std::move(command));
        if (library) registered.libraries_.push_back(std::move(library));
    }
    return registered;
}

}  // namespace cimom
