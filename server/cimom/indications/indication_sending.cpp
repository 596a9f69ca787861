// indication_sending.cpp - the object manager's side of sending
// indications: the sink, the destination policy, the delivery settings of
// the indication service and what happens to subscriptions whose listener
// is gone.
#include "cimom/object_path_text.h"
#include "indications/lifecycle_events.h"
#include "indications/subscription_rules.h"
#include "providers/live_values.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

void readNumber(const CIMInstance &instance, std::wstring_view name, unsigned &out) {
    const CIMValue *value = propertyValue(instance, name);
    if (value && value->type == CIM_UINT16) out = value->data.u16;
    if (value && value->type == CIM_UINT32) out = value->data.u32;
}

}  // namespace

void ObjectManager::setIndicationSink(IndicationSink sink) {
    state_->sink.change([&](IndicationSink &current) { current = std::move(sink); });
}

void ObjectManager::setDestinationHosts(std::vector<std::string> allowed) {
    state_->policy.change([&](DestinationPolicy &policy) { policy.allowed = std::move(allowed); });
}

DeliverySettings ObjectManager::deliverySettings() const {
    DeliverySettings settings;
    std::vector<cimobj::InstancePtr> services;
    if (!const_cast<ObjectManager *>(this)->enumerateInstances(L"root/interop", L"CIM_IndicationService", {}, services).ok() ||
        services.empty())
        return settings;
    const CIMInstance &service = *services.front();
    readNumber(service, L"DeliveryRetryAttempts", settings.retryAttempts);
    readNumber(service, L"DeliveryRetryInterval", settings.retryIntervalSeconds);
    readNumber(service, L"SubscriptionRemovalAction", settings.removalAction);
    readNumber(service, L"SubscriptionRemovalTimeInterval", settings.removalIntervalSeconds);
    return settings;
}

Status ObjectManager::reportProviderIndication(const std::wstring &nameSpace, cimobj::InstancePtr indication) {
    if (!indication) return Status::error(4, "no indication");
    const std::wstring className(textOf(getInstanceName(indication.get())));
    ClassRecordPtr record;
    {
        auto lock = state_->repository.readLock();
        const NamespaceData *space = state_->repository.find(nameSpace);
        if (!space) return Status::error(3, "namespace " + cimobj::toUtf8(nameSpace) + " does not exist");
        record = findClassAnywhere(state_->repository, *space, className);
    }
    if (!record) return Status::error(4, "class " + cimobj::toUtf8(className) + " does not exist");
    for (std::size_t kind = 0; kind < indicationKinds; ++kind) {
        if (!record->isA(foldName(indicationKindClass(IndicationKind(kind))))) continue;
        CIMProperty *time = nullptr;
        for (CIMProperty *p : items<CIMProperty>(indication->properties))
            if (sameName(textOf(p->name), L"IndicationTime")) time = p;
        if (!time || !time->value || time->value->isNull) {
            cimobj::ValuePtr now = live::dateTimeValue(currentDateTime());
            if (time) freeReturnCode(propertyAddValue(time, now.release()));
            else appendOwned(&indication->properties, CIMLIST_PROPERTY,
                             cimobj::PropertyPtr(orThrow(newProperty(newText(L"IndicationTime"), nullptr,
                                                                     now.release(), CIM_DATETIME, nullptr, 0))));
        }
        reportIndication(*state_, IndicationKind(kind), nameSpace, std::move(indication));
        return Status::success();
    }
    return Status::error(4, "class " + cimobj::toUtf8(className) +
                                " derives from none of CIM_InstCreation, CIM_InstModification, CIM_InstDeletion and "
                                "CIM_AlertIndication");
}

IndicationCounts ObjectManager::indicationCounts() const {
    IndicationCounts counts;
    counts.generated = state_->indicationsGenerated.load(std::memory_order_relaxed);
    counts.matched = state_->indicationsMatched.load(std::memory_order_relaxed);
    counts.activeSubscriptions = state_->subscriptions.snapshot()->active;
    return counts;
}

std::size_t ObjectManager::destinationFailed(const std::wstring &destination) {
    std::shared_ptr<const SubscriptionSnapshot> snapshot = state_->subscriptions.snapshot();
    std::vector<std::wstring> affected;
    for (const std::shared_ptr<const ActiveSubscription> &one : snapshot->all)
        if (one->target->destination == destination) affected.push_back(one->subscription);
    const unsigned removalAction = affected.empty() ? 4 : deliverySettings().removalAction;
    std::size_t changed = 0;
    for (const std::wstring &text : affected) {
        cimobj::PathPtr path = parseObjectPathText(text);
        if (!path) continue;
        std::wstring nameSpace(textOf(path->nameSpace));
        cimobj::InstancePtr subscription;
        if (!getInstance(nameSpace, *path, {}, subscription).ok()) continue;
        unsigned policy = 0;
        readNumber(*subscription, L"OnFatalErrorPolicy", policy);
        // Ignore (2), Disable (3), Remove (4); another or none: the service's action.
        bool remove = policy == 4 || (policy != 2 && policy != 3 && removalAction == 2);
        bool disable = policy == 3 || (policy != 2 && policy != 4 && removalAction == 3);
        Status status;
        if (remove) status = deleteInstance(nameSpace, *path);
        else if (disable) {
            cimobj::ValuePtr disabled = live::uint16Value(4);
            status = setProperty(nameSpace, *path, L"SubscriptionState", disabled.get());
        } else
            continue;
        if (status.ok()) ++changed;
        cimPrintMessage(status.ok() ? CIM_LOG_INFO : CIM_LOG_WARNING, L"subscription %ls %ls after delivery failed%s",
                        text.c_str(), remove ? L"removed" : L"disabled",
                        status.ok() ? "" : (": " + status.message).c_str());
    }
    return changed;
}

}  // namespace cimom
