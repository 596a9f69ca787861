// provider_defaults.cpp - what an instance provider does for the calls it
// does not implement.
#include "cimom/provider.h"
#include "support/objects.h"

namespace cimom {

Status InstanceProvider::collectStreamed(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) {
    return streamInstances(context, [&instances](cimobj::InstancePtr one) {
        instances.push_back(std::move(one));
        return true;
    });
}

Status InstanceProvider::streamInstances(const ProviderContext &context, const InstanceSink &sink) {
    std::vector<cimobj::InstancePtr> instances;
    Status status = enumerateInstances(context, instances);
    for (cimobj::InstancePtr &one : instances)
        if (!sink(std::move(one))) break;
    return status;
}

Status InstanceProvider::enumerateInstanceNames(const ProviderContext &context, std::vector<cimobj::PathPtr> &paths) {
    std::vector<cimobj::InstancePtr> instances;
    Status status = enumerateInstances(context, instances);
    if (!status.ok()) return status;
    for (cimobj::InstancePtr &instance : instances) {
        cimobj::PathPtr path = makeClassPath(textOf(getClassName(context.cimClass)), context.nameSpace, {});
        for (CIMProperty *declared : items<CIMProperty>(getClassProperties(context.cimClass))) {
            if (!declared->isKey) continue;
            const CIMProperty *p = findCIMProperty(instance->properties, getCIMStringBuffer(declared->name));
            if (p) appendOwned(&path->mkeys, CIMLIST_PROPERTY, copyProperty(p));
        }
        paths.push_back(std::move(path));
    }
    return status;
}

Status InstanceProvider::createInstance(const ProviderContext &, const CIMInstance &, cimobj::PathPtr &) {
    return Status::error(7, "the provider does not create instances");
}

Status InstanceProvider::modifyInstance(const ProviderContext &, const CIMObjectPath &, const CIMInstance &,
                                        const PropertyNames &) {
    return Status::error(7, "the provider does not modify instances");
}

Status InstanceProvider::deleteInstance(const ProviderContext &, const CIMObjectPath &) {
    return Status::error(7, "the provider does not delete instances");
}

}  // namespace cimom
