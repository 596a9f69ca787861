// interop_providers.h - the server describing itself in its interop
// namespace: the one CIM_ObjectManager, hosted on this machine's computer
// system; a CIM-XML communication mechanism per listening socket; the
// namespaces in the manager; the profiles the server implements, each
// conforming through the object manager. Every instance is made on the call
// from what the object manager and the host know now.
//
// The object manager does not know the host's sockets, authentication or
// protocol: the host tells them here (the host's code is never included).
#pragma once

#include <cimxml/cimom_handle.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "object_manager.h"

namespace cimom {

// One socket the host accepts CIM-XML requests on.
struct Listener {
    std::wstring scheme;  // "http" or "https"
    int port = 0;
};

// The host's listeners as the communication mechanisms show them. The host
// sets them once its sockets are bound; the providers read them on every
// call. Every member may be called from many threads at once.
class ListenerTable {
public:
    // Replaces the listeners (in the order the mechanisms are listed).
    void set(std::vector<Listener> listeners);
    // A copy of the listeners; empty until set.
    std::vector<Listener> listeners() const;

private:
    mutable std::mutex mutex_;
    std::vector<Listener> listeners_;
};

// What the host tells about how clients reach it.
struct ServerDescription {
    // The CIM-XML protocol version the protocol module answers with ("1.2").
    std::wstring protocolVersion;
    // FunctionalProfilesSupported of every mechanism (functionalGroupsOf).
    std::vector<std::uint16_t> functionalGroups;
    // Basic when the host checks passwords, None otherwise.
    bool basicAuthentication = false;
    // Shared with the host, which fills it; nullptr: no mechanisms.
    std::shared_ptr<const ListenerTable> listeners;
};

// The FunctionalProfilesSupported values of the operation groups handle
// serves, ascending: a group counts when every slot of its operations is
// filled. Indications never count (no subscriptions are served), and
// neither do pulled enumerations (the handle has no slots for them).
std::vector<std::uint16_t> functionalGroupsOf(const CIMOMHandle &handle);

// This product's name and version, as CIM_ObjectManager.ElementName gives
// them ("cimxml 0.1").
std::wstring productDescription();

// Registers in interopNamespace the providers of CIM_ObjectManager,
// CIM_CIMXMLCommunicationMechanism and CIM_RegisteredProfile and of the
// associations CIM_HostedService (to the computer system of
// systemNamespace, where registerLiveProviders serves it),
// CIM_CommMechanismForManager, CIM_NamespaceInManager,
// CIM_ElementConformsToProfile and CIM_ReferencedProfile. A host calls it
// once, besides loadDefaultSchema; the object manager keeps no reference to
// description beyond the listener table. Replaces earlier providers of those
// classes; cannot fail.
void registerInteropProviders(ObjectManager &objectManager, ServerDescription description,
                              const std::wstring &interopNamespace = L"root/interop",
                              const std::wstring &systemNamespace = L"root/cimv2");

}  // namespace cimom
