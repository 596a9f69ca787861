// builtin_table.cpp - a provider table whose entry points call the C++
// providers built into the server.
#include "external/builtin_table.h"

#include <exception>
#include <vector>

#include "cimom/object_manager.h"
#include "support/objects.h"

namespace cimom::external {

namespace {

// What the table's self points at; made by builtinProvider, freed by stop.
struct Builtin {
    ObjectManager &objectManager;
    BuiltinProviders parts;
};

// The C++ call's context, alive while the C call is.
struct Context {
    std::wstring nameSpace;
    PropertyNames properties;
    ProviderContext context;
    Context(Builtin &builtin, const CIMXMLProviderCall *call)
        : nameSpace(cimobj::fromUtf8(call->nameSpace ? call->nameSpace : "")),
          properties(namesOf(call->properties)),
          context{builtin.objectManager, nameSpace, std::wstring(), call->cimClass, properties} {}
    static PropertyNames namesOf(const char *const *names) {
        if (!names) return std::nullopt;
        std::vector<std::wstring> all;
        for (; *names; ++names) all.push_back(cimobj::fromUtf8(*names));
        return all;
    }
};

// The status of a C++ provider's answer, its text handed to results.
int answer(const Status &status, CIMXMLProviderResults *results) {
    if (!status.ok() && !status.message.empty()) results->message(results, status.message.c_str());
    return status.code;
}

// Runs one C++ call; nothing it throws crosses the table.
template <class Call>
int guarded(void *self, CIMXMLProviderResults *results, Call call) noexcept {
    try {
        return call(*static_cast<Builtin *>(self));
    } catch (const std::exception &e) {
        results->message(results, e.what());
    } catch (...) {
        results->message(results, "unexpected failure");
    }
    return 1;
}

int notSupported(CIMXMLProviderResults *results) {
    results->message(results, "the class's provider does not serve this operation");
    return 7;
}

// Hands instances to results, in order, until it wants no more.
void handOver(std::vector<cimobj::InstancePtr> &instances, CIMXMLProviderResults *results) {
    for (cimobj::InstancePtr &one : instances)
        if (one && results->instance(results, one.release()) != 0) break;
}

int enumerateInstances(void *self, const CIMXMLProviderCall *call, CIMXMLProviderResults *results) {
    return guarded(self, results, [&](Builtin &builtin) {
        if (!builtin.parts.instances) return notSupported(results);
        Context context(builtin, call);
        std::vector<cimobj::InstancePtr> instances;
        Status status = builtin.parts.instances->enumerateInstances(context.context, instances);
        handOver(instances, results);
        return answer(status, results);
    });
}

int enumerateInstanceNames(void *self, const CIMXMLProviderCall *call, CIMXMLProviderResults *results) {
    return guarded(self, results, [&](Builtin &builtin) {
        if (!builtin.parts.instances) return notSupported(results);
        Context context(builtin, call);
        std::vector<cimobj::PathPtr> paths;
        Status status = builtin.parts.instances->enumerateInstanceNames(context.context, paths);
        for (cimobj::PathPtr &one : paths)
            if (one && results->path(results, one.release()) != 0) break;
        return answer(status, results);
    });
}

int getInstance(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                CIMXMLProviderResults *results) {
    return guarded(self, results, [&](Builtin &builtin) {
        if (!builtin.parts.instances) return notSupported(results);
        Context context(builtin, call);
        cimobj::InstancePtr instance;
        Status status = builtin.parts.instances->getInstance(context.context, *path, instance);
        if (status.ok() && instance) results->instance(results, instance.release());
        return answer(status, results);
    });
}

int createInstance(void *self, const CIMXMLProviderCall *call, const CIMInstance *instance,
                   CIMXMLProviderResults *results) {
    return guarded(self, results, [&](Builtin &builtin) {
        if (!builtin.parts.instances) return notSupported(results);
        Context context(builtin, call);
        cimobj::PathPtr path;
        Status status = builtin.parts.instances->createInstance(context.context, *instance, path);
        if (status.ok() && path) results->path(results, path.release());
        return answer(status, results);
    });
}

int modifyInstance(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                   const CIMInstance *instance, CIMXMLProviderResults *results) {
    return guarded(self, results, [&](Builtin &builtin) {
        if (!builtin.parts.instances) return notSupported(results);
        Context context(builtin, call);
        return answer(builtin.parts.instances->modifyInstance(context.context, *path, *instance, context.properties),
                      results);
    });
}

int deleteInstance(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                   CIMXMLProviderResults *results) {
    return guarded(self, results, [&](Builtin &builtin) {
        if (!builtin.parts.instances) return notSupported(results);
        Context context(builtin, call);
        return answer(builtin.parts.instances->deleteInstance(context.context, *path), results);
    });
}

int references(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *object, const char *role,
               CIMXMLProviderResults *results) {
    return guarded(self, results, [&](Builtin &builtin) {
        if (!builtin.parts.associations) return notSupported(results);
        Context context(builtin, call);
        std::vector<cimobj::InstancePtr> associations;
        Status status = builtin.parts.associations->references(
            context.context, *object, role ? cimobj::fromUtf8(role) : std::wstring(), associations);
        handOver(associations, results);
        return answer(status, results);
    });
}

int invokeMethod(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *target, const CIMMethod *method,
                 const CIMPropertyList *in, CIMXMLProviderResults *results) {
    return guarded(self, results, [&](Builtin &builtin) {
        if (!builtin.parts.methods) return notSupported(results);
        Context context(builtin, call);
        std::vector<cimobj::PropertyPtr> parameters, out;
        for (const CIMProperty *p : items<CIMProperty>(in)) parameters.push_back(copyProperty(p));
        cimobj::ValuePtr returnValue;
        Status status =
            builtin.parts.methods->invokeMethod(context.context, *target, *method, parameters, out, returnValue);
        if (!status.ok()) return answer(status, results);
        if (returnValue) results->value(results, nullptr, returnValue.release());
        for (cimobj::PropertyPtr &parameter : out) {
            CIMValue *value = parameter->value;
            parameter->value = nullptr;
            results->value(results, cimobj::toUtf8(parameter->name).c_str(), value);
        }
        return 0;
    });
}

void stop(void *self) { delete static_cast<Builtin *>(self); }

const CIMXMLProvider table = {
    CIMXML_PROVIDER_VERSION, nullptr, stop, enumerateInstanceNames, enumerateInstances, getInstance, createInstance,
    modifyInstance, deleteInstance, references, invokeMethod, nullptr, nullptr,
};

}  // namespace

void registerBuiltin(ObjectManager &objectManager, const std::wstring &nameSpace, std::wstring_view className,
                     BuiltinProviders parts) {
    const bool instances = parts.instances != nullptr, associations = parts.associations != nullptr,
               methods = parts.methods != nullptr;
    auto self = std::make_unique<Builtin>(Builtin{objectManager, std::move(parts)});
    auto provider = std::make_shared<LibraryProvider>("builtin " + cimobj::toUtf8(className), &table, self.get());
    self.release();  // the provider's stop frees it
    const std::wstring name(className);
    if (instances) objectManager.registerInstanceProvider(nameSpace, name, provider);
    if (associations) objectManager.registerAssociationProvider(nameSpace, name, provider);
    if (methods) objectManager.registerMethodProvider(nameSpace, name, provider);
}

}  // namespace cimom::external
