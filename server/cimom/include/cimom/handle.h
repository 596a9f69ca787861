// handle.h - the CIMOM handle of the protocol module, served by one
// process-wide object manager that the host installs.
//
// The handle's slots carry no context, so they reach the object manager
// installed here. Each slot follows the handle's contract: arguments are
// lent, results are new objects handed to the caller, and the status record
// returned is never NULL. A failure of the object manager is a status for
// the client, logged at debugging level, not an error of the server.
#pragma once

#include <cimxml/cimom_handle.h>
#include <cimxml/cimxml_host.h>

#include <memory>
#include <optional>
#include <string>

#include "object_manager.h"

namespace cimom {

// Makes objectManager the one every slot uses, replacing an earlier one
// (calls already running finish on the one they started with). nullptr
// uninstalls it: the slots then answer status 1.
void installObjectManager(std::shared_ptr<ObjectManager> objectManager);
// The installed object manager; nullptr when none.
std::shared_ptr<ObjectManager> installedObjectManager();

// Fills slots 4 to 15 and 17 to 29 of handle; the host's reserved slots
// (0 to 3 and 16) are left as they are.
void fillCimomHandle(CIMOMHandle &handle);
// Fills the extensions the module's strict profile asks a host for
// (enumerations in batches, pulled enumerations), served by the same
// object manager.
void fillHostExtensions(CIMXMLHostExtensions &extensions);
// Names the user the calling thread's request was authenticated as (empty:
// none); the pulled enumerations it opens belong to that user. The host
// sets it before handing each request to the module.
void setRequestUser(std::string user);
// Makes the calling thread's operation that hands its results over in
// batches stop at its next batch and end with status (the host can take no
// more of its answer: the memory and disk it has for answers are used up);
// nullopt, which the host sets before each request, lets operations run.
void refuseRestOfAnswer(std::optional<Status> status);

}  // namespace cimom
