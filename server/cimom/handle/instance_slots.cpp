// instance_slots.cpp - the handle's instance and property slots.
#include "handle/instance_slots.h"

#include "handle/slot_support.h"

namespace cimom::slots {

namespace {

Status noTarget() { return Status::error(4, "no instance name given"); }

}  // namespace

ReturnCode *getProperty(CIMObjectPath *instancePath, CIMString *propertyName, CIMValue **value) {
    return serve("GetProperty", [&](ObjectManager &om) {
        if (!instancePath) return noTarget();
        cimobj::ValuePtr found;
        Status status = om.getProperty(nameSpaceOf(instancePath), *instancePath, text(propertyName), found);
        if (status.ok()) *value = found.release();
        return status;
    });
}

ReturnCode *setProperty(CIMObjectPath *instancePath, CIMString *propertyName, CIMValue *newValue) {
    return serve("SetProperty", [&](ObjectManager &om) {
        if (!instancePath) return noTarget();
        return om.setProperty(nameSpaceOf(instancePath), *instancePath, text(propertyName), newValue);
    });
}

ReturnCode *setInstance(CIMObjectPath *path, CIMInstance *instance, int includeQualifiers,
                        CIMStringList *propertyList) {
    return serve("ModifyInstance", [&](ObjectManager &om) {
        if (!path || !instance) return Status::error(4, "no instance given");
        return om.modifyInstance(nameSpaceOf(path), *path, *instance, includeQualifiers != 0,
                                 propertyNames(propertyList));
    });
}

ReturnCode *createInstance(CIMObjectPath *path, CIMInstance *instance, CIMObjectPath **newPath) {
    return serve("CreateInstance", [&](ObjectManager &om) {
        if (!instance) return Status::error(4, "no instance given");
        cimobj::PathPtr made;
        Status status = om.createInstance(nameSpaceOf(path), *instance, made);
        if (status.ok()) *newPath = made.release();
        return status;
    });
}

ReturnCode *deleteInstance(CIMObjectPath *instancePath) {
    return serve("DeleteInstance", [&](ObjectManager &om) {
        if (!instancePath) return noTarget();
        return om.deleteInstance(nameSpaceOf(instancePath), *instancePath);
    });
}

ReturnCode *enumerateInstances(CIMObjectPath *path, int localOnly, int deepInheritance, int includeQualifiers,
                               int includeClassOrigin, CIMStringList *propertyList, CIMInstanceList **instances) {
    return serve("EnumerateInstances", [&](ObjectManager &om) {
        std::vector<cimobj::InstancePtr> found;
        Status status = om.enumerateInstances(
            nameSpaceOf(path), classNameOf(path),
            instanceOptions(localOnly, deepInheritance, includeQualifiers, includeClassOrigin, propertyList), found);
        if (status.ok()) *instances = toList(CIMLIST_INSTANCE, found);
        return status;
    });
}

ReturnCode *enumerateInstanceNames(CIMObjectPath *path, CIMObjectPathList **instancePaths) {
    return serve("EnumerateInstanceNames", [&](ObjectManager &om) {
        std::vector<cimobj::PathPtr> found;
        Status status = om.enumerateInstanceNames(nameSpaceOf(path), classNameOf(path), found);
        if (status.ok()) *instancePaths = toList(CIMLIST_OBJECTPATH, found);
        return status;
    });
}

ReturnCode *enumerateInstancesInBatches(CIMObjectPath *path, int localOnly, int deepInheritance,
                                        int includeQualifiers, int includeClassOrigin, CIMStringList *propertyList,
                                        size_t batchSize, CIMXMLInstanceBatch deliver, void *context) {
    return serveInBatches("EnumerateInstances", [&](ObjectManager &om) {
        return om.enumerateInstances(
            nameSpaceOf(path), classNameOf(path),
            instanceOptions(localOnly, deepInheritance, includeQualifiers, includeClassOrigin, propertyList), batchSize,
            instancesTo(deliver, context));
    });
}

ReturnCode *enumerateInstanceNamesInBatches(CIMObjectPath *path, size_t batchSize, CIMXMLPathBatch deliver,
                                            void *context) {
    return serveInBatches("EnumerateInstanceNames", [&](ObjectManager &om) {
        return om.enumerateInstanceNames(nameSpaceOf(path), classNameOf(path), batchSize, pathsTo(deliver, context));
    });
}

ReturnCode *getInstance(CIMObjectPath *instancePath, int localOnly, int includeQualifiers, int includeClassOrigin,
                        CIMStringList *propertyList, CIMInstance **instance) {
    return serve("GetInstance", [&](ObjectManager &om) {
        if (!instancePath) return noTarget();
        cimobj::InstancePtr found;
        Status status =
            om.getInstance(nameSpaceOf(instancePath), *instancePath,
                           instanceOptions(localOnly, 1, includeQualifiers, includeClassOrigin, propertyList), found);
        if (status.ok()) *instance = found.release();
        return status;
    });
}

}  // namespace cimom::slots
