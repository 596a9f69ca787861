// method_operations.cpp - extrinsic methods, served by method providers.
#include "repository/instance_keys.h"
#include "semantics/instance_access.h"
#include "semantics/object_manager_state.h"
#include "support/embedded_types.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

Status ObjectManager::invokeMethod(const std::wstring &nameSpace, const CIMObjectPath &target,
                                   const std::wstring &methodName, const CIMPropertyList *inParameters,
                                   std::vector<cimobj::PropertyPtr> &outParameters, cimobj::ValuePtr &returnValue) {
    InstanceSource source;
    const CIMMethod *method = nullptr;
    std::shared_ptr<MethodProvider> provider;
    std::vector<cimobj::PropertyPtr> in;
    {
        auto lock = state_->repository.readLock();
        Status status = findInstanceSource(*state_, nameSpace, textOf(target.className), source);
        if (!status.ok()) return answeredAs(status, 5, 6);
        const ClassRecord &record = *source.record;
        method = record.method(methodName);
        if (!method)
            return Status::error(
                17, "class " + cimobj::toUtf8(record.name) + " has no method " + cimobj::toUtf8(methodName));
        for (const std::wstring &classKey : record.lineage)
            if ((provider = state_->providers.methodProvider(source.nameSpace, classKey))) break;
        const NamespaceData &space = *state_->repository.find(nameSpace);
        for (CIMProperty *given : items<CIMProperty>(inParameters)) {
            const CIMProperty *declared = findCIMProperty(method->parameters, getCIMStringBuffer(given->name));
            if (!declared)
                return Status::error(4, "method " + cimobj::toUtf8(textOf(method->name)) + " has no parameter " +
                                            cimobj::toUtf8(textOf(given->name)));
            cimobj::ValuePtr value;
            status = convertForProperty(space, *declared, given->value, value, 4, "parameter");
            if (!status.ok()) return status;
            cimobj::PropertyPtr parameter = copyProperty(declared);
            propertySetQualifiers(parameter.get(), nullptr);
            if (!isSuccessfulFree(propertyAddValue(parameter.get(), value.release()))) throw std::bad_alloc();
            parameter->type = heldType(*declared);
            in.push_back(std::move(parameter));
        }
    }
    if (!provider)
        return Status::error(16, "no provider serves method " + cimobj::toUtf8(source.record->name) + "." +
                                     cimobj::toUtf8(textOf(method->name)));
    const PropertyNames all;
    return provider->invokeMethod(providerContext(*this, source, state_->host(), all), target, *method, in,
                                  outParameters, returnValue);
}

}  // namespace cimom
