// ordered_map.h - a hash map that remembers insertion order, so that
// enumerations come out in the order objects were made while look-ups by
// key stay constant-time.
#pragma once

#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace cimom {

template <class V>
class OrderedMap {
public:
    using Entry = std::pair<const std::wstring, V>;

    // The value stored under key, lent; nullptr when there is none.
    V *find(std::wstring_view key) {
        auto at = index_.find(key);
        return at == index_.end() ? nullptr : &at->second->second;
    }
    const V *find(std::wstring_view key) const {
        auto at = index_.find(key);
        return at == index_.end() ? nullptr : &at->second->second;
    }
    // Stores value under key: a new key goes last, a known key keeps its place.
    void put(const std::wstring &key, V value) {
        if (V *existing = find(key)) {
            *existing = std::move(value);
            return;
        }
        entries_.emplace_back(key, std::move(value));
        auto last = std::prev(entries_.end());
        index_.emplace(std::wstring_view(last->first), last);
    }
    // Removes key; false when it was not there.
    bool erase(std::wstring_view key) {
        auto at = index_.find(key);
        if (at == index_.end()) return false;
        auto entry = at->second;
        index_.erase(at);
        entries_.erase(entry);
        return true;
    }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    auto begin() { return entries_.begin(); }
    auto end() { return entries_.end(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    // Keys in the index view the keys held by the list's nodes, which never move.
    std::list<Entry> entries_;
    std::unordered_map<std::wstring_view, typename std::list<Entry>::iterator> index_;
};

}  // namespace cimom
