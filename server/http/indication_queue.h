// indication_queue.h - the indications waiting for one listener
// destination, in the order they were made, bounded: a full queue drops its
// oldest entry to take a new one, and counts it.
#pragma once

#include <cimobj/cimobj.hpp>
#include <cimom/indications.h>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace cimxmld {

struct QueuedIndication {
    std::uint64_t sequenceNumber = 0;  // kept when the indication is sent again
    // The destination's URL and the filter's name when it was queued.
    std::shared_ptr<const cimom::IndicationTarget> target;
    std::shared_ptr<const CIMInstance> indication;  // shared with the event's other destinations
};

// Not thread-safe: the delivery of the destination guards it.
class IndicationQueue {
public:
    explicit IndicationQueue(std::size_t capacity) : capacity_(capacity ? capacity : 1) {}
    // Appends the indication numbered with the next sequence number (0, 1,
    // 2 ... for the queue's life, also across drops); returns true when the
    // oldest entry had to go to make room, moved to the end of dropped (for
    // the caller to free outside its lock).
    bool push(cimom::OutgoingIndication &&indication, std::vector<QueuedIndication> &dropped);
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    // The oldest entry; only when not empty. It stays until popped.
    QueuedIndication &front() { return entries_.front(); }
    void pop() { entries_.pop_front(); }

private:
    std::size_t capacity_;
    std::deque<QueuedIndication> entries_;
    std::uint64_t next_ = 0;
};

}  // namespace cimxmld
