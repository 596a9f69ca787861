// subscription_index.cpp - reading the subscriptions out of the repository.
#include "indications/subscription_index.h"

#include "cimom/object_path_text.h"
#include "indications/subscription_rules.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

// A subscription that follows a filter and reaches a destination, or
// nullptr when it is disabled or either end is missing or broken.
std::shared_ptr<ActiveSubscription> readSubscription(const Repository &repository, const NamespaceData &space,
                                                     const CIMInstance &subscription) {
    for (CIMProperty *p : items<CIMProperty>(subscription.properties))
        if (sameName(textOf(p->name), L"SubscriptionState") && p->value && !p->value->isNull &&
            p->value->type == CIM_UINT16 && p->value->data.u16 != 2 && p->value->data.u16 != 3)
            return nullptr;
    Status status;
    const NamespaceData *filterSpace = nullptr, *destinationSpace = nullptr;
    const StoredInstance *filter =
        referencedInstance(repository, space, subscription, L"Filter", L"CIM_IndicationFilter", status, &filterSpace);
    const StoredInstance *destination = referencedInstance(repository, space, subscription, L"Handler",
                                                           L"CIM_ListenerDestination", status, &destinationSpace);
    if (!filter || !destination) return nullptr;
    cimobj::InstancePtr filterInstance = filter->instance(filterSpace->name);
    cimobj::InstancePtr destinationInstance = destination->instance(destinationSpace->name);
    auto active = std::make_shared<ActiveSubscription>();
    status = compileFilterQuery(
        textProperty(*filterInstance, L"Query"), textProperty(*filterInstance, L"QueryLanguage"),
        [&](std::wstring_view name) { return findClassAnywhere(repository, *filterSpace, name); }, active->query);
    if (!status.ok()) return nullptr;
    active->subscription = writeObjectPathText(subscription.path);
    active->destination = writeObjectPathText(destinationInstance->path);
    active->url = cimobj::toUtf8(textProperty(*destinationInstance, L"Destination"));
    active->filterName = textProperty(*filterInstance, L"Name");
    for (CIMProperty *p : items<CIMProperty>(filterInstance->properties)) {
        if (!p->value || p->value->isNull) continue;
        if (sameName(textOf(p->name), L"SourceNamespaces") && p->value->type == CIM_STRING + CIM_ARRAY)
            for (CIMValue *one : items<CIMValue>(p->value->data.array))
                if (one && !one->isNull) active->sourceNamespaces.push_back(foldName(textOf(one->data.string)));
        if (sameName(textOf(p->name), L"SourceNamespace") && p->value->type == CIM_STRING &&
            !textOf(p->value->data.string).empty())
            active->sourceNamespaces.push_back(foldName(textOf(p->value->data.string)));
    }
    return active;
}

}  // namespace

std::wstring_view lifecycleClass(LifecycleKind kind) {
    static const std::wstring_view names[] = {L"CIM_InstCreation", L"CIM_InstModification", L"CIM_InstDeletion"};
    return names[static_cast<int>(kind)];
}

bool ActiveSubscription::watchesNamespace(std::wstring_view nameSpace) const {
    if (sourceNamespaces.empty()) return true;
    std::wstring folded = foldName(nameSpace);
    for (const std::wstring &one : sourceNamespaces)
        if (one == folded) return true;
    return false;
}

void SubscriptionIndex::rebuild(const Repository &repository) {
    auto snapshot = std::make_shared<SubscriptionSnapshot>();
    for (const auto &spaceEntry : repository.namespaces()) {
        const NamespaceData &space = *spaceEntry.second;
        for (const auto &[classKey, table] : space.instances) {
            const ClassRecord *record = space.findClass(classKey);
            if (!record || subscriptionRole(*record) != SubscriptionRole::Subscription) continue;
            for (const auto &entry : table) {
                std::shared_ptr<ActiveSubscription> active =
                    readSubscription(repository, space, *entry.second.instance(space.name));
                if (!active) continue;
                ++snapshot->active;
                for (std::size_t kind = 0; kind < lifecycleKinds; ++kind) {
                    ClassRecordPtr kindClass =
                        findClassAnywhere(repository, space, lifecycleClass(static_cast<LifecycleKind>(kind)));
                    if (!kindClass || !kindClass->isA(active->query.indicationClass())) continue;
                    if (!snapshot->kindClasses[kind]) snapshot->kindClasses[kind] = kindClass;
                    snapshot->byKind[kind].push_back(active);
                }
            }
        }
    }
    unsigned watched = 0;
    for (std::size_t kind = 0; kind < lifecycleKinds; ++kind)
        if (!snapshot->byKind[kind].empty()) watched |= 1u << kind;
    std::lock_guard lock(mutex_);
    snapshot_ = std::move(snapshot);
    watched_.store(watched, std::memory_order_release);
}

std::shared_ptr<const SubscriptionSnapshot> SubscriptionIndex::snapshot() const {
    std::lock_guard lock(mutex_);
    return snapshot_;
}

}  // namespace cimom
