// namespace_provider.cpp - namespaces as CIM_Namespace instances.
#include "providers/namespace_provider.h"

#include "cimom/object_manager.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using live::Identity;

constexpr std::wstring_view builtInNamespaces[] = {L"root/interop", L"root/cimv2"};

cimobj::InstancePtr namespaceInstance(const ProviderContext &context, const Identity &identity,
                                      const std::wstring &nameSpace) {
    live::InstancePlan plan = live::planInstance(context, {}, {});
    return live::buildInstance(context, plan, live::namespaceKeys(identity, nameSpace),
                               [](int) { return cimobj::ValuePtr(); });
}

// The Name a namespace instance or path carries; empty when none.
std::wstring nameIn(const CIMPropertyList *properties) {
    const CIMProperty *name = findCIMProperty(properties, L"Name");
    if (!name || isCIMValueNull(name->value) || name->value->type != CIM_STRING) return {};
    return std::wstring(textOf(name->value->data.string));
}

class NamespaceProvider : public live::LiveInstanceProvider {
public:
    explicit NamespaceProvider(ObjectManager &objectManager) : objectManager_(objectManager) {}

    Status getInstance(const ProviderContext &context, const CIMObjectPath &path,
                       cimobj::InstancePtr &instance) override {
        std::optional<std::wstring> known = existing(path);
        if (!known) return Status::error(6, "namespace " + cimobj::toUtf8(nameIn(path.mkeys)) + " does not exist");
        instance = namespaceInstance(context, live::currentIdentity(), *known);
        return Status::success();
    }

    Status enumerateInstances(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) override {
        Identity identity = live::currentIdentity();
        for (const std::wstring &known : objectManager_.namespaces())
            instances.push_back(namespaceInstance(context, identity, known));
        return Status::success();
    }

    Status createInstance(const ProviderContext &context, const CIMInstance &instance,
                          cimobj::PathPtr &newPath) override {
        std::wstring name = nameIn(instance.properties);
        // Sent to the namespace to be made, the instance may leave Name out.
        if (name.empty() && !objectManager_.hasNamespace(context.nameSpace)) name = context.nameSpace;
        if (name.empty()) return Status::error(4, "the CIM_Namespace instance has no Name");
        Status status = objectManager_.createNamespace(name);
        if (!status.ok()) return status;
        cimobj::InstancePtr made = namespaceInstance(context, live::currentIdentity(), name);
        newPath = makeClassPath(textOf(getClassName(context.cimClass)), context.nameSpace, {});
        for (CIMProperty *p : items<CIMProperty>(made->properties))
            if (p->isKey) appendOwned(&newPath->mkeys, CIMLIST_PROPERTY, copyProperty(p));
        return status;
    }

    Status deleteInstance(const ProviderContext &, const CIMObjectPath &path) override {
        std::wstring name = nameIn(path.mkeys);
        if (name.empty()) return Status::error(4, "the CIM_Namespace name has no Name key");
        for (std::wstring_view builtIn : builtInNamespaces)
            if (sameName(name, builtIn))
                return Status::error(1, "namespace " + cimobj::toUtf8(builtIn) +
                                            " is built in and cannot be deleted");
        Status status = objectManager_.deleteNamespace(name);
        return status.code == 3 ? Status::error(6, status.message) : status;
    }

    Status locate(const Identity &, const CIMObjectPath &path) override {
        if (!sameName(textOf(path.className), live::namespaceClass))
            return Status::error(6, cimobj::toUtf8(textOf(path.className)) + " is not CIM_Namespace");
        return existing(path) ? Status::success() : Status::error(6, "no such namespace");
    }

    void listPaths(const Identity &identity, std::vector<cimobj::PathPtr> &paths) override {
        for (const std::wstring &known : objectManager_.namespaces())
            paths.push_back(live::livePath(live::namespaceClass, live::namespaceKeys(identity, known)));
    }

private:
    // The namespace path's Name names, as it was created.
    std::optional<std::wstring> existing(const CIMObjectPath &path) const {
        std::wstring name = nameIn(path.mkeys);
        return name.empty() ? std::nullopt : objectManager_.namespaceName(name);
    }

    ObjectManager &objectManager_;
};

}  // namespace

std::shared_ptr<live::LiveInstanceProvider> makeNamespaceProvider(ObjectManager &objectManager) {
    return std::make_shared<NamespaceProvider>(objectManager);
}

}  // namespace cimom
