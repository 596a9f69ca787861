// indication_delivery.h - sends the indications the object manager makes
// to their listeners: one ordered, bounded queue and one thread per
// listener destination, so that the write that caused an indication never
// waits for a listener. Each indication goes as an ExportIndication request
// written by the protocol module's export encoder over a kept HTTP(S)
// connection, numbered within a sequence context unique to this server run
// and destination; a failed delivery is tried again, DeliveryRetryAttempts
// times DeliveryRetryInterval apart, with the same number, and then given
// up, which the object manager answers with the subscriptions' error
// policies.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <cimom/object_manager.h>

#include "indication_queue.h"
#include "metrics.h"
#include "protocol_module.h"

namespace cimxmld {

struct DeliveryFigures {
    ListenerFigures all;
    // Each destination's, by its listener URL, since it was first sent to.
    std::map<std::string, ListenerFigures> byListener;
};

struct DeliveryOptions {
    std::size_t queueCapacity = 10000;  // per destination
    int timeoutSeconds = 10;            // connect, send, and the wait for the answer
    std::string caFile;                 // listeners' certificate issuers; empty: the system's
    // A destination's thread (and kept connection) ends after this long
    // with nothing to send; the next indication starts another.
    std::chrono::seconds idleSeconds{300};
};

class IndicationDelivery {
public:
    // Becomes the object manager's indication sink. Both must outlive it.
    IndicationDelivery(cimom::ObjectManager &objectManager, const ProtocolModule &module, DeliveryOptions options);
    // Removes the sink, stops every destination's thread (an attempt in
    // flight ends by its timeout) and drops what is still queued.
    ~IndicationDelivery();
    IndicationDelivery(const IndicationDelivery &) = delete;
    IndicationDelivery &operator=(const IndicationDelivery &) = delete;

    // Queues one indication for its destination; never waits for a listener.
    void enqueue(std::vector<cimom::OutgoingIndication> &&indications);
    DeliveryFigures figures() const;

private:
    // How a listener's answer to an export request reads: empty for 200
    // with an EXPMETHODRESPONSE that holds no ERROR, otherwise the reason.
    std::string answerProblem(int status, const std::string &body) const;

    struct Destination;
    void run(Destination &destination);
    // The export request of a queued indication, with the destination's
    // sequence context and number; empty when it cannot be made.
    std::string exportRequest(const Destination &destination, const QueuedIndication &queued) const;
    // Counts a drop and warns of it, at most every ten seconds; under mutex_.
    void warnOfDrops(Destination &destination);
    void count(const std::string &url, std::uint64_t ListenerFigures::*which);
    // Joins the threads that ended idle; under mutex_.
    void joinRetired();

    cimom::ObjectManager &objectManager_;
    const ProtocolModule &module_;
    DeliveryOptions options_;
    std::string runId_;  // part of every sequence context
    mutable std::mutex mutex_;
    std::unordered_map<std::uint64_t, std::unique_ptr<Destination>> destinations_;  // by destinationId
    std::vector<std::unique_ptr<Destination>> retired_;  // their threads ended or are ending
    std::uint64_t started_ = 0;                          // destinations started this run
    std::map<std::string, ListenerFigures> counts_;       // by listener URL; delivered ... failed
    bool stopping_ = false;
};

}  // namespace cimxmld
