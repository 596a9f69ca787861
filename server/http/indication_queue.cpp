// indication_queue.cpp - one destination's bounded queue of indications.
#include "indication_queue.h"

namespace cimxmld {

bool IndicationQueue::push(cimom::OutgoingIndication &&indication, std::vector<QueuedIndication> &dropped) {
    bool full = entries_.size() >= capacity_;
    if (full) {
        dropped.push_back(std::move(entries_.front()));
        entries_.pop_front();
    }
    entries_.push_back(QueuedIndication{next_++, std::move(indication.target), std::move(indication.indication)});
    return full;
}

}  // namespace cimxmld
