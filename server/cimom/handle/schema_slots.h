// schema_slots.h - slots 4 to 13 of the handle: classes and qualifier
// declarations (the handle's contract holds for each).
#pragma once

#include <cimobj/cimobj.h>

namespace cimom::slots {

ReturnCode *enumerateClassNames(CIMObjectPath *path, int deepInheritance, CIMObjectPathList **classPaths);
ReturnCode *enumerateClasses(CIMObjectPath *path, int deepInheritance, int localOnly, int includeQualifiers,
                             int includeClassOrigin, CIMClassList **classes);
ReturnCode *getClass(CIMObjectPath *path, int localOnly, int includeQualifiers, int includeClassOrigin,
                     CIMStringList *propertyList, CIMClass **cimClass);
ReturnCode *createClass(CIMObjectPath *path, CIMClass *newClass);
ReturnCode *modifyClass(CIMObjectPath *path, CIMClass *modifiedClass);
ReturnCode *deleteClass(CIMObjectPath *path);
ReturnCode *deleteQualifier(CIMObjectPath *path);
ReturnCode *getQualifier(CIMString *nameSpace, CIMString *qualifierName, CIMQualifierType **declaration);
ReturnCode *setQualifier(CIMObjectPath *path, CIMQualifierType *declaration);
ReturnCode *enumerateQualifiers(CIMObjectPath *path, CIMQualifierTypeList **declarations);

}  // namespace cimom::slots
