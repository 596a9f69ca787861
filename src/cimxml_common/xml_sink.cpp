// xml_sink.cpp - escaping straight into the pool, and scratch pools.
#include "cimxml_common/xml_sink.h"

#include <cstdint>

#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"

namespace {

// The longest form of one character: an entity ("&quot;") or four UTF-8 bytes.
constexpr std::size_t kLongestForm = 6;

// The entity of each ASCII character that has one (length 0 for the others),
// in slots of a fixed size so that it is copied in one move.
struct entity_table {
    char text[128][8] = {};
    unsigned char length[128] = {};
    constexpr void set(char c, const char *entity) {
        auto slot = static_cast<unsigned char>(c);
        for (int i = 0; entity[i] != '\0'; ++i) text[slot][i] = entity[i];
        for (const char *at = entity; *at != '\0'; ++at) ++length[slot];
    }
    constexpr explicit entity_table(bool strict) {
        set('"', "&quot;");
        set('&', "&amp;");
        set('<', "&lt;");
        set('>', "&gt;");
        set('\'', "&apos;");
        if (!strict) return;
        // A parser turns a literal CR into LF: only a reference keeps it.
        set('\r', "&#13;");
        // Control characters no XML document may hold, not even as a
        // reference, become U+FFFD, so that the answer stays readable.
        for (char c = 1; c < 0x20; ++c)
            if (c != '\t' && c != '\n' && c != '\r') set(c, "\xEF\xBF\xBD");
    }
};
constexpr entity_table classicEntities(false);
constexpr entity_table strictEntities(true);

// Writes the entity of an ASCII special character, or the character; needs
// kLongestForm bytes of room.
inline char *put_ascii(char *at, unsigned char c, const entity_table &entities) {
    if (unsigned length = entities.length[c]) {
        std::memcpy(at, entities.text[c], kLongestForm);
        return at + length;
    }
    *at = static_cast<char>(c);
    return at + 1;
}

// Writes one wide character that is not ASCII as UTF-8. Classic writes a
// byte that was not UTF-8 back as that byte; strict writes U+FFFD for it and
// for the two characters XML excludes, as no document may hold them.
inline char *put_wide(char *at, uint32_t cp, bool strict) {
    if (cp >= 0xDC80 && cp <= 0xDCFF && !strict) {  // a byte that was not UTF-8
        *at++ = static_cast<char>(cp - 0xDC00);
        return at;
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF || (strict && (cp == 0xFFFE || cp == 0xFFFF))) cp = 0xFFFD;
    if (cp < 0x800) {
        *at++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
        *at++ = static_cast<char>(0xE0 | (cp >> 12));
        *at++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
        *at++ = static_cast<char>(0xF0 | (cp >> 18));
        *at++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *at++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *at++ = static_cast<char>(0x80 | (cp & 0x3F));
    return at;
}

}  // namespace

void xml_sink::put_escaped(std::string_view text) {
    put_narrow(text, strict_profile());
}

void xml_sink::put_entities(std::string_view text) { put_narrow(text, false); }

void xml_sink::put_narrow(std::string_view text, bool strict) {
    if (text.empty() || !room(text.size() * kLongestForm)) return;
    const entity_table &entities = strict ? strictEntities : classicEntities;
    char *at = at_;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte == 0) break;
        if (byte < 128) {
            at = put_ascii(at, byte, entities);
        } else {
            *at++ = c;
        }
    }
    at_ = at;
}

void xml_sink::put_escaped(const wchar_t *text, std::size_t length) {
    if (length == 0 || !room(length * kLongestForm)) return;
    bool strict = strict_profile();
    const entity_table &entities = strict ? strictEntities : classicEntities;
    char *at = at_;
    for (std::size_t i = 0; i < length; ++i) {
        auto cp = static_cast<uint32_t>(text[i]);
        if (cp == 0) break;
        at = cp < 128 ? put_ascii(at, static_cast<unsigned char>(cp), entities) : put_wide(at, cp, strict);
    }
    at_ = at;
}

void xml_sink::put_number(unsigned long long number) {
    char digits[24];
    char *first = digits + sizeof digits;
    do {
        *--first = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    put(std::string_view(first, static_cast<std::size_t>(digits + sizeof digits - first)));
}

bool xml_sink::grow(std::size_t count) {
    if (failed_) return false;
    std::size_t used = mark();
    std::size_t room = 0;
    char *place = reserve_PoolString(pool_, used + count, &room);
    if (place == nullptr) {
        failed_ = true;
        return false;
    }
    base_ = place;
    at_ = place + used;
    end_ = place + room;
    return true;
}

namespace {
thread_local xml_sink_flush_hook flush_hook = nullptr;
}  // namespace

xml_sink_flush_hook set_xml_sink_flush_hook(xml_sink_flush_hook hook) {
    xml_sink_flush_hook previous = flush_hook;
    flush_hook = hook;
    return previous;
}

bool xml_sink::flush() {
    if (base_ == nullptr) return ok();
    if (commit_PoolString(pool_, mark())) {
        base_ = at_;  // the room left goes on at the new end of the text
        if (flush_hook != nullptr && flush_hook(pool_)) base_ = at_ = end_ = nullptr;
    } else {
        failed_ = true;
        base_ = at_ = end_ = nullptr;
    }
    return ok();
}

bool xml_sink::expect(std::size_t items, std::size_t bytesPerItem) {
    flush();
    base_ = at_ = end_ = nullptr;  // the pool may move its text
    return resize_PoolString(pool_, items, bytesPerItem) != 0;
}

bool open_scratch_pool(PoolString *pool) { return init_PoolString(pool, 0, 1, 1, 1024, "xml_sink") != 0; }

char *take_scratch_text(PoolString *pool, bool written) {
    char *fragment = nullptr;
    if (written) {
        fragment = static_cast<char *>(CIMXML_MALLOC(pool->length + 1, 1, CIMXML_ATOMIC));
        if (fragment != nullptr) std::memcpy(fragment, pool->text, pool->length + 1);
    }
    release_PoolStringBuffer(pool);
    return fragment;
}

char *joined_fragment(std::initializer_list<std::string_view> texts) {
    std::size_t total = 0;
    for (std::string_view text : texts) total += text.size();
    char *result = static_cast<char *>(CIMXML_MALLOC(total + 1, 1, CIMXML_ATOMIC));
    if (result == nullptr) return nullptr;
    char *at = result;
    for (std::string_view text : texts) {
        if (text.empty()) continue;
        std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
    *at = '\0';
    return result;
}
