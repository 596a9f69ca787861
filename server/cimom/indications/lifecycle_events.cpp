// lifecycle_events.cpp - making lifecycle indications and handing them to
// the sink.
#include "indications/lifecycle_events.h"

#include <chrono>

#include "cimom/object_path_text.h"
#include "indications/subscription_rules.h"
#include "providers/cim_datetime.h"
#include "query/query_scalar.h"
#include "providers/live_values.h"
#include "repository/instance_keys.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

std::wstring currentDateTime() {
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
    return live::cimDateTime(micros / 1000000, static_cast<std::uint32_t>(micros % 1000000));
}

namespace {

cimobj::ValuePtr embedded(const CIMInstance &instance) {
    cimobj::InstancePtr copy = copyInstance(&instance);
    cimobj::ValuePtr value(orThrow(newCIMValue(CIM_OBJECT, copy.get())));
    copy.release();
    return value;
}

}  // namespace

ClassRecordPtr indicationClassFor(const ObjectManager::State &state, IndicationKind kind) {
    return state.subscriptions.snapshot()->kindClasses[static_cast<std::size_t>(kind)];
}

cimobj::InstancePtr makeIndication(const ClassRecord &record,
                                   const std::function<cimobj::ValuePtr(std::wstring_view name)> &valueOf) {
    cimobj::InstancePtr indication(orThrow(newInstance(newText(record.name), nullptr, nullptr)));
    for (const CIMProperty *declared : record.properties) {
        std::wstring_view name = textOf(declared->name);
        cimobj::ValuePtr value = sameName(name, L"IndicationTime") ? live::dateTimeValue(currentDateTime()) : valueOf(name);
        if (!value) value = defaultOf(*declared);
        appendOwned(&indication->properties, CIMLIST_PROPERTY, makeValueProperty(*declared, std::move(value), false));
    }
    return indication;
}

void reportIndication(ObjectManager::State &state, IndicationKind kind, const std::wstring &nameSpace,
                      cimobj::InstancePtr indication) {
    std::shared_ptr<const SubscriptionSnapshot> snapshot = state.subscriptions.snapshot();
    const auto k = static_cast<std::size_t>(kind);
    IndicationSink sink = state.indicationSink();
    if (snapshot->byKind[k].empty() || !sink) return;
    state.indicationsGenerated.fetch_add(1, std::memory_order_relaxed);
    // ISA looks classes up in the namespace of the event first. Filters
    // mostly ask for the same class: the last answer is kept.
    std::wstring lastName;
    ClassRecordPtr lastRecord;
    IndicationClassLookup lookup = [&](std::wstring_view className) -> ClassRecordPtr {
        if (lastRecord && sameName(lastName, className)) return lastRecord;
        auto lock = state.repository.readLock();
        const NamespaceData *space = state.repository.find(nameSpace);
        if (!space) return nullptr;
        lastRecord = findClassAnywhere(state.repository, *space, className);
        lastName = className;
        return lastRecord;
    };
    ClassRecordPtr source;
    const CIMInstance *sourceInstance = nullptr;
    if (!snapshot->bySourceClass[k].empty()) {
        const CIMValue *value = propertyValue(*indication, L"SourceInstance");
        std::wstring_view sourceClass = query::classOfValue(value);
        if (!sourceClass.empty()) source = lookup(sourceClass);
        if (!isCIMValueNull(value) && value->type == CIM_OBJECT) sourceInstance = value->data.instance;
    }
    FiledList scratch;
    const FiledList &candidates = snapshot->candidates(kind, source.get(), sourceInstance, scratch);
    std::vector<OutgoingIndication> outgoing;
    std::shared_ptr<const CIMInstance> shared(indication.release(), freeCIMInstance);
    // A query shared by several subscriptions is asked once.
    std::vector<signed char> verdicts(snapshot->filters, -1);
    for (const FiledSubscription &filed : candidates) {
        const ActiveSubscription *subscription = filed.subscription;
        if (!subscription->watchesNamespace(nameSpace)) continue;
        signed char &verdict = verdicts[filed.filterId];
        if (verdict < 0) verdict = subscription->query.matches(*shared, lookup) ? 1 : 0;
        if (verdict == 0) continue;
        outgoing.push_back({subscription->target, shared});
    }
    if (outgoing.empty()) return;
    state.indicationsMatched.fetch_add(outgoing.size(), std::memory_order_relaxed);
    sink(std::move(outgoing));
}

void reportInstanceEvent(ObjectManager::State &state, IndicationKind kind, const std::wstring &nameSpace,
                         const CIMInstance &source, const CIMInstance *previous) {
    ClassRecordPtr kindClass = indicationClassFor(state, kind);
    if (!kindClass || !state.indicationSink()) return;
    const std::wstring host = state.host();
    cimobj::InstancePtr indication = makeIndication(*kindClass, [&](std::wstring_view name) -> cimobj::ValuePtr {
        if (sameName(name, L"SourceInstance")) return embedded(source);
        if (sameName(name, L"PreviousInstance") && previous) return embedded(*previous);
        if (sameName(name, L"SourceInstanceModelPath") && source.path)
            return live::textValue(writeObjectPathText(source.path));
        if (sameName(name, L"SourceInstanceHost")) return live::textValue(host);
        return nullptr;
    });
    reportIndication(state, kind, nameSpace, std::move(indication));
}

void subscriptionsChanged(ObjectManager::State &state, SubscriptionRole role, SubscriptionWrite write,
                          const std::wstring &nameSpace, const CIMObjectPath &path) {
    if (role == SubscriptionRole::None || role == SubscriptionRole::Service) return;
    if (role != SubscriptionRole::Subscription &&
        (write == SubscriptionWrite::Created || write == SubscriptionWrite::Deleted))
        return;
    auto lock = state.repository.readLock();
    if (role == SubscriptionRole::Subscription) state.subscriptions.reread(state.repository, nameSpace, path);
    else state.subscriptions.rebuild(state.repository);
}

}  // namespace cimom
