// live_providers.h - the providers that show the machine the server runs
// on: its computer system, operating system, processes and mounted file
// systems, with the associations between them, read live on each request.
#pragma once

#include <string>

#include "object_manager.h"

namespace cimom {

// Registers in nameSpace the providers of the default schema's CIMXML_
// classes: the instance providers of CIMXML_ComputerSystem,
// CIMXML_OperatingSystem, CIMXML_UnixProcess and CIMXML_LocalFileSystem;
// the instance and association providers of CIMXML_RunningOS,
// CIMXML_InstalledOS, CIMXML_OSProcess and CIMXML_HostedFileSystem; and
// the method provider of CIMXML_OperatingSystem.GetLoadAverage. A host
// calls it once, besides loadDefaultSchema (an object manager without it
// serves those classes from its repository). Replaces earlier providers of
// those classes; cannot fail.
void registerLiveProviders(ObjectManager &objectManager, const std::wstring &nameSpace = L"root/cimv2");

}  // namespace cimom
