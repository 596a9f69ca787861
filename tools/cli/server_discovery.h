// server_discovery.h - what a client learns of a WBEM server from its
// interop namespace: the object manager (product and version), the
// namespaces, the communication mechanisms and the registered profiles,
// each found the way a discovering client finds it.
#pragma once

#include <string>
#include <vector>

#include "cim_connection.h"

namespace cli {

struct DiscoveredMechanism {
    std::string name;                         // the instance's Name
    std::string protocol;                     // CommunicationMechanism ("CIM-XML")
    std::string version;                      // Version ("1.2")
    std::vector<std::string> groups;          // FunctionalProfilesSupported ("Basic Read")
    std::vector<std::string> authentication;  // AuthenticationMechanismsSupported ("Basic")
};

struct DiscoveredProfile {
    std::string organization;  // RegisteredOrganization ("DMTF")
    std::string name, version;
};

struct DiscoveredServer {
    std::string interopNamespace;
    std::string product;        // the object manager's ElementName
    std::string description;    // its Description
    std::string objectManager;  // its path
    std::vector<std::string> namespaces;
    std::vector<DiscoveredMechanism> mechanisms;
    std::vector<DiscoveredProfile> profiles;
};

// Walks the server: the interop namespace is the URL's when it names one,
// else the first of root/interop and interop that holds CIM_ObjectManager;
// from its one object manager the mechanisms (CIM_CommMechanismForManager),
// the namespaces (CIM_NamespaceInManager) and the profiles it is central to
// (CIM_ElementConformsToProfile). Enumerated values are named by the
// ValueMap and Values of their classes. Throws ClientError: the CIM error of
// a failed request, or exitProtocol when no namespace holds an object
// manager or one holds more than one.
DiscoveredServer discoverServer(remote::CimConnection &connection);

}  // namespace cli
