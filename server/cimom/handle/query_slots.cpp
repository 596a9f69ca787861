// query_slots.cpp - the handle's query, method, association and indication slots.
#include "handle/query_slots.h"

#include "handle/slot_support.h"

namespace cimom::slots {

namespace {

Status noObject() { return Status::error(4, "no object name given"); }

}  // namespace

ReturnCode *execQuery(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage, CIMList **objects) {
    return serve("ExecQuery", [&](ObjectManager &om) {
        ClassesOrInstances found;
        Status status = om.execQuery(nameSpaceOf(path), text(query), text(queryLanguage), found);
        if (status.ok()) *objects = toList(found);
        return status;
    });
}

ReturnCode *invokeMethod(CIMObjectPath *path, CIMString *methodName, CIMPropertyList *inParameters,
                         CIMPropertyList *outParameters, CIMValue **returnValue) {
    return serve("InvokeMethod", [&](ObjectManager &om) {
        if (!path) return Status::error(4, "no target given");
        std::vector<cimobj::PropertyPtr> out;
        cimobj::ValuePtr value;
        Status status = om.invokeMethod(nameSpaceOf(path), *path, text(methodName), inParameters, out, value);
        if (!status.ok()) return status;
        for (cimobj::PropertyPtr &parameter : out)
            if (parameter) appendOwned(&outParameters, CIMLIST_PROPERTY, std::move(parameter));
        *returnValue = value.release();
        return status;
    });
}

ReturnCode *associators(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass, CIMString *role,
                        CIMString *resultRole, int includeQualifiers, int includeClassOrigin,
                        CIMStringList *propertyList, CIMList **objects) {
    return serve("Associators", [&](ObjectManager &om) {
        if (!path) return noObject();
        AssociationFilter filter{text(assocClass), text(resultClass), text(role), text(resultRole)};
        ClassesOrInstances found;
        Status status =
            om.associators(nameSpaceOf(path), *path, filter,
                           instanceOptions(0, 1, includeQualifiers, includeClassOrigin, propertyList), found);
        if (status.ok()) *objects = toList(found);
        return status;
    });
}

ReturnCode *associatorNames(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass, CIMString *role,
                            CIMString *resultRole, CIMList **paths) {
    return serve("AssociatorNames", [&](ObjectManager &om) {
        if (!path) return noObject();
        AssociationFilter filter{text(assocClass), text(resultClass), text(role), text(resultRole)};
        std::vector<cimobj::PathPtr> found;
        Status status = om.associatorNames(nameSpaceOf(path), *path, filter, found);
        if (status.ok()) *paths = toList(CIMLIST_OBJECTPATH, found);
        return status;
    });
}

ReturnCode *references(CIMObjectPath *path, CIMString *resultClass, CIMString *role, int includeQualifiers,
                       int includeClassOrigin, CIMStringList *propertyList, CIMList **objects) {
    return serve("References", [&](ObjectManager &om) {
        if (!path) return noObject();
        AssociationFilter filter{{}, text(resultClass), text(role), {}};
        ClassesOrInstances found;
        Status status =
            om.references(nameSpaceOf(path), *path, filter,
                          instanceOptions(0, 1, includeQualifiers, includeClassOrigin, propertyList), found);
        if (status.ok()) *objects = toList(found);
        return status;
    });
}

ReturnCode *referenceNames(CIMObjectPath *path, CIMString *resultClass, CIMString *role, CIMObjectPathList **paths) {
    return serve("ReferenceNames", [&](ObjectManager &om) {
        if (!path) return noObject();
        AssociationFilter filter{{}, text(resultClass), text(role), {}};
        std::vector<cimobj::PathPtr> found;
        Status status = om.referenceNames(nameSpaceOf(path), *path, filter, found);
        if (status.ok()) *paths = toList(CIMLIST_OBJECTPATH, found);
        return status;
    });
}

ReturnCode *deliverIndication(CIMObjectPath *path, CIMInstance *indication) {
    return serve("ExportIndication", [&](ObjectManager &om) {
        if (!indication) return Status::error(4, "no indication given");
        return om.deliverIndication(nameSpaceOf(path), *indication);
    });
}

}  // namespace cimom::slots
