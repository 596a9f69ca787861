// xml_sink.h - the one writer every encoder writes through: text goes
// straight into a PoolString, in place, with each value escaped as it is
// copied, so that every byte of a message is written once.
#pragma once

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

// Writes at the end of a pool's text. What is written belongs to the text
// once the sink is flushed (or destroyed); until then a writer may take its
// output back to a mark. While a sink lives nothing else writes to its pool.
// When the pool cannot grow the sink fails: later writes are dropped and
// ok() turns false.
//
// flush() is the one place where output leaves the writers' hands. Only the
// writers of whole messages call it, between whole elements (after every
// result entry); element writers never do, so a mark they hold stays good.
// Encoders see nothing of the pool behind the sink, so another destination
// (a host's stream, fed at each flush) needs no change to them.
class xml_sink {
public:
    explicit xml_sink(PoolString *pool) : pool_(pool) {}
    ~xml_sink() { flush(); }
    xml_sink(const xml_sink &) = delete;
    xml_sink &operator=(const xml_sink &) = delete;

    // Appends text as it is.
    void put(std::string_view text) {
        if (text.empty() || !room(text.size())) return;
        std::memcpy(at_, text.data(), text.size());
        at_ += text.size();
    }
    // Appends text (up to its first NUL, or length bytes) with the five XML
    // special characters written as their entities; strict also writes a CR
    // as a reference and the controls no document may hold as U+FFFD.
    void put_escaped(std::string_view text);
    // Appends the UTF-8 form of a wide text (up to its first NUL, or length
    // characters), escaped the same way; bytes that travel as 0xDC00 + byte
    // come back as those bytes, characters that are no Unicode scalar value
    // as U+FFFD.
    void put_escaped(const wchar_t *text, std::size_t length);
    // Appends text (up to its first NUL) with only the five special
    // characters escaped, in either profile: for a text the module echoes
    // back as it came, such as a request's message id.
    void put_entities(std::string_view text);
    // Appends a number in decimal.
    void put_number(unsigned long long number);

    // Where the output stands; rewind(mark) takes back what was written
    // since (never more than this sink wrote).
    std::size_t mark() const { return static_cast<std::size_t>(at_ - base_); }
    void rewind(std::size_t mark) { at_ = base_ + mark; }
    // What was written since mark, lent until the next write.
    std::string_view written_since(std::size_t mark) const {
        return {base_ + mark, static_cast<std::size_t>(at_ - base_) - mark};
    }
    // False once the pool could not grow.
    bool ok() const { return !failed_; }
    // Adds what was written to the pool's text; marks taken before no longer
    // hold. Returns ok().
    bool flush();
    // Flushes, then lets the pool grow ahead of items writes of about
    // bytesPerItem bytes each (capped by the pool). False when the pool is
    // not set up or cannot grow; the sink itself keeps working.
    bool expect(std::size_t items, std::size_t bytesPerItem);

private:
    // put_escaped of a narrow text with the strict or the classic entities.
    void put_narrow(std::string_view text, bool strict);
    // Room for count more bytes, growing the pool when needed.
    bool room(std::size_t count) {
        return static_cast<std::size_t>(end_ - at_) >= count || grow(count);
    }
    bool grow(std::size_t count);

    PoolString *pool_;
    char *base_ = nullptr;  // where this sink's output starts (pool->text + pool->length)
    char *at_ = nullptr;
    char *end_ = nullptr;
    bool failed_ = false;
};

// Called on this thread after each flush with the pool flushed into; returns
// true when it took the pool's text away (the pool is then empty and the
// sink finds its place again). For a host that has an answer handed over
// in pieces while it is written; NULL: none.
using xml_sink_flush_hook = bool (*)(PoolString *pool);
// Sets the calling thread's hook and returns the one it replaces.
xml_sink_flush_hook set_xml_sink_flush_hook(xml_sink_flush_hook hook);

// Runs write on a sink over a scratch pool and returns what it wrote as a
// new fragment (kind 2), or NULL when write returns false or memory is
// exhausted.
template <typename Write>
char *written_fragment(Write write);

// A new fragment holding the texts in order. Every text must be a valid view
// (never built from a NULL pointer). NULL when memory is exhausted.
char *joined_fragment(std::initializer_list<std::string_view> texts);

// The fragment of a scratch pool's text, or NULL; the pool is released.
char *take_scratch_text(PoolString *pool, bool written);
// Sets up a scratch pool; false when memory is exhausted.
bool open_scratch_pool(PoolString *pool);

template <typename Write>
char *written_fragment(Write write) {
    PoolString pool{};
    if (!open_scratch_pool(&pool)) return nullptr;
    bool written;
    {
        xml_sink out(&pool);
        written = write(out) && out.flush();
    }
    return take_scratch_text(&pool, written);
}
