// login_throttle.cpp - the failure records and their back-off.
#include "login_throttle.h"

#include <algorithm>

#include <cimobj/cimobj.h>

namespace cimxmld {

bool LoginThrottle::blocked(const std::string &address, Clock::time_point now) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = records_.find(address);
    return found != records_.end() && now < found->second.blockedUntil;
}

std::chrono::milliseconds LoginThrottle::failed(const std::string &address, Clock::time_point now) {
    std::lock_guard<std::mutex> guard(lock_);
    if (records_.size() >= policy_.addresses && records_.count(address) == 0) prune(now);
    if (records_.size() >= policy_.addresses) return std::chrono::milliseconds(0);  // full of live records
    Record &record = records_[address];
    if (record.failures > 0 && now - std::max(record.lastFailure, record.blockedUntil) > policy_.window)
        record.failures = 0;
    ++record.failures;
    record.lastFailure = now;
    int over = record.failures - policy_.freeFailures;
    if (over < 0) return std::chrono::milliseconds(0);
    std::chrono::milliseconds backOff = std::min<std::chrono::milliseconds>(
        policy_.longestBackOff, policy_.firstBackOff * (1ll << std::min(over, 20)));
    record.blockedUntil = now + backOff;
    if (over == 0)
        cimPrintMessage(CIM_LOG_WARNING, L"%d failed logins from %s: its attempts are refused unchecked for a while",
                        record.failures, address.c_str());
    return backOff;
}

void LoginThrottle::succeeded(const std::string &address) {
    std::lock_guard<std::mutex> guard(lock_);
    records_.erase(address);
}

void LoginThrottle::prune(Clock::time_point now) {
    for (auto it = records_.begin(); it != records_.end();) {
        const Record &record = it->second;
        bool stale = now - std::max(record.lastFailure, record.blockedUntil) > policy_.window;
        it = stale ? records_.erase(it) : std::next(it);
    }
}

}  // namespace cimxmld
