// instance_slots.h - slots 14, 15 and 17 to 22 of the handle: instances and
// their properties (the handle's contract holds for each).
#pragma once

#include <cimobj/cimobj.h>
#include <cimxml/cimxml_host.h>

namespace cimom::slots {

ReturnCode *getProperty(CIMObjectPath *instancePath, CIMString *propertyName, CIMValue **value);
ReturnCode *setProperty(CIMObjectPath *instancePath, CIMString *propertyName, CIMValue *newValue);
ReturnCode *setInstance(CIMObjectPath *path, CIMInstance *instance, int includeQualifiers, CIMStringList *propertyList);
ReturnCode *createInstance(CIMObjectPath *path, CIMInstance *instance, CIMObjectPath **newPath);
ReturnCode *deleteInstance(CIMObjectPath *instancePath);
ReturnCode *enumerateInstances(CIMObjectPath *path, int localOnly, int deepInheritance, int includeQualifiers,
                               int includeClassOrigin, CIMStringList *propertyList, CIMInstanceList **instances);
ReturnCode *enumerateInstanceNames(CIMObjectPath *path, CIMObjectPathList **instancePaths);
ReturnCode *enumerateInstancesInBatches(CIMObjectPath *path, int localOnly, int deepInheritance,
                                        int includeQualifiers, int includeClassOrigin, CIMStringList *propertyList,
                                        size_t batchSize, CIMXMLInstanceBatch deliver, void *context);
ReturnCode *enumerateInstanceNamesInBatches(CIMObjectPath *path, size_t batchSize, CIMXMLPathBatch deliver,
                                            void *context);
ReturnCode *getInstance(CIMObjectPath *instancePath, int localOnly, int includeQualifiers, int includeClassOrigin,
                        CIMStringList *propertyList, CIMInstance **instance);

}  // namespace cimom::slots
