// fragment_builder.h - assembles one fragment from many pieces with a single
// allocation at its final size.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

// Collects pieces in document order: borrowed texts (literals, or texts that
// outlive the builder) and owned fragments (taken from the caller). finish()
// measures nothing twice: every piece's length is recorded when it is added,
// the result is allocated once at the summed length and each piece is copied
// once. Owned fragments are released when they have been copied, or by the
// destructor when the builder is abandoned.
//
// The first pieces live in the builder itself (on the caller's stack); longer
// lists spill into a collected, scanned array that grows geometrically, so
// every owned fragment stays visible to the collector while it is held.
class fragment_builder {
public:
    fragment_builder() = default;
    ~fragment_builder();
    fragment_builder(const fragment_builder &) = delete;
    fragment_builder &operator=(const fragment_builder &) = delete;

    // Adds a borrowed text. A NULL text adds nothing.
    void add(std::string_view text);
    void add(const char *text);
    // Adds an owned fragment, which the builder now holds. Returns false and
    // adds nothing for NULL.
    bool take(char *fragment);

    // Number of pieces and bytes added so far.
    std::size_t pieces() const { return count_; }
    std::size_t length() const { return total_; }
    // False once a piece could not be stored for lack of memory; finish()
    // then gives NULL.
    bool ok() const { return !failed_; }

    // A new fragment (kind 2) holding every piece in order, NUL-terminated.
    // NULL when memory is exhausted or a piece was lost. Either way the owned
    // pieces are released and the builder is empty afterwards.
    char *finish();
    // Releases the owned pieces and empties the builder.
    void clear();

private:
    struct piece {
        const char *text;
        std::size_t length;
        bool owned;
    };
    static constexpr std::size_t inline_capacity = 16;

    bool push(const char *text, std::size_t length, bool owned);
    bool grow();

    piece inline_[inline_capacity];
    piece *pieces_ = inline_;
    std::size_t count_ = 0;
    std::size_t capacity_ = inline_capacity;
    std::size_t total_ = 0;
    bool failed_ = false;
};

// A new fragment holding the given texts in order, allocated once. Every
// text must be a valid view (never built from a NULL pointer). NULL when
// memory is exhausted.
char *concat_fragment(std::initializer_list<std::string_view> texts);
