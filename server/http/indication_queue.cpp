// indication_queue.cpp - one destination's bounded queue of indications.
#include "indication_queue.h"

namespace cimxmld {

bool IndicationQueue::push(cimom::OutgoingIndication &&indication) {
    bool dropped = entries_.size() >= capacity_;
    if (dropped) entries_.pop_front();
    entries_.push_back(QueuedIndication{next_++, std::move(indication.target), std::move(indication.indication), {}});
    return dropped;
}

}  // namespace cimxmld
