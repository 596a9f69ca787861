// result_batches.h - results handed to a caller a batch at a time, and the
// whole-list form of an operation that hands them over so.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "cimom/status.h"

namespace cimom {

// Gathers results until batchSize of them (0: all) are there and hands
// them to deliver; once deliver asks to stop, nothing more is taken.
template <class Item>
class BatchGatherer {
public:
    using Deliver = std::function<bool(std::vector<Item> &)>;

    BatchGatherer(std::size_t batchSize, Deliver deliver) : batchSize_(batchSize), deliver_(std::move(deliver)) {}

    // Returns false once the caller wants no more.
    bool add(Item item) {
        if (stopped_) return false;
        batch_.push_back(std::move(item));
        return batchSize_ == 0 || batch_.size() < batchSize_ || flush();
    }
    // Hands over what is gathered; returns false once the caller wants no more.
    bool flush() {
        if (stopped_) return false;
        if (batch_.empty()) return true;
        std::vector<Item> out;
        out.swap(batch_);
        stopped_ = !deliver_(out);
        return !stopped_;
    }
    bool stopped() const { return stopped_; }

private:
    std::size_t batchSize_;
    Deliver deliver_;
    std::vector<Item> batch_;
    bool stopped_ = false;
};

// Runs an operation that hands its results over in batches with a deliver
// that appends each to results: the operation's whole-list form.
template <class Ptr>
Status collectAll(std::vector<Ptr> &results,
                  const std::function<Status(const std::function<bool(std::vector<Ptr> &)> &)> &run) {
    return run([&](std::vector<Ptr> &batch) {
        for (Ptr &one : batch) results.push_back(std::move(one));
        return true;
    });
}

}  // namespace cimom
