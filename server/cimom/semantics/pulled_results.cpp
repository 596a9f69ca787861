// pulled_results.cpp - cursors and held lists as the results of pulled
// enumerations.
#include "semantics/pulled_results.h"

namespace cimom {

namespace {

void moveInto(std::vector<cimobj::InstancePtr> &from, PulledPiece &piece) {
    for (cimobj::InstancePtr &one : from) piece.instances.push_back(std::move(one));
}
void moveInto(std::vector<cimobj::PathPtr> &from, PulledPiece &piece) {
    for (cimobj::PathPtr &one : from) piece.paths.push_back(std::move(one));
}

template <class Ptr>
class CursorResults final : public PulledResults {
public:
    CursorResults(ObjectManager::State &state, std::unique_ptr<ResultCursor<Ptr>> cursor, bool filtered)
        : state_(state), cursor_(std::move(cursor)), filtered_(filtered) {}

    Status next(std::size_t max, PulledPiece &piece) override {
        std::vector<Ptr> results;
        Status status = cursor_->next(state_, max, results);
        moveInto(results, piece);
        return status;
    }
    bool ended() const override { return cursor_->ended(); }
    std::optional<std::uint64_t> remaining() const override { return cursor_->remaining(state_, filtered_); }

private:
    ObjectManager::State &state_;
    std::unique_ptr<ResultCursor<Ptr>> cursor_;
    bool filtered_;
};

}  // namespace

std::unique_ptr<PulledResults> cursorResults(ObjectManager::State &state, std::unique_ptr<InstanceCursor> cursor,
                                             bool filtered) {
    return std::make_unique<CursorResults<cimobj::InstancePtr>>(state, std::move(cursor), filtered);
}

std::unique_ptr<PulledResults> cursorResults(ObjectManager::State &state, std::unique_ptr<PathCursor> cursor,
                                             bool filtered) {
    return std::make_unique<CursorResults<cimobj::PathPtr>>(state, std::move(cursor), filtered);
}

}  // namespace cimom
