// indications.h - the indications the object manager sends: each one a
// subscription selected, handed to the host that delivers it, with the
// delivery settings of the indication service and the counts behind them.
#pragma once

#include <cimobj/cimobj.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cimom {

// Where a subscription's indications go; made once per subscription.
struct IndicationTarget {
    // The destination's instance path ("root/interop:Class.keys..."): one
    // ordered queue per value.
    std::wstring destination;
    // The same number for the same destination for the server's life, and
    // another for every other one: where its queue is found.
    std::uint64_t destinationId = 0;
    std::string url;          // its Destination, an http or https URL already checked
    std::wstring filterName;  // the Name of the subscription's filter
};

// One indication for one listener destination.
struct OutgoingIndication {
    std::shared_ptr<const IndicationTarget> target;
    // IndicationTime, SourceInstance ... set. One instance shared by every
    // destination of the event and never changed: the deliverer sets
    // IndicationFilterName, SequenceContext and SequenceNumber in its copy.
    std::shared_ptr<const CIMInstance> indication;
};

// Takes the indications of one event, all at once, on the thread of the
// write that caused it, after the write and outside every lock of the
// object manager. It must not wait for a listener.
using IndicationSink = std::function<void(std::vector<OutgoingIndication> &&indications)>;

// The settings of root/interop's CIM_IndicationService (these defaults
// when it has none or leaves one NULL).
struct DeliverySettings {
    unsigned retryAttempts = 3;
    unsigned retryIntervalSeconds = 20;
    unsigned removalAction = 3;  // 2 Remove, 3 Disable, 4 Ignore
    unsigned removalIntervalSeconds = 2592000;
};

// What the object manager watches the machine for (pollLiveIndications).
struct LiveIndicationSettings {
    std::wstring nameSpace = L"root/cimv2";  // where the live providers serve processes and file systems
    // A file system this full (percent of its size in use) or fuller makes
    // one CIM_AlertIndication, again only after it was below; 0: none.
    unsigned fileSystemAlertPercent = 90;
};

struct IndicationCounts {
    std::uint64_t generated = 0;  // events some active subscription watched the kind of
    std::uint64_t matched = 0;    // indications handed to the sink, one per subscription
    std::size_t activeSubscriptions = 0;
};

}  // namespace cimom
