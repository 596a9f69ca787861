// slot_support.cpp - conversions and status records for the slots.
#include "handle/slot_support.h"

#include <mutex>

namespace cimom {

namespace {

std::mutex installedMutex;
std::shared_ptr<ObjectManager> installed;
thread_local std::optional<Status> refusal;

}  // namespace

void refuseRestOfAnswer(std::optional<Status> status) { refusal = std::move(status); }

void installObjectManager(std::shared_ptr<ObjectManager> objectManager) {
    std::lock_guard lock(installedMutex);
    installed = std::move(objectManager);
}

std::shared_ptr<ObjectManager> installedObjectManager() {
    std::lock_guard lock(installedMutex);
    return installed;
}

namespace slots {

PropertyNames propertyNames(const CIMStringList *list) {
    if (!list) return std::nullopt;
    std::vector<std::wstring> names;
    for (CIMString *name : items<CIMString>(list)) names.emplace_back(textOf(name));
    return names;
}

InstanceOptions instanceOptions(int localOnly, int deepInheritance, int includeQualifiers, int includeClassOrigin,
                                const CIMStringList *propertyList) {
    InstanceOptions options;
    options.localOnly = localOnly != 0;
    options.deepInheritance = deepInheritance != 0;
    options.includeQualifiers = includeQualifiers != 0;
    options.includeClassOrigin = includeClassOrigin != 0;
    options.properties = propertyNames(propertyList);
    return options;
}

CIMList *toList(ClassesOrInstances &results) {
    return results.areClasses ? toList(CIMLIST_CLASS, results.classes) : toList(CIMLIST_INSTANCE, results.instances);
}

const std::optional<Status> &answerRefusal() { return refusal; }

ObjectManager::InstanceBatch instancesTo(CIMXMLInstanceBatch deliver, void *context) {
    return [deliver, context](std::vector<cimobj::InstancePtr> &batch) {
        return deliver(context, toList(CIMLIST_INSTANCE, batch)) == 0 && !refusal;
    };
}

ObjectManager::PathBatch pathsTo(CIMXMLPathBatch deliver, void *context) {
    return [deliver, context](std::vector<cimobj::PathPtr> &batch) {
        return deliver(context, toList(CIMLIST_OBJECTPATH, batch)) == 0 && !refusal;
    };
}

ObjectManager::ObjectBatch objectsTo(CIMXMLObjectBatch deliver, void *context) {
    return [deliver, context](ClassesOrInstances &batch) { return deliver(context, toList(batch)) == 0 && !refusal; };
}

ReturnCode *statusRecord(const char *operation, const Status &status) {
    if (!status.ok())
        cimPrintMessage(CIM_LOG_DEBUG, L"%s: status %d: %s", operation, status.code, status.message.c_str());
    std::wstring description = cimobj::fromUtf8(status.message);
    ReturnCode *record = newReturnCode(status.code, status.ok() ? nullptr : description.c_str());
    return record ? record : newReturnCode(1, nullptr);
}

}  // namespace slots
}  // namespace cimom
