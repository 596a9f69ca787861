// login_throttle.h - failed logins counted per client address: past a few
// within a short window, the address is in back-off and its attempts are
// refused without hashing, for a time that doubles with each further
// failure.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace cimxmld {

class LoginThrottle {
public:
    using Clock = std::chrono::steady_clock;

    struct Policy {
        int freeFailures = 5;                    // failures allowed within the window
        std::chrono::seconds window{60};         // failures older than this (after any back-off) are forgotten
        std::chrono::milliseconds firstBackOff{1000};
        std::chrono::milliseconds longestBackOff{300000};
        std::size_t addresses = 10000;           // addresses tracked at most
    };

    LoginThrottle() : LoginThrottle(Policy{}) {}
    explicit LoginThrottle(Policy policy) : policy_(policy) {}

    // True while address is in back-off. Safe from many threads.
    bool blocked(const std::string &address, Clock::time_point now) const;
    // Counts a failure (a password that was hashed and did not match).
    // Returns the back-off that starts with it, zero when none does; the
    // first back-off of an address's run of failures is logged as a warning.
    std::chrono::milliseconds failed(const std::string &address, Clock::time_point now);
    // A login succeeded: the address's failures are forgotten.
    void succeeded(const std::string &address);

private:
    struct Record {
        int failures = 0;
        Clock::time_point lastFailure;
        Clock::time_point blockedUntil;
    };
    // Drops the records that no longer matter; called with the lock held.
    void prune(Clock::time_point now);

    Policy policy_;
    mutable std::mutex lock_;
    std::unordered_map<std::string, Record> records_;
};

}  // namespace cimxmld
