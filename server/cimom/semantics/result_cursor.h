// result_cursor.h - the results of an enumeration read a piece at a time:
// the sources of a class and its subclasses in order, each stored table
// from where the last piece stopped. A cursor holds a place, not results,
// so an enumeration that waits between pieces (a pull) costs the same
// whatever is left to read.
#pragma once

#include <cstdint>
#include <deque>
#include <iterator>
#include <functional>
#include <optional>
#include <vector>

#include "semantics/instance_access.h"

namespace cimom {

template <class Ptr>
class ResultCursor {
public:
    // A result made of a stored instance, under the read lock with its
    // namespace and class record; a null result is left out (a filter).
    using FromStored = std::function<Ptr(const StoredInstance &, const NamespaceData &, const ClassRecord &)>;
    // Takes one result of a provider (null: left out); false when no more are wanted.
    using Sink = std::function<bool(Ptr)>;
    // Hands the results of a provider's source to a sink; asked once, when
    // the cursor gets there.
    using Provide = std::function<Status(const InstanceSource &, const Sink &)>;

    ResultCursor(std::wstring nameSpace, std::vector<InstanceSource> sources, FromStored fromStored, Provide provide)
        : nameSpace_(std::move(nameSpace)), sources_(std::move(sources)), fromStored_(std::move(fromStored)),
          provide_(std::move(provide)) {}

    // Appends at most max results (0: all that are left) to out, taking the
    // read lock for each stretch of a table and releasing it before a
    // provider is called. An instance deleted before it is read is not
    // given; one made meanwhile in a table not yet finished comes with it.
    // Returns a provider's failure (the cursor then ends).
    Status next(ObjectManager::State &state, std::size_t max, std::vector<Ptr> &out) {
        std::size_t wanted = max == 0 ? SIZE_MAX : max;
        std::size_t given = 0;
        while (given < wanted && source_ < sources_.size()) {
            const InstanceSource &source = sources_[source_];
            if (!source.provider) {
                given += readStretch(state, wanted - given, out);
                continue;
            }
            if (!provided_) {
                std::deque<Ptr> results;
                Status status = provide_(source, [&results](Ptr one) {
                    if (one) results.push_back(std::move(one));
                    return true;
                });
                if (!status.ok()) {
                    source_ = sources_.size();
                    return status;
                }
                provided_.emplace(std::move(results));
            }
            for (; given < wanted && !provided_->empty(); provided_->pop_front(), ++given)
                out.push_back(std::move(provided_->front()));
            if (provided_->empty()) advance();
        }
        skipFinishedTables(state);
        return Status::success();
    }

    // Reads every result left and hands them to deliver at most batchSize
    // at a time (0: all at once), until deliver returns false. A provider's
    // results reach deliver while the provider makes them, so they are never
    // all held; a provider's failure is returned after the results before it.
    Status drain(ObjectManager::State &state, std::size_t batchSize, const std::function<bool(std::vector<Ptr> &)> &deliver) {
        std::vector<Ptr> batch;
        bool wanted = true;
        auto flush = [&] {
            if (!batch.empty()) wanted = deliver(batch);
            batch.clear();
            return wanted;
        };
        const std::size_t full = batchSize == 0 ? SIZE_MAX : batchSize;
        while (wanted && source_ < sources_.size()) {
            const InstanceSource &source = sources_[source_];
            if (!source.provider) {
                readStretch(state, full - batch.size(), batch);
                if (batch.size() >= full) flush();
                continue;
            }
            Status status = provide_(source, [&](Ptr one) {
                if (!wanted) return false;
                if (one) batch.push_back(std::move(one));
                return batch.size() < full || flush();
            });
            advance();
            if (!status.ok()) {
                source_ = sources_.size();
                if (wanted) flush();
                return status;
            }
        }
        if (wanted) flush();
        return Status::success();
    }

    // How many results are left, counted without making them; nullopt when
    // a provider still to be asked or a filter makes that unknown.
    std::optional<std::uint64_t> remaining(const ObjectManager::State &state, bool filtered) const {
        if (filtered) return std::nullopt;
        std::uint64_t left = 0;
        auto lock = state.repository.readLock();
        const NamespaceData *space = state.repository.find(nameSpace_);
        for (std::size_t i = source_; i < sources_.size(); ++i) {
            if (sources_[i].provider) {
                if (i != source_ || !provided_) return std::nullopt;
                left += provided_->size();
                continue;
            }
            const InstanceTable *table = space ? space->instancesOf(sources_[i].record->lineage.front()) : nullptr;
            if (!table) continue;
            left += i == source_ ? static_cast<std::uint64_t>(std::distance(table->after(position_), table->end()))
                                 : table->size();
        }
        return left;
    }

    // True once every source is read.
    bool ended() const { return source_ >= sources_.size(); }

private:
    static constexpr std::size_t stretch = 4096;

    // Appends up to wanted results of the stored table at the place, reading
    // at most one stretch of it under the read lock; steps to the next
    // source at the table's end. Returns how many it appended.
    std::size_t readStretch(ObjectManager::State &state, std::size_t wanted, std::vector<Ptr> &out) {
        const InstanceSource &source = sources_[source_];
        auto lock = state.repository.readLock();
        const NamespaceData *space = state.repository.find(nameSpace_);
        const InstanceTable *table = space ? space->instancesOf(source.record->lineage.front()) : nullptr;
        if (!table) {
            advance();
            return 0;
        }
        std::size_t given = 0;
        auto at = table->after(position_);
        // A stretch reads at most this many entries, so that a filter that
        // keeps few does not hold writers up for a whole table.
        for (std::size_t looked = 0; at != table->end() && given < wanted && looked < stretch; ++at, ++looked) {
            position_ = at.position();
            if (Ptr one = fromStored_(at->second, *space, *source.record)) {
                out.push_back(std::move(one));
                ++given;
            }
        }
        if (at == table->end()) advance();
        return given;
    }

    // Steps over stored tables with nothing left after the place, so that
    // the piece that takes the last result already tells the end.
    void skipFinishedTables(ObjectManager::State &state) {
        auto lock = state.repository.readLock();
        const NamespaceData *space = state.repository.find(nameSpace_);
        while (source_ < sources_.size() && !sources_[source_].provider) {
            const InstanceTable *table = space ? space->instancesOf(sources_[source_].record->lineage.front()) : nullptr;
            if (table && table->after(position_) != table->end()) return;
            advance();
        }
    }

    void advance() {
        ++source_;
        position_ = 0;
        provided_.reset();
    }

    std::wstring nameSpace_;
    std::vector<InstanceSource> sources_;
    FromStored fromStored_;
    Provide provide_;
    std::size_t source_ = 0;
    InstanceTable::Position position_ = 0;
    std::optional<std::deque<Ptr>> provided_;
};

}  // namespace cimom
