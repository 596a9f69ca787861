// live_association.cpp - association instances paired from live elements.
#include "providers/live_association.h"

#include "providers/live_values.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom::live {

namespace {

// The path a reference key of path holds, lent; nullptr when it has none.
const CIMObjectPath *referenceKey(const CIMObjectPath &path, std::wstring_view role) {
    for (CIMProperty *key : items<CIMProperty>(path.mkeys))
        if (sameName(textOf(key->name), role) && !isCIMValueNull(key->value) && key->value->type == CIM_REFERENCE)
            return key->value->data.reference;
    return nullptr;
}

class ElementsIn : public LiveElements {
public:
    ElementsIn(std::shared_ptr<LiveElements> elements, std::wstring nameSpace)
        : elements_(std::move(elements)), nameSpace_(std::move(nameSpace)) {}

    Status locate(const Identity &identity, const CIMObjectPath &path) override {
        std::wstring_view given = textOf(path.nameSpace);
        if (!given.empty() && !sameName(given, nameSpace_))
            return Status::error(6, "the element lives in namespace " + cimobj::toUtf8(nameSpace_));
        return elements_->locate(identity, path);
    }

    void listPaths(const Identity &identity, std::vector<cimobj::PathPtr> &paths) override {
        std::size_t first = paths.size();
        elements_->listPaths(identity, paths);
        for (std::size_t i = first; i < paths.size(); ++i) setPathLocation(paths[i].get(), nameSpace_, {});
    }

private:
    std::shared_ptr<LiveElements> elements_;
    std::wstring nameSpace_;
};

}  // namespace

std::shared_ptr<LiveElements> elementsIn(std::shared_ptr<LiveElements> elements, std::wstring nameSpace) {
    return std::make_shared<ElementsIn>(std::move(elements), std::move(nameSpace));
}

LiveAssociation::LiveAssociation(AssociationEnd first, AssociationEnd second)
    : first_(std::move(first)), second_(std::move(second)) {}

cimobj::InstancePtr LiveAssociation::instance(const ProviderContext &context, const CIMObjectPath &first,
                                              const CIMObjectPath &second) const {
    const wchar_t *const names[] = {first_.role.data(), second_.role.data()};
    const unsigned needs[] = {0, 0};
    InstancePlan plan = planInstance(context, names, needs);
    return buildInstance(context, plan, {},
                         [&](int index) { return referenceValue(copyPath(index == 0 ? &first : &second)); });
}

Status LiveAssociation::getInstance(const ProviderContext &context, const CIMObjectPath &path,
                                    cimobj::InstancePtr &found) {
    const CIMObjectPath *first = referenceKey(path, first_.role);
    const CIMObjectPath *second = referenceKey(path, second_.role);
    if (!first || !second || getLength(path.mkeys) != 2)
        return Status::error(4, "the path has not the references " + cimobj::toUtf8(first_.role) + " and " +
                                    cimobj::toUtf8(second_.role));
    Identity identity = currentIdentity();
    if (!first_.elements->locate(identity, *first).ok() || !second_.elements->locate(identity, *second).ok())
        return Status::error(6, "the association's ends do not both exist");
    found = instance(context, *first, *second);
    return Status::success();
}

Status LiveAssociation::enumerateInstances(const ProviderContext &context, std::vector<cimobj::InstancePtr> &instances) {
    Identity identity = currentIdentity();
    std::vector<cimobj::PathPtr> firsts, seconds;
    first_.elements->listPaths(identity, firsts);
    second_.elements->listPaths(identity, seconds);
    for (const cimobj::PathPtr &first : firsts)
        for (const cimobj::PathPtr &second : seconds) instances.push_back(instance(context, *first, *second));
    return Status::success();
}

Status LiveAssociation::references(const ProviderContext &context, const CIMObjectPath &object,
                                   const std::wstring &role, std::vector<cimobj::InstancePtr> &associations) {
    Identity identity = currentIdentity();
    for (bool objectFirst : {true, false}) {
        const AssociationEnd &near = objectFirst ? first_ : second_;
        const AssociationEnd &far = objectFirst ? second_ : first_;
        if (!role.empty() && !sameName(role, near.role)) continue;
        if (!near.elements->locate(identity, object).ok()) continue;
        std::vector<cimobj::PathPtr> others;
        far.elements->listPaths(identity, others);
        for (const cimobj::PathPtr &other : others)
            associations.push_back(objectFirst ? instance(context, object, *other) : instance(context, *other, object));
    }
    return Status::success();
}

}  // namespace cimom::live
