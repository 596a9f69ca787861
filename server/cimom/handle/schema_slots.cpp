// schema_slots.cpp - the handle's qualifier declaration and class slots.
#include "handle/schema_slots.h"

#include "handle/slot_support.h"

namespace cimom::slots {

ReturnCode *enumerateClassNames(CIMObjectPath *path, int deepInheritance, CIMObjectPathList **classPaths) {
    return serve("EnumerateClassNames", [&](ObjectManager &om) {
        std::vector<cimobj::PathPtr> found;
        Status status = om.enumerateClassNames(nameSpaceOf(path), classNameOf(path), deepInheritance != 0, found);
        if (status.ok()) *classPaths = toList(CIMLIST_OBJECTPATH, found);
        return status;
    });
}

ReturnCode *enumerateClasses(CIMObjectPath *path, int deepInheritance, int localOnly, int includeQualifiers,
                             int includeClassOrigin, CIMClassList **classes) {
    return serve("EnumerateClasses", [&](ObjectManager &om) {
        ClassOptions options{localOnly != 0, includeQualifiers != 0, includeClassOrigin != 0, std::nullopt};
        std::vector<cimobj::ClassPtr> found;
        Status status = om.enumerateClasses(nameSpaceOf(path), classNameOf(path), deepInheritance != 0, options, found);
        if (status.ok()) *classes = toList(CIMLIST_CLASS, found);
        return status;
    });
}

ReturnCode *getClass(CIMObjectPath *path, int localOnly, int includeQualifiers, int includeClassOrigin,
                     CIMStringList *propertyList, CIMClass **cimClass) {
    return serve("GetClass", [&](ObjectManager &om) {
        ClassOptions options{localOnly != 0, includeQualifiers != 0, includeClassOrigin != 0,
                             propertyNames(propertyList)};
        cimobj::ClassPtr found;
        Status status = om.getClass(nameSpaceOf(path), classNameOf(path), options, found);
        if (status.ok()) *cimClass = found.release();
        return status;
    });
}

ReturnCode *createClass(CIMObjectPath *path, CIMClass *newClass) {
    return serve("CreateClass", [&](ObjectManager &om) {
        if (!newClass) return Status::error(4, "no class given");
        return om.createClass(nameSpaceOf(path), *newClass);
    });
}

ReturnCode *modifyClass(CIMObjectPath *path, CIMClass *modifiedClass) {
    return serve("ModifyClass", [&](ObjectManager &om) {
        if (!modifiedClass) return Status::error(4, "no class given");
        return om.modifyClass(nameSpaceOf(path), *modifiedClass);
    });
}

ReturnCode *deleteClass(CIMObjectPath *path) {
    return serve("DeleteClass",
                 [&](ObjectManager &om) { return om.deleteClass(nameSpaceOf(path), classNameOf(path)); });
}

ReturnCode *deleteQualifier(CIMObjectPath *path) {
    return serve("DeleteQualifier",
                 [&](ObjectManager &om) { return om.deleteQualifier(nameSpaceOf(path), classNameOf(path)); });
}

ReturnCode *getQualifier(CIMString *nameSpace, CIMString *qualifierName, CIMQualifierType **declaration) {
    return serve("GetQualifier", [&](ObjectManager &om) {
        cimobj::QualifierTypePtr found;
        Status status = om.getQualifier(text(nameSpace), text(qualifierName), found);
        if (status.ok()) *declaration = found.release();
        return status;
    });
}

ReturnCode *setQualifier(CIMObjectPath *path, CIMQualifierType *declaration) {
    return serve("SetQualifier", [&](ObjectManager &om) {
        if (!declaration) return Status::error(4, "no qualifier declaration given");
        return om.setQualifier(nameSpaceOf(path), *declaration);
    });
}

ReturnCode *enumerateQualifiers(CIMObjectPath *path, CIMQualifierTypeList **declarations) {
    return serve("EnumerateQualifiers", [&](ObjectManager &om) {
        std::vector<cimobj::QualifierTypePtr> found;
        Status status = om.enumerateQualifiers(nameSpaceOf(path), found);
        if (status.ok()) *declarations = toList(CIMLIST_QUALIFIERTYPE, found);
        return status;
    });
}

}  // namespace cimom::slots
