// pull_slots.h - the host extension slots of the pulled enumerations, on
// behalf of the user the host named for the calling thread's request.
#pragma once

#include <cimxml/cimxml_host.h>

namespace cimom::slots {

ReturnCode *openEnumeration(const CIMXMLOpenEnumeration *request, CIMXMLPulledPiece *piece);
ReturnCode *pullEnumeration(CIMObjectPath *path, const CIMString *context, int kind, unsigned int maxObjectCount,
                            CIMXMLPulledPiece *piece);
ReturnCode *closeEnumeration(CIMObjectPath *path, const CIMString *context);
ReturnCode *enumerationCount(CIMObjectPath *path, const CIMString *context, unsigned long long *count);

}  // namespace cimom::slots
