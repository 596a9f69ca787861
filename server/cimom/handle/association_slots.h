// association_slots.h - the handle's association slots, Associators,
// AssociatorNames, References and ReferenceNames, whole and in batches (the
// handle's contract holds for each).
#pragma once

#include <cimobj/cimobj.h>
#include <cimxml/cimxml_host.h>

namespace cimom::slots {

ReturnCode *associators(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass, CIMString *role,
                        CIMString *resultRole, int includeQualifiers, int includeClassOrigin,
                        CIMStringList *propertyList, CIMList **objects);
ReturnCode *associatorNames(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass, CIMString *role,
                            CIMString *resultRole, CIMList **paths);
ReturnCode *references(CIMObjectPath *path, CIMString *resultClass, CIMString *role, int includeQualifiers,
                       int includeClassOrigin, CIMStringList *propertyList, CIMList **objects);
ReturnCode *referenceNames(CIMObjectPath *path, CIMString *resultClass, CIMString *role, CIMObjectPathList **paths);

ReturnCode *associatorsInBatches(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass, CIMString *role,
                                 CIMString *resultRole, int includeQualifiers, int includeClassOrigin,
                                 CIMStringList *propertyList, size_t batchSize, CIMXMLObjectBatch deliver,
                                 void *context);
ReturnCode *associatorNamesInBatches(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass,
                                     CIMString *role, CIMString *resultRole, size_t batchSize, CIMXMLPathBatch deliver,
                                     void *context);
ReturnCode *referencesInBatches(CIMObjectPath *path, CIMString *resultClass, CIMString *role, int includeQualifiers,
                                int includeClassOrigin, CIMStringList *propertyList, size_t batchSize,
                                CIMXMLObjectBatch deliver, void *context);
ReturnCode *referenceNamesInBatches(CIMObjectPath *path, CIMString *resultClass, CIMString *role, size_t batchSize,
                                    CIMXMLPathBatch deliver, void *context);

}  // namespace cimom::slots
