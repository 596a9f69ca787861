// namespace_provider.cpp - namespaces as CIM_Namespace instances.
#include "providers/namespace_provider.h"

#include "cimom/object_manager.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

// The values of a namespace's instance, by property name; the class decides
// which of them the instance has.
std::wstring valueFor(std::wstring_view property, const std::wstring &nameSpace, const ProviderContext &context) {
    if (sameName(property, L"Name")) return nameSpace;
    if (sameName(property, L"CreationClassName")) return L"CIM_Namespace";
    if (sameName(property, L"ObjectManagerCreationClassName")) return L"CIM_ObjectManager";
    if (sameName(property, L"ObjectManagerName")) return L"cimxmld";
    if (sameName(property, L"SystemCreationClassName")) return L"CIM_ComputerSystem";
    if (sameName(property, L"SystemName")) return context.hostName;
    return {};
}

cimobj::InstancePtr namespaceInstance(const std::wstring &nameSpace, const ProviderContext &context) {
    cimobj::InstancePtr instance(
        orThrow(newInstance(newText(textOf(getClassName(context.cimClass))), newText(context.nameSpace), nullptr)));
    for (CIMProperty *declared : items<CIMProperty>(getClassProperties(context.cimClass))) {
        std::wstring text = valueFor(textOf(declared->name), nameSpace, context);
        if (text.empty() || declared->type != CIM_STRING) continue;
        cimobj::ValuePtr value(orThrow(newCIMValue(CIM_STRING, newText(text))));
        cimobj::PropertyPtr p(
            orThrow(newProperty(newText(textOf(declared->name)), nullptr, value.get(), CIM_STRING, nullptr, 0)));
        value.release();
        p->isKey = declared->isKey;
        appendOwned(&instance->properties, CIMLIST_PROPERTY, std::move(p));
    }
    return instance;
}

// The Name a namespace instance or path carries; empty when none.
std::wstring nameIn(const CIMPropertyList *properties) {
    const CIMProperty *name = findCIMProperty(properties, L"Name");
    if (!name || isCIMValueNull(name->value) || name->value->type != CIM_STRING) return {};
    return std::wstring(textOf(name->value->data.string));
}

class NamespaceProvider : public InstanceProvider {
public:
    Status getInstance(const ProviderContext &context, const CIMObjectPath &path,
                       cimobj::InstancePtr &instance) override {
        std::wstring name = nameIn(path.mkeys);
        for (const std::wstring &known : context.objectManager.namespaces()) {
            if (sameName(known, name)) {
                instance = namespaceInstance(known, context);
                return Status::success();
            }
        }
        return Status::error(6, "namespace " + cimobj::toUtf8(name) + " does not exist");
    }

    Status enumerateInstances(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) override {
        for (const std::wstring &known : context.objectManager.namespaces())
            instances.push_back(namespaceInstance(known, context));
        return Status::success();
    }

    Status createInstance(const ProviderContext &context, const CIMInstance &instance,
                          cimobj::PathPtr &newPath) override {
        std::wstring name = nameIn(instance.properties);
        // Sent to the namespace to be made, the instance may leave Name out.
        if (name.empty() && !context.objectManager.hasNamespace(context.nameSpace)) name = context.nameSpace;
        if (name.empty()) return Status::error(4, "the CIM_Namespace instance has no Name");
        Status status = context.objectManager.createNamespace(name);
        if (!status.ok()) return status;
        cimobj::InstancePtr made = namespaceInstance(name, context);
        newPath = makeClassPath(textOf(getClassName(context.cimClass)), context.nameSpace, {});
        for (CIMProperty *p : items<CIMProperty>(made->properties))
            if (p->isKey) appendOwned(&newPath->mkeys, CIMLIST_PROPERTY, copyProperty(p));
        return status;
    }

    Status deleteInstance(const ProviderContext &context, const CIMObjectPath &path) override {
        std::wstring name = nameIn(path.mkeys);
        if (name.empty()) return Status::error(4, "the CIM_Namespace name has no Name key");
        Status status = context.objectManager.deleteNamespace(name);
        return status.code == 3 ? Status::error(6, status.message) : status;
    }
};

}  // namespace

std::shared_ptr<InstanceProvider> makeNamespaceProvider() { return std::make_shared<NamespaceProvider>(); }

}  // namespace cimom
