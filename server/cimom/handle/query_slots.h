// query_slots.h - the handle's query, method and exported indication slots
// (the handle's contract holds for each).
#pragma once

#include <cimobj/cimobj.h>
#include <cimxml/cimxml_host.h>

namespace cimom::slots {

ReturnCode *execQuery(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage, CIMList **objects);
ReturnCode *execQueryInBatches(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage, size_t batchSize,
                               CIMXMLInstanceBatch deliver, void *context);
ReturnCode *invokeMethod(CIMObjectPath *path, CIMString *methodName, CIMPropertyList *inParameters,
                         CIMPropertyList *outParameters, CIMValue **returnValue);
ReturnCode *deliverIndication(CIMObjectPath *path, CIMInstance *indication);

}  // namespace cimom::slots
