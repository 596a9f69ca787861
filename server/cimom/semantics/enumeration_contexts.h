// enumeration_contexts.h - the open pulled enumerations: each one's owner,
// namespace, kind, timer and where its results are read from, found by an
// unguessable identifier. The table owns the contexts; one pull at a time
// may use a context, and a context in use never expires.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "cimom/pulled_enumerations.h"
#include "cimom/status.h"

namespace cimom {

// Where a context's results come from. next appends at most max results
// (never 0) to piece; remaining counts what is left, nullopt when that is
// unknown without reading it.
class PulledResults {
public:
    virtual ~PulledResults() = default;
    virtual Status next(std::size_t max, PulledPiece &piece) = 0;
    virtual bool ended() const = 0;
    virtual std::optional<std::uint64_t> remaining() const = 0;
};

class EnumerationContexts {
public:
    using Clock = std::chrono::steady_clock;

    // An open context as a pull holds it while it is checked out.
    struct Context {
        std::string user;
        std::wstring nameSpace;
        PulledKind kind;
        std::chrono::seconds timeout;
        std::unique_ptr<PulledResults> results;
        Clock::time_point deadline;
        bool busy = false;
    };

    void setLimits(const PullLimits &limits);
    PullLimits limits() const;

    // Whether user may open one more context now: 28 once shutting down, 27
    // at a limit, 22 for a timeout of 0 or above the limit (nullopt: the
    // default). Sets timeout to the one the context gets.
    Status admit(const std::string &user, std::optional<std::uint32_t> requested, std::chrono::seconds &timeout) const;
    // Keeps context (its results not ended) and returns its new identifier
    // (128 random bits, as hex); 27 when a limit was reached meanwhile.
    Status add(std::unique_ptr<Context> context, std::string &identifier);
    // Counts an enumeration that ended in its first piece.
    void countEndedAtOpen();

    // Takes the context out for a pull or count: 21 when it is unknown, or
    // of another user, namespace or kind (kind nullopt: any); 24 (busy) when
    // a pull holds it already. While out it does not expire.
    Status checkOut(const std::string &user, const std::wstring &nameSpace, const std::string &identifier,
                    std::optional<PulledKind> kind, Context *&context);
    // Gives it back: kept with its timer restarted, or freed (ended).
    void checkIn(const std::string &identifier, bool keep);
    // Frees it: 21 as for checkOut, 24 while a pull holds it.
    Status close(const std::string &user, const std::wstring &nameSpace, const std::string &identifier);

    std::size_t expire(Clock::time_point now);
    void refuseNew();
    PullStatistics statistics() const;

private:
    Status find(const std::string &user, const std::wstring &nameSpace, const std::string &identifier,
                std::optional<PulledKind> kind, Context *&context);
    std::unique_ptr<Context> erase(const std::string &identifier);

    mutable std::mutex mutex_;
    PullLimits limits_;
    bool refusing_ = false;
    std::unordered_map<std::string, std::unique_ptr<Context>> contexts_;
    std::unordered_map<std::string, std::size_t> perUser_;
    std::set<std::pair<Clock::time_point, std::string>> deadlines_;  // of the contexts not checked out
    std::uint64_t opened_ = 0, closed_ = 0, expired_ = 0;
};

}  // namespace cimom
