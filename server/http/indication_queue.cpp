// indication_queue.cpp - one destination's bounded queue of indications.
#include "indication_queue.h"

namespace cimxmld {

bool IndicationQueue::push(std::string url, std::wstring filterName, std::shared_ptr<const CIMInstance> indication) {
    bool dropped = entries_.size() >= capacity_;
    if (dropped) entries_.pop_front();
    entries_.push_back(QueuedIndication{next_++, std::move(url), std::move(filterName), std::move(indication), {}});
    return dropped;
}

}  // namespace cimxmld
