// live_providers.cpp - registering the live providers for their classes.
#include "cimom/live_providers.h"

#include "external/builtin_table.h"
#include "providers/computer_system_provider.h"
#include "providers/file_system_provider.h"
#include "providers/live_association.h"
#include "providers/load_average_method.h"
#include "providers/operating_system_provider.h"
#include "providers/process_provider.h"

namespace cimom {

void registerLiveProviders(ObjectManager &objectManager, const std::wstring &nameSpace) {
    using namespace live;
    std::shared_ptr<LiveInstanceProvider> computer = makeComputerSystemProvider();
    std::shared_ptr<LiveInstanceProvider> system = makeOperatingSystemProvider();
    std::shared_ptr<LiveInstanceProvider> processes = makeProcessProvider();
    std::shared_ptr<LiveInstanceProvider> fileSystems = makeFileSystemProvider();
    const std::pair<std::shared_ptr<LiveInstanceProvider>, std::wstring_view> elements[] = {
        {computer, computerSystemClass},
        {system, operatingSystemClass},
        {processes, processClass},
        {fileSystems, fileSystemClass},
    };
    for (const auto &[provider, className] : elements)
        external::registerBuiltin(objectManager, nameSpace, className,
                                  {provider, nullptr, provider == system ? makeLoadAverageMethod() : nullptr});

    const std::pair<const wchar_t *, std::shared_ptr<LiveAssociation>> associations[] = {
        {L"CIMXML_RunningOS",
         std::make_shared<LiveAssociation>(AssociationEnd{L"Antecedent", system}, AssociationEnd{L"Dependent", computer})},
        {L"CIMXML_InstalledOS", std::make_shared<LiveAssociation>(AssociationEnd{L"GroupComponent", computer},
                                                                  AssociationEnd{L"PartComponent", system})},
        {L"CIMXML_OSProcess", std::make_shared<LiveAssociation>(AssociationEnd{L"GroupComponent", system},
                                                                AssociationEnd{L"PartComponent", processes})},
        {L"CIMXML_HostedFileSystem", std::make_shared<LiveAssociation>(AssociationEnd{L"GroupComponent", computer},
                                                                       AssociationEnd{L"PartComponent", fileSystems})},
    };
    for (const auto &[className, provider] : associations)
        external::registerBuiltin(objectManager, nameSpace, className, {provider, provider, nullptr});
}

}  // namespace cimom
