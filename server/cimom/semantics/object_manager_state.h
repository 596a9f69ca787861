// object_manager_state.h - what an object manager holds, and the look-ups
// and answers its operations share.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "cimom/object_manager.h"
#include "indications/destination_url.h"
#include "indications/live_events.h"
#include "indications/subscription_index.h"
#include "providers/provider_registry.h"
#include "repository/repository.h"
#include "semantics/enumeration_contexts.h"

namespace cimom {

// A value many threads read and one now and then replaces.
template <class T>
class Guarded {
public:
    T get() const {
        std::shared_lock lock(mutex_);
        return value_;
    }
    // Calls change with the value, under the lock.
    template <class Change>
    void change(Change change) {
        std::unique_lock lock(mutex_);
        change(value_);
    }

private:
    mutable std::shared_mutex mutex_;
    T value_{};
};

struct ObjectManager::State {
    Repository repository;
    ProviderRegistry providers;

    Guarded<std::wstring> hostName;
    std::wstring host() const { return hostName.get(); }

    EnumerationContexts pulls;

    // The hosts listener destinations may name.
    Guarded<DestinationPolicy> policy;
    DestinationPolicy destinationPolicy() const { return policy.get(); }

    mutable std::mutex indicationMutex;
    std::deque<ReceivedIndication> indications;

    // Indications sent: the subscriptions, the sink and the counts.
    SubscriptionIndex subscriptions;
    Guarded<IndicationSink> sink;
    IndicationSink indicationSink() const { return sink.get(); }
    std::atomic<std::uint64_t> indicationsGenerated{0};
    std::atomic<std::uint64_t> indicationsMatched{0};
    LiveEventMemory liveEvents;
};

// Status 3: the namespace does not exist.
Status namespaceMissing(std::wstring_view nameSpace);
// Status 5: the namespace has no such class.
Status classMissing(std::wstring_view className, std::wstring_view nameSpace);
// status with code from answered as to instead (the message stays): each
// operation answers a missing class with the status its own list has.
inline Status answeredAs(Status status, int from, int to) {
    if (status.code == from) status.code = to;
    return status;
}
// The namespace, or nullptr and status 3.
const NamespaceData *findNamespace(const Repository &repository, std::wstring_view nameSpace, Status &status);
// The class record, or nullptr and status 5 (3 for an unknown namespace).
ClassRecordPtr findClassRecord(const Repository &repository, std::wstring_view nameSpace, std::wstring_view className,
                               Status &status);

// CreateClass: a new class in nameSpace, journaled as journaling says;
// with checkRules false, the class rules are trusted (a class read back
// from the store, checked when it was written). Status 11, 10, 3 or the failed rule.
Status createClassIn(ObjectManager::State &state, const std::wstring &nameSpace, const CIMClass &cimClass,
                     Journaling journaling, bool checkRules);

// The folded names of className and its subclasses, superclasses first.
std::vector<std::wstring> classTree(const NamespaceData &space, const std::wstring &classKey);

// The machine's host name ("localhost" when it has none).
std::wstring machineHostName();

// The class of every namespace's instances (see providers/namespace_provider).
inline constexpr const wchar_t *namespaceClassName = L"CIM_Namespace";

}  // namespace cimom
