// association_slots.cpp - the handle's association slots.
#include "handle/association_slots.h"

#include "handle/slot_support.h"

namespace cimom::slots {

namespace {

Status noObject() { return Status::error(4, "no object name given"); }

}  // namespace

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

ReturnCode *associatorsInBatches(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass, CIMString *role,
                                 CIMString *resultRole, int includeQualifiers, int includeClassOrigin,
                                 CIMStringList *propertyList, size_t batchSize, CIMXMLObjectBatch deliver,
                                 void *context) {
    return serveInBatches("Associators", [&](ObjectManager &om) {
        if (!path) return noObject();
        AssociationFilter filter{text(assocClass), text(resultClass), text(role), text(resultRole)};
        return om.associators(nameSpaceOf(path), *path, filter,
                              instanceOptions(0, 1, includeQualifiers, includeClassOrigin, propertyList), batchSize,
                              objectsTo(deliver, context));
    });
}

ReturnCode *associatorNamesInBatches(CIMObjectPath *path, CIMString *assocClass, CIMString *resultClass,
                                     CIMString *role, CIMString *resultRole, size_t batchSize, CIMXMLPathBatch deliver,
                                     void *context) {
    return serveInBatches("AssociatorNames", [&](ObjectManager &om) {
        if (!path) return noObject();
        AssociationFilter filter{text(assocClass), text(resultClass), text(role), text(resultRole)};
        return om.associatorNames(nameSpaceOf(path), *path, filter, batchSize, pathsTo(deliver, context));
    });
}

ReturnCode *referencesInBatches(CIMObjectPath *path, CIMString *resultClass, CIMString *role, int includeQualifiers,
                                int includeClassOrigin, CIMStringList *propertyList, size_t batchSize,
                                CIMXMLObjectBatch deliver, void *context) {
    return serveInBatches("References", [&](ObjectManager &om) {
        if (!path) return noObject();
        AssociationFilter filter{{}, text(resultClass), text(role), {}};
        return om.references(nameSpaceOf(path), *path, filter,
                             instanceOptions(0, 1, includeQualifiers, includeClassOrigin, propertyList), batchSize,
                             objectsTo(deliver, context));
    });
}

ReturnCode *referenceNamesInBatches(CIMObjectPath *path, CIMString *resultClass, CIMString *role, size_t batchSize,
                                    CIMXMLPathBatch deliver, void *context) {
    return serveInBatches("ReferenceNames", [&](ObjectManager &om) {
        if (!path) return noObject();
        AssociationFilter filter{{}, text(resultClass), text(role), {}};
        return om.referenceNames(nameSpaceOf(path), *path, filter, batchSize, pathsTo(deliver, context));
    });
}

}  // namespace cimom::slots
