// query_slots.h - slots 23 to 29 of the handle: queries, methods,
// associations and exported indications (the handle's contract holds for each).
#pragma once

#include <cimobj/cimobj.h>

namespace cimom::slots {

ReturnCode *execQuery(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage, CIMList **objects);
ReturnCode *invokeMethod(CIMObjectPath *path, CIMString *methodName, CIMPropertyList *inParameters,
                         CIMPropertyList *outParameters, CIMValue **returnValue);
ReturnCode *associators(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass, CIMString *role,
                        CIMString *resultRole, int includeQualifiers, int includeClassOrigin,
                        CIMStringList *propertyList, CIMList **objects);
ReturnCode *associatorNames(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass, CIMString *role,
                            CIMString *resultRole, CIMList **paths);
ReturnCode *references(CIMObjectPath *path, CIMString *resultClass, CIMString *role, int includeQualifiers,
                       int includeClassOrigin, CIMStringList *propertyList, CIMList **objects);
ReturnCode *referenceNames(CIMObjectPath *path, CIMString *resultClass, CIMString *role, CIMObjectPathList **paths);
ReturnCode *deliverIndication(CIMObjectPath *path, CIMInstance *indication);

}  // namespace cimom::slots
