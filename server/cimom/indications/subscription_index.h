// subscription_index.h - the enabled subscriptions, compiled once and filed
// by the kinds of indication their filters can select, so that an event no
// subscription watches costs one atomic read.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "cimom/indications.h"
#include "indications/filter_query.h"
#include "repository/repository.h"

namespace cimom {

// The indications the server makes: the lifecycle of instances (stored
// ones, and processes) and alerts (a file system filling up).
enum class IndicationKind { Creation = 0, Modification = 1, Deletion = 2, Alert = 3 };
inline constexpr std::size_t indicationKinds = 4;
// The class of a kind's indications (CIM_InstCreation ... CIM_AlertIndication).
std::wstring_view indicationKindClass(IndicationKind kind);

struct ActiveSubscription {
    std::wstring storedAs;      // its folded namespace, class and key
    std::wstring subscription;  // instance paths with their namespace
    std::shared_ptr<const IndicationTarget> target;  // its destination, URL and filter name
    std::wstring filterKey;  // the filter's namespace, language and query: equal keys select alike
    std::vector<std::wstring> sourceNamespaces;  // folded; empty: every namespace
    FilterQuery query;
    // The kinds the filter's FROM class covers, with their classes as the
    // subscription's namespace declares them (null: not covered).
    std::array<ClassRecordPtr, indicationKinds> kindClasses;
    // True when events of nameSpace reach this subscription.
    bool watchesNamespace(std::wstring_view nameSpace) const;
};

using SubscriptionList = std::vector<std::shared_ptr<const ActiveSubscription>>;

// A subscription in one of the lists by source class, with its position
// in byKind: candidates from several lists are asked in that order.
struct FiledSubscription {
    std::size_t position;
    std::size_t filterId;  // the same for subscriptions whose filterKey is the same
    const ActiveSubscription *subscription;  // held by the snapshot's byKind
};
using FiledList = std::vector<FiledSubscription>;

// The subscriptions filed under one class their filter requires of
// SourceInstance (FilterQuery::SourceRequirement).
struct SourceClassFiling {
    FiledList any;  // they require nothing of the instance's values
    // They require a text of one string property: by the text, and all of
    // them for an instance whose property is no string.
    struct ByText {
        std::unordered_map<std::wstring, FiledList> byText;
        FiledList all;
    };
    std::unordered_map<std::wstring, ByText> byProperty;  // by the property, folded
};

struct SubscriptionSnapshot {
    SubscriptionList all;  // every enabled subscription, whatever it selects
    std::array<SubscriptionList, indicationKinds> byKind;
    // byKind again: by the class their filter requires of SourceInstance
    // (folded), and those that require none.
    std::array<std::unordered_map<std::wstring, SourceClassFiling>, indicationKinds> bySourceClass;
    std::array<FiledList, indicationKinds> anySource;
    std::array<ClassRecordPtr, indicationKinds> kindClasses;  // as the first subscription's namespace declares them
    std::size_t active = 0;                                  // all.size()
    std::size_t filters = 0;                                 // filter ids given

    // The subscriptions of kind to ask about an indication whose
    // SourceInstance is sourceInstance, of class source (either null: none,
    // or unknown): those that require no class, and those filed under
    // source or a superclass whose required text, if any, is the
    // instance's (none when the instance's value is NULL, all when it is
    // no string), in byKind's order. One of the snapshot's lists, or
    // scratch filled.
    const FiledList &candidates(IndicationKind kind, const ClassRecord *source, const CIMInstance *sourceInstance,
                                FiledList &scratch) const;
};

class SubscriptionIndex {
public:
    // Reads every enabled subscription (SubscriptionState NULL, 2 or 3)
    // whose filter and destination exist and compile; the others are left
    // out. Call under the repository's read lock.
    void rebuild(const Repository &repository);
    // Files again the one subscription at path in nameSpace as it is
    // stored now: enabled and whole, it replaces its earlier entry; else
    // (deleted, disabled, an end missing) its entry goes. Linear in the
    // number of subscriptions. Call under the repository's read lock.
    void reread(const Repository &repository, std::wstring_view nameSpace, const CIMObjectPath &path);
    // True when some subscription may select indications of kind.
    bool watches(IndicationKind kind) const { return (watched_.load(std::memory_order_acquire) >> int(kind)) & 1; }
    std::shared_ptr<const SubscriptionSnapshot> snapshot() const;

private:
    // Makes a snapshot of all and publishes it.
    void publish(SubscriptionList all);

    std::mutex updating_;  // one rebuild or reread at a time
    // Each destination's IndicationTarget::destinationId, by its path;
    // under updating_.
    std::unordered_map<std::wstring, std::uint64_t> destinationIds_;
    mutable std::mutex mutex_;
    std::shared_ptr<const SubscriptionSnapshot> snapshot_ = std::make_shared<SubscriptionSnapshot>();
    std::atomic<unsigned> watched_{0};
};

}  // namespace cimom
