// lifecycle_events.cpp - making lifecycle indications and handing them to
// the sink.
#include "indications/lifecycle_events.h"

#include <chrono>

#include "cimom/object_path_text.h"
#include "indications/subscription_rules.h"
#include "providers/cim_datetime.h"
#include "providers/live_values.h"
#include "repository/instance_keys.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

std::wstring now() {
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
    return live::cimDateTime(micros / 1000000, static_cast<std::uint32_t>(micros % 1000000));
}

cimobj::ValuePtr embedded(const CIMInstance &instance) {
    cimobj::InstancePtr copy = copyInstance(&instance);
    cimobj::ValuePtr value(orThrow(newCIMValue(CIM_OBJECT, copy.get())));
    copy.release();
    return value;
}

// The indication of kind's class, every property of the class present.
cimobj::InstancePtr makeIndication(const ClassRecord &record, const std::wstring &host, const CIMInstance &source,
                                   const CIMInstance *previous) {
    cimobj::InstancePtr indication(orThrow(newInstance(newText(record.name), nullptr, nullptr)));
    for (const CIMProperty *declared : record.properties) {
        std::wstring_view name = textOf(declared->name);
        cimobj::ValuePtr value;
        if (sameName(name, L"IndicationTime")) value = live::dateTimeValue(now());
        else if (sameName(name, L"SourceInstance")) value = embedded(source);
        else if (sameName(name, L"PreviousInstance") && previous) value = embedded(*previous);
        else if (sameName(name, L"SourceInstanceModelPath") && source.path)
            value = live::textValue(writeObjectPathText(source.path));
        else if (sameName(name, L"SourceInstanceHost")) value = live::textValue(host);
        else value = defaultOf(*declared);
        appendOwned(&indication->properties, CIMLIST_PROPERTY, makeValueProperty(*declared, std::move(value), false));
    }
    return indication;
}

void setFilterName(CIMInstance &indication, const std::wstring &filterName) {
    for (CIMProperty *p : items<CIMProperty>(indication.properties))
        if (sameName(textOf(p->name), L"IndicationFilterName")) {
            cimobj::ValuePtr value = live::textValue(filterName);
            if (!isSuccessfulFree(propertyAddValue(p, value.release()))) throw std::bad_alloc();
            p->type = CIM_STRING;
        }
}

}  // namespace

void reportInstanceEvent(ObjectManager::State &state, LifecycleKind kind, const std::wstring &nameSpace,
                         const CIMInstance &source, const CIMInstance *previous) {
    std::shared_ptr<const SubscriptionSnapshot> snapshot = state.subscriptions.snapshot();
    const SubscriptionList &candidates = snapshot->byKind[static_cast<std::size_t>(kind)];
    const ClassRecordPtr &kindClass = snapshot->kindClasses[static_cast<std::size_t>(kind)];
    if (candidates.empty() || !kindClass) return;
    IndicationSink sink = state.indicationSink();
    if (!sink) return;
    state.indicationsGenerated.fetch_add(1, std::memory_order_relaxed);
    cimobj::InstancePtr indication = makeIndication(*kindClass, state.host(), source, previous);
    // ISA looks classes up in the namespace of the event first.
    IndicationClassLookup lookup = [&](std::wstring_view className) -> ClassRecordPtr {
        auto lock = state.repository.readLock();
        const NamespaceData *space = state.repository.find(nameSpace);
        if (!space) return nullptr;
        return findClassAnywhere(state.repository, *space, className);
    };
    for (const std::shared_ptr<const ActiveSubscription> &subscription : candidates) {
        if (!subscription->watchesNamespace(nameSpace) || !subscription->query.matches(*indication, lookup)) continue;
        OutgoingIndication outgoing{subscription->destination, subscription->url, subscription->subscription,
                                    copyInstance(indication.get())};
        setFilterName(*outgoing.indication, subscription->filterName);
        state.indicationsMatched.fetch_add(1, std::memory_order_relaxed);
        sink(std::move(outgoing));
    }
}

void subscriptionsChanged(ObjectManager::State &state) {
    auto lock = state.repository.readLock();
    state.subscriptions.rebuild(state.repository);
}

}  // namespace cimom
