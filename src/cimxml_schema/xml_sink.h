// xml_sink.h - the writer the element encoders write through: text goes
// straight into a PoolString, in place, with each value escaped as it is
// copied, so that every byte of a response is written once.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

// Writes at the end of a pool's text. What is written belongs to the text
// once the sink is flushed (or destroyed); until then a writer may take its
// output back to a mark. When the pool cannot grow the sink fails: later
// writes are dropped and ok() turns false.
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
    // special characters written as their entities.
    void put_escaped(std::string_view text);
    // Appends the UTF-8 form of a wide text (up to its first NUL, or length
    // characters), escaped the same way; bytes that travel as 0xDC00 + byte
    // come back as those bytes, characters that are no Unicode scalar value
    // as U+FFFD.
    void put_escaped(const wchar_t *text, std::size_t length);
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
    // Adds what was written to the pool's text. Returns ok().
    bool flush();

private:
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

// Runs write on a sink over a scratch pool and returns what it wrote as a
// new fragment (kind 2), or NULL when write returns false or memory is
// exhausted.
template <typename Write>
char *written_fragment(Write write);

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
