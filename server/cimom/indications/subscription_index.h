// subscription_index.h - the enabled subscriptions, compiled once and filed
// by the lifecycle indications their filters can select, so that a write
// no subscription watches costs one atomic read.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "indications/filter_query.h"
#include "repository/repository.h"

namespace cimom {

enum class LifecycleKind { Creation = 0, Modification = 1, Deletion = 2 };
inline constexpr std::size_t lifecycleKinds = 3;
// The class of a kind's indications (CIM_InstCreation ...).
std::wstring_view lifecycleClass(LifecycleKind kind);

struct ActiveSubscription {
    std::wstring subscription;  // instance paths with their namespace
    std::wstring destination;
    std::string url;
    std::wstring filterName;
    std::vector<std::wstring> sourceNamespaces;  // folded; empty: every namespace
    FilterQuery query;
    // True when events of nameSpace reach this subscription.
    bool watchesNamespace(std::wstring_view nameSpace) const;
};

using SubscriptionList = std::vector<std::shared_ptr<const ActiveSubscription>>;

struct SubscriptionSnapshot {
    std::array<SubscriptionList, lifecycleKinds> byKind;
    std::array<ClassRecordPtr, lifecycleKinds> kindClasses;  // as the first namespace that has them declares them
    std::size_t active = 0;                                  // enabled subscriptions, whatever they select
};

class SubscriptionIndex {
public:
    // Reads every enabled subscription (SubscriptionState NULL, 2 or 3)
    // whose filter and destination exist and compile; the others are left
    // out. Call under the repository's read lock.
    void rebuild(const Repository &repository);
    // True when some subscription may select indications of kind.
    bool watches(LifecycleKind kind) const { return (watched_.load(std::memory_order_acquire) >> int(kind)) & 1; }
    std::shared_ptr<const SubscriptionSnapshot> snapshot() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const SubscriptionSnapshot> snapshot_ = std::make_shared<SubscriptionSnapshot>();
    std::atomic<unsigned> watched_{0};
};

}  // namespace cimom
