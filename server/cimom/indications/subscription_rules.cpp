// subscription_rules.cpp - the checks on writes of filters, destinations
// and subscriptions, and the keys filled in for them.
#include "indications/subscription_rules.h"

#include <atomic>
#include <chrono>
#include <random>

#include "indications/filter_query.h"
#include "providers/live_names.h"
#include "providers/live_values.h"
#include "repository/value_conversion.h"
#include "semantics/instance_access.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using cimobj::toUtf8;

const CIMProperty *propertyOf(const CIMInstance &instance, std::wstring_view name) {
    for (CIMProperty *p : items<CIMProperty>(instance.properties))
        if (sameName(textOf(p->name), name)) return p;
    return nullptr;
}

bool isEmpty(const CIMProperty *p) {
    return !p || !p->value || p->value->isNull ||
           ((p->value->type == CIM_STRING || p->value->type == CIM_EMPTY) && textOf(p->value->data.string).empty());
}

// Sets the property name of instance to value, adding it when absent.
void setValue(CIMInstance &instance, std::wstring_view name, cimobj::ValuePtr value) {
    for (CIMProperty *p : items<CIMProperty>(instance.properties))
        if (sameName(textOf(p->name), name)) {
            int type = value->type;
            if (!isSuccessfulFree(propertyAddValue(p, value.release()))) throw std::bad_alloc();
            p->type = type;
            return;
        }
    int type = value->type;
    appendOwned(&instance.properties, CIMLIST_PROPERTY,
                cimobj::PropertyPtr(orThrow(newProperty(newText(name), nullptr, value.release(), type, nullptr, 0))));
}

// "cimxmld:" and 16 hex digits, unique for this server's life and, with
// overwhelming odds, beyond it.
std::wstring freshName() {
    static std::atomic<unsigned long long> count{0};
    static const unsigned long long seed = [] {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device() ^
               static_cast<unsigned long long>(std::chrono::system_clock::now().time_since_epoch().count());
    }();
    unsigned long long value = seed + 0x9e3779b97f4a7c15ULL * ++count;
    wchar_t text[17];
    for (int i = 15; i >= 0; --i, value >>= 4) text[i] = L"0123456789abcdef"[value & 15];
    text[16] = 0;
    return std::wstring(L"cimxmld:") + text;
}

Status checkFilter(const Repository &repository, const NamespaceData &space, const CIMInstance &filter) {
    const CIMProperty *query = propertyOf(filter, L"Query");
    const CIMProperty *language = propertyOf(filter, L"QueryLanguage");
    if (isEmpty(query)) return Status::error(4, "Query is required");
    if (isEmpty(language)) return Status::error(4, "QueryLanguage is required");
    FilterQuery compiled;
    return compileFilterQuery(textProperty(filter, L"Query"), textProperty(filter, L"QueryLanguage"),
                              [&](std::wstring_view name) { return findClassAnywhere(repository, space, name); },
                              compiled);
}

Status checkDestination(const CIMInstance &destination, const DestinationPolicy &policy) {
    const CIMProperty *protocol = propertyOf(destination, L"Protocol");
    if (protocol && protocol->value && !protocol->value->isNull && protocol->value->type == CIM_UINT16 &&
        protocol->value->data.u16 != 2)
        return Status::error(7, "Protocol " + std::to_string(protocol->value->data.u16) +
                                    " is not supported: this server delivers CIM-XML (2)");
    std::wstring address = textProperty(destination, L"Destination");
    if (address.empty()) return Status::error(4, "Destination is required: the listener's http or https URL");
    DestinationUrl url;
    Status status = parseDestinationUrl(toUtf8(address), url);
    if (!status.ok()) return status;
    return checkDestinationHost(url, policy);
}

}  // namespace

const CIMValue *propertyValue(const CIMInstance &instance, std::wstring_view name) {
    const CIMProperty *p = propertyOf(instance, name);
    return p && p->value && !p->value->isNull ? p->value : nullptr;
}

std::wstring textProperty(const CIMInstance &instance, std::wstring_view name) {
    const CIMValue *value = propertyValue(instance, name);
    if (!value || (value->type != CIM_STRING && value->type != CIM_DATETIME)) return {};
    return std::wstring(textOf(value->data.string));
}

SubscriptionRole subscriptionRole(const ClassRecord &record) {
    if (record.isA(L"cim_indicationsubscription")) return SubscriptionRole::Subscription;
    if (record.isA(L"cim_indicationfilter")) return SubscriptionRole::Filter;
    if (record.isA(L"cim_listenerdestination")) return SubscriptionRole::Destination;
    if (record.isA(L"cim_indicationservice")) return SubscriptionRole::Service;
    return SubscriptionRole::None;
}

