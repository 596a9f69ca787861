// object_manager_host.h - the object manager the server serves: the one seam
// between the front end and it. The front end needs only its CIMOMHandle.
#pragma once

#include <memory>
#include <string>

#include <cimom/object_manager.h>
#include <cimxml/cimom_handle.h>
#include <cimxml/cimxml_host.h>

#include "metrics.h"
#include "options.h"

namespace cimxmld {

class ObjectManagerHost {
public:
    // Sets the object manager up as the options say (host name, the default
    // schema with the live providers of this machine and the server's own
    // description in root/interop, the --mof files in order), with the
    // limits on pulled enumerations, whose unused contexts it frees as they
    // expire. On failure returns null and the
    // reason (a MOF diagnostic names file, line and column) in error.
    static std::unique_ptr<ObjectManagerHost> start(const ServerOptions &options, std::string &error);
    virtual ~ObjectManagerHost() = default;

    // The handle the module calls; valid as long as this host lives.
    virtual CIMOMHandle *handle() = 0;
    // The extensions the module's strict profile asks a host for, served by
    // the same object manager; valid as long as this host lives.
    virtual const CIMXMLHostExtensions &extensions() = 0;
    // Tells the object manager that the server now also listens on port
    // with scheme ("http", "https"): its interop namespace shows a CIM-XML
    // communication mechanism for each. Cannot fail.
    virtual void listening(const std::string &scheme, int port) = 0;
    // The server is stopping: new pulled enumerations are refused.
    virtual void stopping() = 0;
    // The object manager itself (indication delivery talks to it).
    virtual cimom::ObjectManager &objectManager() = 0;
    // The pulled enumerations' figures now.
    virtual EnumerationFigures enumerationFigures() const = 0;
    // The registered providers' figures now, one entry per provider.
    virtual std::vector<cimom::ProviderFigures> providerFigures() const = 0;
    // Reads the registrations of options.providersDir again: their classes
    // are served by newly started providers, the classes no registration
    // names any more by the repository again; the problems are logged.
    virtual void reloadProviders(const ServerOptions &options) = 0;
};

}  // namespace cimxmld
