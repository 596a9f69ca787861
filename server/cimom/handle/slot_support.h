// slot_support.h - what every slot of the handle does around its operation:
// reach the installed object manager, turn exceptions and statuses into the
// status record the module expects, and convert arguments and results
// between the handle's C forms and the object manager's.
#pragma once

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cimom/handle.h"
#include "support/objects.h"

namespace cimom::slots {

// The namespace a path names; empty for NULL.
inline std::wstring nameSpaceOf(const CIMObjectPath *path) {
    return path ? std::wstring(textOf(path->nameSpace)) : std::wstring();
}
inline std::wstring classNameOf(const CIMObjectPath *path) {
    return path ? std::wstring(textOf(path->className)) : std::wstring();
}
inline std::wstring text(const CIMString *s) { return std::wstring(textOf(s)); }

// NULL: every property; else the names listed.
PropertyNames propertyNames(const CIMStringList *list);

InstanceOptions instanceOptions(int localOnly, int deepInheritance, int includeQualifiers, int includeClassOrigin,
                                const CIMStringList *propertyList);

// A new list of listType holding the items (the list takes them).
template <class Ptr>
CIMList *toList(int listType, std::vector<Ptr> &items) {
    cimobj::ListPtr list = makeList(listType);
    CIMList *raw = list.get();
    for (Ptr &item : items) appendOwned(&raw, listType, std::move(item));
    return list.release();
}

// The classes or instances as a list of classes or of instances.
CIMList *toList(ClassesOrInstances &results);

// The status refuseRestOfAnswer set for the calling thread, if any.
const std::optional<Status> &answerRefusal();

// The object manager's batches handed on to the module's deliver, as lists
// it takes; false (stop) once deliver or the host wants no more.
ObjectManager::InstanceBatch instancesTo(CIMXMLInstanceBatch deliver, void *context);
ObjectManager::PathBatch pathsTo(CIMXMLPathBatch deliver, void *context);
ObjectManager::ObjectBatch objectsTo(CIMXMLObjectBatch deliver, void *context);

// The status record of a status; a failure is logged at debugging level
// naming the operation.
ReturnCode *statusRecord(const char *operation, const Status &status);

// Runs body(objectManager) for the slot named operation: status 1 when no
// object manager is installed or body throws (out of memory among others).
template <class Body>
ReturnCode *serve(const char *operation, Body body) {
    std::shared_ptr<ObjectManager> objectManager = installedObjectManager();
    if (!objectManager) return statusRecord(operation, Status::error(1, "no object manager is installed"));
    try {
        return statusRecord(operation, body(*objectManager));
    } catch (const std::bad_alloc &) {
        return statusRecord(operation, Status::error(1, "out of memory"));
    } catch (const std::exception &failure) {
        return statusRecord(operation, Status::error(1, failure.what()));
    }
}

// serve for a slot that hands its results over in batches: the host's
// refusal of the rest of the answer, when it made one, is the status.
template <class Body>
ReturnCode *serveInBatches(const char *operation, Body body) {
    return serve(operation, [&](ObjectManager &objectManager) {
        Status status = body(objectManager);
        return answerRefusal() ? *answerRefusal() : status;
    });
}

}  // namespace cimom::slots
