// property_operations.cpp - reading and setting one property of an instance.
#include "repository/instance_keys.h"
#include "repository/value_conversion.h"
#include "semantics/instance_access.h"
#include "support/embedded_types.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

Status noSuchProperty(const ClassRecord &record, std::wstring_view name) {
    return Status::error(12, "class " + cimobj::toUtf8(record.name) + " has no property " + cimobj::toUtf8(name));
}

}  // namespace

Status ObjectManager::getProperty(const std::wstring &nameSpace, const CIMObjectPath &instanceName,
                                  const std::wstring &name, cimobj::ValuePtr &value) {
    int type = CIM_STRING;
    {
        auto lock = state_->repository.readLock();
        InstanceSource source;
        Status status = findInstanceSource(*state_, nameSpace, textOf(instanceName.className), source);
        if (!status.ok()) return status;
        const CIMProperty *declared = source.record->property(name);
        if (!declared) return noSuchProperty(*source.record, name);
        type = heldType(*declared);
    }
    InstanceOptions options;
    options.properties = std::vector<std::wstring>{name};
    cimobj::InstancePtr instance;
    Status status = getInstance(nameSpace, instanceName, options, instance);
    if (!status.ok()) return status;
    for (CIMProperty *p : items<CIMProperty>(instance->properties))
        if (sameName(textOf(p->name), name)) value = copyValue(p->value);
    // A provider may leave a property out: it is null.
    if (!value) value.reset(orThrow(newCIMValueNULL(type)));
    return status;
}

Status ObjectManager::setProperty(const std::wstring &nameSpace, const CIMObjectPath &instanceName,
                                  const std::wstring &name, const CIMValue *value) {
    InstanceSource source;
    {
        auto lock = state_->repository.readLock();
        Status status = findInstanceSource(*state_, nameSpace, textOf(instanceName.className), source);
        if (!status.ok()) return status;
        const CIMProperty *declared = source.record->property(name);
        if (!declared) return noSuchProperty(*source.record, name);
        Conversion conversion = convertValue(value, heldType(*declared));
        if (!conversion.ok())
            return Status::error(conversion.typeMismatch ? 13 : 4,
                                 "property " + cimobj::toUtf8(textOf(declared->name)) + ": " + conversion.problem);
    }
    // One property set is a modification that names only that property.
    cimobj::InstancePtr change(orThrow(newInstance(newText(source.record->name), nullptr, nullptr)));
    cimobj::PropertyPtr property(orThrow(
        newProperty(newText(name), nullptr, copyValue(value).release(), value ? value->type : CIM_STRING, nullptr, 0)));
    if (!property->value) property->value = orThrow(newCIMValueNULL(CIM_STRING));
    appendOwned(&change->properties, CIMLIST_PROPERTY, std::move(property));
    return modifyInstance(nameSpace, instanceName, *change, false, std::vector<std::wstring>{name});
}

}  // namespace cimom
