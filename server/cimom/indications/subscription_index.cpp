// subscription_index.cpp - reading the subscriptions out of the repository.
#include "indications/subscription_index.h"

#include <algorithm>

#include "cimom/object_path_text.h"
#include "indications/subscription_rules.h"
#include "repository/instance_keys.h"
#include "semantics/instance_access.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

// A subscription that follows a filter and reaches a destination, or
// nullptr when it is disabled or either end is missing or broken.
std::shared_ptr<ActiveSubscription> readSubscription(const Repository &repository, const NamespaceData &space,
                                                     std::wstring storedAs, const CIMInstance &subscription,
                                                     std::unordered_map<std::wstring, std::uint64_t> &destinationIds) {
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
    const std::wstring query = textProperty(*filterInstance, L"Query");
    const std::wstring language = textProperty(*filterInstance, L"QueryLanguage");
    active->filterKey = foldName(filterSpace->name) + L"\n" + foldName(language) + L"\n" + query;
    status = compileFilterQuery(
        query, language,
        [&](std::wstring_view name) { return findClassAnywhere(repository, *filterSpace, name); }, active->query);
    if (!status.ok()) {
        cimPrintMessage(CIM_LOG_WARNING, L"subscription %ls left out: its filter %ls no longer compiles: %s",
                        writeObjectPathText(subscription.path).c_str(),
                        writeObjectPathText(filterInstance->path).c_str(), status.message.c_str());
        return nullptr;
    }
    for (std::size_t kind = 0; kind < indicationKinds; ++kind) {
        ClassRecordPtr kindClass = findClassAnywhere(repository, space, indicationKindClass(IndicationKind(kind)));
        if (kindClass && kindClass->isA(active->query.indicationClass())) active->kindClasses[kind] = kindClass;
    }
    active->storedAs = std::move(storedAs);
    active->subscription = writeObjectPathText(subscription.path);
    std::wstring destinationPath = writeObjectPathText(destinationInstance->path);
    const std::uint64_t destinationId = destinationIds.try_emplace(destinationPath, destinationIds.size()).first->second;
    active->target = std::make_shared<const IndicationTarget>(
        IndicationTarget{std::move(destinationPath), destinationId,
                         cimobj::toUtf8(textProperty(*destinationInstance, L"Destination")),
                         textProperty(*filterInstance, L"Name")});
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

// What a subscription is filed as: its namespace, class and key text.
std::wstring storedAs(const NamespaceData &space, std::wstring_view classKey, std::wstring_view key) {
    std::wstring text = foldName(space.name);
    text.append(L"\n").append(classKey).append(L"\n").append(key);
    return text;
}

}  // namespace

std::wstring_view indicationKindClass(IndicationKind kind) {
    static const std::wstring_view names[] = {L"CIM_InstCreation", L"CIM_InstModification", L"CIM_InstDeletion",
                                              L"CIM_AlertIndication"};
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
    std::lock_guard updating(updating_);
    SubscriptionList all;
    for (const auto &spaceEntry : repository.namespaces()) {
        const NamespaceData &space = *spaceEntry.second;
        for (const auto &[classKey, table] : space.instances) {
            const ClassRecord *record = space.findClass(classKey);
            if (!record || subscriptionRole(*record) != SubscriptionRole::Subscription) continue;
            for (const auto &[key, stored] : table)
                if (auto active = readSubscription(repository, space, storedAs(space, classKey, key),
                                                   *stored.instance(space.name), destinationIds_))
                    all.push_back(std::move(active));
        }
    }
    publish(std::move(all));
}

