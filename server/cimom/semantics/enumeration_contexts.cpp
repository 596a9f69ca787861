// enumeration_contexts.cpp - the table of open pulled enumerations.
#include "semantics/enumeration_contexts.h"

#include <sys/random.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "support/names.h"

namespace cimom {

namespace {

Status invalidContext() {
    return Status::error(21, "the enumeration context is not open (unknown, closed, expired or not this client's)");
}

// 128 bits from the kernel's random source, as 32 hex digits.
std::string newIdentifier() {
    unsigned char bytes[16];
    for (std::size_t got = 0; got < sizeof bytes;) {
        ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0) throw std::runtime_error("no random bytes for an enumeration context");
        got += static_cast<std::size_t>(n);
    }
    std::string text(32, '0');
    static const char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        text[2 * i] = digits[bytes[i] >> 4];
        text[2 * i + 1] = digits[bytes[i] & 15];
    }
    return text;
}

}  // namespace

void EnumerationContexts::setLimits(const PullLimits &limits) {
    std::lock_guard lock(mutex_);
    limits_ = limits;
}

PullLimits EnumerationContexts::limits() const {
    std::lock_guard lock(mutex_);
    return limits_;
}

Status EnumerationContexts::admit(const std::string &user, std::optional<std::uint32_t> requested,
                                  std::chrono::seconds &timeout) const {
    std::lock_guard lock(mutex_);
    if (refusing_) return Status::error(28, "the server is shutting down and opens no enumeration");
    if (requested && *requested == 0)
        return Status::error(22, "an OperationTimeout of 0 (never) is not accepted; the longest is " +
                                     std::to_string(limits_.maxTimeout) + " seconds");
    if (requested && *requested > limits_.maxTimeout)
        return Status::error(22, "OperationTimeout " + std::to_string(*requested) + " is above the longest accepted, " +
                                     std::to_string(limits_.maxTimeout) + " seconds");
    timeout = std::chrono::seconds(requested ? *requested : limits_.defaultTimeout);
    if (contexts_.size() >= limits_.maxContexts)
        return Status::error(27, "the server has " + std::to_string(limits_.maxContexts) +
                                     " enumeration contexts open, its limit");
    auto mine = perUser_.find(user);
    if (mine != perUser_.end() && mine->second >= limits_.maxContextsPerUser)
        return Status::error(27, "this user has " + std::to_string(limits_.maxContextsPerUser) +
                                     " enumeration contexts open, the limit for one user");
    return Status::success();
}

Status EnumerationContexts::add(std::unique_ptr<Context> context, std::string &identifier) {
    std::lock_guard lock(mutex_);
    std::size_t &mine = perUser_[context->user];
    if (contexts_.size() >= limits_.maxContexts || mine >= limits_.maxContextsPerUser) {
        if (mine == 0) perUser_.erase(context->user);
        return Status::error(27, "the limit on open enumeration contexts was reached");
    }
    do identifier = newIdentifier();
    while (contexts_.count(identifier));
    context->deadline = Clock::now() + context->timeout;
    deadlines_.emplace(context->deadline, identifier);
    ++mine;
    ++opened_;
    contexts_.emplace(identifier, std::move(context));
    return Status::success();
}

void EnumerationContexts::countEndedAtOpen() {
    std::lock_guard lock(mutex_);
    ++opened_;
    ++closed_;
}

Status EnumerationContexts::find(const std::string &user, const std::wstring &nameSpace, const std::string &identifier,
                                 std::optional<PulledKind> kind, Context *&context) {
    auto at = contexts_.find(identifier);
    if (at == contexts_.end() || at->second->user != user || !sameName(at->second->nameSpace, nameSpace))
        return invalidContext();
    if (kind && at->second->kind != *kind)
        return Status::error(21, "the enumeration context was opened for another kind of result than this pull gives");
    context = at->second.get();
    if (context->busy) return Status::error(24, "a pull on this enumeration context is in progress");
    return Status::success();
}

Status EnumerationContexts::checkOut(const std::string &user, const std::wstring &nameSpace,
                                     const std::string &identifier, std::optional<PulledKind> kind,
                                     Context *&context) {
    std::lock_guard lock(mutex_);
    Status status = find(user, nameSpace, identifier, kind, context);
    if (!status.ok()) return status;
    context->busy = true;
    deadlines_.erase({context->deadline, identifier});
    return status;
}

void EnumerationContexts::checkIn(const std::string &identifier, bool keep) {
    std::unique_ptr<Context> freed;  // destroyed after the lock is released
    std::lock_guard lock(mutex_);
    auto at = contexts_.find(identifier);
    if (at == contexts_.end()) return;
    Context &context = *at->second;
    context.busy = false;
    if (!keep) {
        ++closed_;
        freed = erase(identifier);
        return;
    }
    context.deadline = Clock::now() + context.timeout;
    deadlines_.emplace(context.deadline, identifier);
}

Status EnumerationContexts::close(const std::string &user, const std::wstring &nameSpace,
                                  const std::string &identifier) {
    std::unique_ptr<Context> freed;  // destroyed after the lock is released
    std::lock_guard lock(mutex_);
    Context *context = nullptr;
    Status status = find(user, nameSpace, identifier, std::nullopt, context);
    if (!status.ok()) return status.code == 24 ? Status::error(24, "a pull on this enumeration context is in progress; "
                                                                    "it cannot be closed until that ends")
                                               : status;
    deadlines_.erase({context->deadline, identifier});
    ++closed_;
    freed = erase(identifier);
    return status;
}

std::unique_ptr<EnumerationContexts::Context> EnumerationContexts::erase(const std::string &identifier) {
    auto at = contexts_.find(identifier);
    if (at == contexts_.end()) return nullptr;
    auto mine = perUser_.find(at->second->user);
    if (mine != perUser_.end() && --mine->second == 0) perUser_.erase(mine);
    std::unique_ptr<Context> context = std::move(at->second);
    contexts_.erase(at);
    return context;
}

std::size_t EnumerationContexts::expire(Clock::time_point now) {
    std::vector<std::unique_ptr<Context>> freed;  // destroyed after the lock is released
    {
        std::lock_guard lock(mutex_);
        while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
            std::string identifier = deadlines_.begin()->second;
            deadlines_.erase(deadlines_.begin());
            if (std::unique_ptr<Context> context = erase(identifier)) {
                freed.push_back(std::move(context));
                ++expired_;
            }
        }
    }
    return freed.size();
}

void EnumerationContexts::refuseNew() {
    std::lock_guard lock(mutex_);
    refusing_ = true;
}

PullStatistics EnumerationContexts::statistics() const {
    std::lock_guard lock(mutex_);
    return PullStatistics{contexts_.size(), opened_, closed_, expired_};
}

}  // namespace cimom
