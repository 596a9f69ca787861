// communication_mechanism_provider.h - CIM-XML on each of the host's
// listening sockets as a CIM_CIMXMLCommunicationMechanism of the object
// manager.
#pragma once

#include <memory>

#include "cimom/interop_providers.h"
#include "providers/live_provider.h"

namespace cimom::live {

// The mechanism's Name for a listener: "http:5988".
std::wstring mechanismName(const Listener &listener);

// The provider of CIM_CIMXMLCommunicationMechanism: one instance per
// listener the table holds when it is called, with what description says
// of all of them.
std::shared_ptr<LiveInstanceProvider> makeCommunicationMechanismProvider(ServerDescription description);

}  // namespace cimom::live
