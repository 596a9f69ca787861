// interop_providers.cpp - registering the providers through which the
// server describes itself in its interop namespace.
#include "cimom/interop_providers.h"

#include "external/builtin_table.h"
#include "providers/communication_mechanism_provider.h"
#include "providers/computer_system_provider.h"
#include "providers/live_association.h"
#include "providers/namespace_provider.h"
#include "providers/object_manager_provider.h"
#include "providers/registered_profile_provider.h"

namespace cimom {

void registerInteropProviders(ObjectManager &objectManager, ServerDescription description,
                              const std::wstring &interopNamespace, const std::wstring &systemNamespace) {
    using namespace live;
    std::shared_ptr<LiveInstanceProvider> manager = makeObjectManagerProvider();
    std::shared_ptr<LiveInstanceProvider> mechanisms = makeCommunicationMechanismProvider(std::move(description));
    std::shared_ptr<LiveInstanceProvider> profiles = makeRegisteredProfileProvider();
    const std::pair<std::shared_ptr<LiveInstanceProvider>, std::wstring_view> elements[] = {
        {manager, objectManagerClass},
        {mechanisms, cimxmlMechanismClass},
        {profiles, registeredProfileClass},
    };
    for (const auto &[provider, className] : elements)
        external::registerBuiltin(objectManager, interopNamespace, className, {provider, nullptr, nullptr});

    std::shared_ptr<LiveElements> computer = elementsIn(makeComputerSystemProvider(), systemNamespace);
    const std::pair<const wchar_t *, std::shared_ptr<LiveAssociation>> associations[] = {
        {L"CIM_HostedService", std::make_shared<LiveAssociation>(AssociationEnd{L"Antecedent", computer},
                                                                 AssociationEnd{L"Dependent", manager})},
        {L"CIM_CommMechanismForManager", std::make_shared<LiveAssociation>(AssociationEnd{L"Antecedent", manager},
                                                                           AssociationEnd{L"Dependent", mechanisms})},
        {L"CIM_NamespaceInManager",
         std::make_shared<LiveAssociation>(AssociationEnd{L"Antecedent", manager},
                                           AssociationEnd{L"Dependent", makeNamespaceProvider(objectManager)})},
        {L"CIM_ElementConformsToProfile",
         std::make_shared<LiveAssociation>(AssociationEnd{L"ConformantStandard", profiles},
                                           AssociationEnd{L"ManagedElement", manager})},
        // The WBEM Server profile builds on Profile Registration.
        {L"CIM_ReferencedProfile",
         std::make_shared<LiveAssociation>(
             AssociationEnd{L"Antecedent", makeRegisteredProfileProvider(profileRegistrationProfile)},
             AssociationEnd{L"Dependent", makeRegisteredProfileProvider(wbemServerProfile)})},
    };
    for (const auto &[className, provider] : associations)
        external::registerBuiltin(objectManager, interopNamespace, className, {provider, provider, nullptr});
}

}  // namespace cimom