void SubscriptionIndex::reread(const Repository &repository, std::wstring_view nameSpace, const CIMObjectPath &path) {
    std::lock_guard updating(updating_);
    const NamespaceData *space = repository.find(nameSpace);
    const ClassRecord *record = space ? space->findClass(textOf(path.className)) : nullptr;
    std::wstring key;
    if (!record || !instanceKeyText(*space, *record, path, key).ok()) return;
    std::wstring filedAs = storedAs(*space, record->lineage.front(), key);
    SubscriptionList all;
    std::shared_ptr<const SubscriptionSnapshot> before = snapshot();
    all.reserve(before->all.size() + 1);
    for (const auto &one : before->all)
        if (one->storedAs != filedAs) all.push_back(one);
    Status status;
    if (const StoredInstance *stored = findStoredInstance(*space, *record, path, status))
        if (auto active = readSubscription(repository, *space, std::move(filedAs), *stored->instance(space->name),
                                           destinationIds_))
            all.push_back(std::move(active));
    publish(std::move(all));
}

void SubscriptionIndex::publish(SubscriptionList all) {
    auto snapshot = std::make_shared<SubscriptionSnapshot>();
    unsigned watched = 0;
    std::unordered_map<std::wstring, std::size_t> filterIds;
    for (const auto &active : all) {
        const std::size_t filterId = filterIds.try_emplace(active->filterKey, filterIds.size()).first->second;
        for (std::size_t kind = 0; kind < indicationKinds; ++kind) {
            if (!active->kindClasses[kind]) continue;
            if (!snapshot->kindClasses[kind]) snapshot->kindClasses[kind] = active->kindClasses[kind];
            FiledSubscription filed{snapshot->byKind[kind].size(), filterId, active.get()};
            const FilterQuery::SourceRequirement &required = active->query.required();
            if (required.sourceClass.empty()) {
                snapshot->anySource[kind].push_back(filed);
            } else {
                SourceClassFiling &filing = snapshot->bySourceClass[kind][required.sourceClass];
                if (required.property.empty()) {
                    filing.any.push_back(filed);
                } else {
                    SourceClassFiling::ByText &byText = filing.byProperty[required.property];
                    byText.byText[required.value].push_back(filed);
                    byText.all.push_back(filed);
                }
            }
            snapshot->byKind[kind].push_back(active);
            watched |= 1u << kind;
        }
    }
    snapshot->filters = filterIds.size();
    snapshot->active = all.size();
    snapshot->all = std::move(all);
    std::lock_guard lock(mutex_);
    snapshot_ = std::move(snapshot);
    watched_.store(watched, std::memory_order_release);
}

const FiledList &SubscriptionSnapshot::candidates(IndicationKind kind, const ClassRecord *source,
                                                  const CIMInstance *sourceInstance, FiledList &scratch) const {
    const auto k = static_cast<std::size_t>(kind);
    std::vector<const FiledList *> parts;
    auto take = [&](const FiledList &list) {
        if (!list.empty()) parts.push_back(&list);
    };
    take(anySource[k]);
    for (std::size_t i = 0; source && i < source->lineage.size(); ++i) {
        auto filed = bySourceClass[k].find(source->lineage[i]);
        if (filed == bySourceClass[k].end()) continue;
        take(filed->second.any);
        for (const auto &[property, byText] : filed->second.byProperty) {
            if (!sourceInstance) {
                take(byText.all);  // asked one by one, as the query compares
                continue;
            }
            const CIMValue *value = propertyValue(*sourceInstance, property);
            if (isCIMValueNull(value)) continue;  // NULL (or none) equals nothing
            if (value->type != CIM_STRING) {
                take(byText.all);
                continue;
            }
            auto same = byText.byText.find(std::wstring(textOf(value->data.string)));
            if (same != byText.byText.end()) take(same->second);
        }
    }
    if (parts.empty()) return anySource[k];
    if (parts.size() == 1) return *parts.front();
    for (const FiledList *part : parts) scratch.insert(scratch.end(), part->begin(), part->end());
    std::sort(scratch.begin(), scratch.end(),
              [](const FiledSubscription &a, const FiledSubscription &b) { return a.position < b.position; });
    return scratch;
}

std::shared_ptr<const SubscriptionSnapshot> SubscriptionIndex::snapshot() const {
    std::lock_guard lock(mutex_);
    return snapshot_;
}

}  // namespace cimom
