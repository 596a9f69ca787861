// ordered_map.h - a hash map that remembers insertion order, so that
// enumerations come out in the order objects were made while look-ups by
// key stay constant-time. Every entry has a position that stays its own
// while it lives, so that a reader can stop, let go of its lock, and go on
// after the last entry it saw even when entries came and went meanwhile.
#pragma once

#include <cstdint>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace cimom {

template <class V>
class OrderedMap {
public:
    using Entry = std::pair<const std::wstring, V>;
    // Positions grow with every new key; 0 comes before the first entry.
    using Position = std::uint64_t;

private:
    using Entries = std::map<Position, Entry>;

    template <class Base, class Value>
    class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        using pointer = Value *;
        using reference = Value &;
        Iterator() = default;
        explicit Iterator(Base at) : at_(at) {}
        Value &operator*() const { return at_->second; }
        Value *operator->() const { return &at_->second; }
        Iterator &operator++() {
            ++at_;
            return *this;
        }
        bool operator==(const Iterator &other) const { return at_ == other.at_; }
        bool operator!=(const Iterator &other) const { return at_ != other.at_; }
        // The position of the entry this points to.
        Position position() const { return at_->first; }

    private:
        Base at_;
    };

public:
    using iterator = Iterator<typename Entries::iterator, Entry>;
    using const_iterator = Iterator<typename Entries::const_iterator, const Entry>;

    // The value stored under key, lent; nullptr when there is none.
    V *find(std::wstring_view key) {
        auto at = index_.find(key);
        return at == index_.end() ? nullptr : &at->second->second.second;
    }
    const V *find(std::wstring_view key) const {
        auto at = index_.find(key);
        return at == index_.end() ? nullptr : &at->second->second.second;
    }
    // Stores value under key: a new key goes last, a known key keeps its place.
    void put(const std::wstring &key, V value) {
        if (V *existing = find(key)) {
            *existing = std::move(value);
            return;
        }
        auto made = entries_.emplace_hint(entries_.end(), ++lastPosition_, Entry(key, std::move(value)));
        index_.emplace(std::wstring_view(made->second.first), made);
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
    iterator begin() { return iterator(entries_.begin()); }
    iterator end() { return iterator(entries_.end()); }
    const_iterator begin() const { return const_iterator(entries_.begin()); }
    const_iterator end() const { return const_iterator(entries_.end()); }
    // The first entry made after position (end() when none): where a reader
    // that last saw the entry at position goes on.
    const_iterator after(Position position) const { return const_iterator(entries_.upper_bound(position)); }

private:
    // Keys in the index view the keys held by the entries, which never move.
    Entries entries_;
    std::unordered_map<std::wstring_view, typename Entries::iterator> index_;
    Position lastPosition_ = 0;
};

}  // namespace cimom
