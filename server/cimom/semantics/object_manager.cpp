// object_manager.cpp - making an object manager and setting it up.
#include "cimom/object_manager.h"

#include "providers/namespace_provider.h"
#include "semantics/object_manager_state.h"

#include <dlfcn.h>

#include <filesystem>

#ifndef CIMOM_SCHEMA_DIR
#define CIMOM_SCHEMA_DIR "schema"
#endif

namespace cimom {

ObjectManager::ObjectManager(std::wstring hostName) : state_(std::make_unique<State>()) {
    state_->hostName.change([&](std::wstring &name) { name = hostName.empty() ? machineHostName() : std::move(hostName); });
    state_->providers.add(L"", namespaceClassName, std::shared_ptr<InstanceProvider>(makeNamespaceProvider(*this)));
}

ObjectManager::~ObjectManager() = default;

// Installed, the schema lies at a fixed place seen from this library
// (lib/../share/cimxml/schema), wherever the tree was put; in the build
// tree, in the sources.
std::string ObjectManager::defaultSchemaDir() {
#ifdef CIMOM_SCHEMA_FROM_LIBRARY
    Dl_info self{};
    if (dladdr(reinterpret_cast<void *>(&ObjectManager::defaultSchemaDir), &self) != 0 && self.dli_fname != nullptr) {
        std::error_code ec;
        std::filesystem::path library = std::filesystem::canonical(self.dli_fname, ec);
        std::filesystem::path installed = library.parent_path() / CIMOM_SCHEMA_FROM_LIBRARY;
        if (!ec && std::filesystem::is_directory(installed, ec)) return installed.lexically_normal().string();
    }
#endif
    return CIMOM_SCHEMA_DIR;
}

void ObjectManager::setJournal(std::shared_ptr<Journal> journal) { state_->repository.setJournal(std::move(journal)); }

void ObjectManager::setHostName(std::wstring hostName) {
    state_->hostName.change([&](std::wstring &name) { name = hostName.empty() ? machineHostName() : std::move(hostName); });
}

std::wstring ObjectManager::hostName() const { return state_->host(); }

void ObjectManager::registerInstanceProvider(const std::wstring &nameSpace, const std::wstring &className,
                                             std::shared_ptr<InstanceProvider> provider) {
    state_->providers.add(nameSpace, className, std::move(provider));
}

void ObjectManager::registerAssociationProvider(const std::wstring &nameSpace, const std::wstring &className,
                                                std::shared_ptr<AssociationProvider> provider) {
    state_->providers.add(nameSpace, className, std::move(provider));
}

void ObjectManager::registerMethodProvider(const std::wstring &nameSpace, const std::wstring &className,
                                           std::shared_ptr<MethodProvider> provider) {
    state_->providers.add(nameSpace, className, std::move(provider));
}

std::vector<MofDiagnostic> ObjectManager::loadDefaultSchema(const std::string &schemaDir, Journaling journaling) {
    std::vector<MofDiagnostic> diagnostics;
    for (const auto &[nameSpace, file] :
         {std::pair{L"root/cimv2", "root_cimv2.mof"}, std::pair{L"root/interop", "root_interop.mof"}}) {
        if (!hasNamespace(nameSpace)) createNamespace(nameSpace, journaling);
        MofOptions options;
        options.defaultNamespace = nameSpace;
        options.includeDirs = {schemaDir};
        std::vector<MofDiagnostic> found = compileMofFile(schemaDir + "/" + file, options, journaling);
        diagnostics.insert(diagnostics.end(), found.begin(), found.end());
    }
    return diagnostics;
}

}  // namespace cimom