cimobj::InstancePtr withSubscriptionDefaults(const ClassRecord &record, const CIMInstance &given) {
    SubscriptionRole role = subscriptionRole(record);
    if (role == SubscriptionRole::None) return nullptr;
    cimobj::InstancePtr filled = copyInstance(&given);
    if (role == SubscriptionRole::Subscription) {
        if (isEmpty(propertyOf(given, L"SubscriptionState"))) setValue(*filled, L"SubscriptionState", live::uint16Value(2));
        return filled;
    }
    if (isEmpty(propertyOf(given, L"SystemCreationClassName")))
        setValue(*filled, L"SystemCreationClassName", live::textValue(live::computerSystemClass));
    if (isEmpty(propertyOf(given, L"SystemName")))
        setValue(*filled, L"SystemName", live::textValue(live::currentIdentity().host));
    if (isEmpty(propertyOf(given, L"CreationClassName"))) setValue(*filled, L"CreationClassName", live::textValue(record.name));
    if (isEmpty(propertyOf(given, L"Name"))) setValue(*filled, L"Name", live::textValue(freshName()));
    return filled;
}

const StoredInstance *referencedInstance(const Repository &repository, const NamespaceData &space,
                                         const CIMInstance &instance, std::wstring_view property,
                                         std::wstring_view roleClass, Status &status, const NamespaceData **target) {
    const CIMProperty *p = propertyOf(instance, property);
    if (!p || !p->value || p->value->isNull || p->value->type != CIM_REFERENCE || !p->value->data.reference) {
        status = Status::error(4, toUtf8(property) + " must reference an existing " + toUtf8(roleClass));
        return nullptr;
    }
    const CIMObjectPath &path = *p->value->data.reference;
    std::wstring_view pathSpace = textOf(path.nameSpace);
    const NamespaceData *in = pathSpace.empty() ? &space : repository.find(pathSpace);
    ClassRecordPtr record = in ? in->classRecord(textOf(path.className)) : nullptr;
    const StoredInstance *found = nullptr;
    if (record && record->isA(foldName(roleClass))) {
        Status lookup;
        found = findStoredInstance(*in, *record, path, lookup);
    }
    if (target) *target = in;
    if (!found)
        status = Status::error(4, toUtf8(property) + " " + displayText(path) + " is no existing " + toUtf8(roleClass) +
                                      (pathSpace.empty() ? "" : " in namespace " + toUtf8(pathSpace)));
    return found;
}

ClassRecordPtr findClassAnywhere(const Repository &repository, const NamespaceData &space, std::wstring_view className) {
    if (ClassRecordPtr found = space.classRecord(className)) return found;
    for (const auto &entry : repository.namespaces())
        if (entry.second.get() != &space)
            if (ClassRecordPtr found = entry.second->classRecord(className)) return found;
    return nullptr;
}

Status checkSubscriptionInstance(const Repository &repository, const NamespaceData &space, const ClassRecord &record,
                                 const CIMInstance &stored, const DestinationPolicy &policy) {
    switch (subscriptionRole(record)) {
        case SubscriptionRole::Filter:
            return checkFilter(repository, space, stored);
        case SubscriptionRole::Destination:
            return checkDestination(stored, policy);
        case SubscriptionRole::Subscription: {
            Status status;
            if (!referencedInstance(repository, space, stored, L"Filter", L"CIM_IndicationFilter", status) ||
                !referencedInstance(repository, space, stored, L"Handler", L"CIM_ListenerDestination", status))
                return status;
            return status;
        }
        default:
            return Status::success();
    }
}

Status checkSubscriptionRemoval(const NamespaceData &space, const ClassRecord &record, const CIMObjectPath &path) {
    SubscriptionRole role = subscriptionRole(record);
    if (role != SubscriptionRole::Filter && role != SubscriptionRole::Destination) return Status::success();
    auto [first, last] = space.referrers.equal_range(referenceTargetKey(path, space.name));
    for (auto at = first; at != last; ++at) {
        const ClassRecord *referrer = space.findClass(at->second.classKey);
        if (!referrer || subscriptionRole(*referrer) != SubscriptionRole::Subscription) continue;
        const InstanceTable *table = space.instancesOf(at->second.classKey);
        const StoredInstance *subscription = table ? table->find(at->second.key) : nullptr;
        std::string user = subscription ? displayText(*subscription->path(space.name)) : toUtf8(referrer->name);
        return Status::error(1, std::string(role == SubscriptionRole::Filter ? "filter " : "destination ") +
                                    displayText(path) + " is used by subscription " + user +
                                    "; delete the subscription first");
    }
    return Status::success();
}

}  // namespace cimom
