// fragment_builder.cpp - one-allocation assembly of fragments.
#include "cimxml_common/fragment_builder.h"

#include <cstring>

#include "cimxml_common/memory.h"

fragment_builder::~fragment_builder() { clear(); }

void fragment_builder::add(std::string_view text) {
    if (text.data() == nullptr) return;
    push(text.data(), text.size(), false);
}

void fragment_builder::add(const char *text) {
    if (text == nullptr) return;
    push(text, std::strlen(text), false);
}

bool fragment_builder::take(char *fragment) {
    if (fragment == nullptr) return false;
    if (!push(fragment, std::strlen(fragment), true)) {
        cimxml_free(fragment, CIMXML_ATOMIC);
        return false;
    }
    return true;
}

bool fragment_builder::grow() {
    std::size_t wanted = capacity_ * 2;
    piece *bigger = static_cast<piece *>(CIMXML_MALLOC(wanted, sizeof(piece), CIMXML_SCANNED));
    if (bigger == nullptr) return false;
    std::memcpy(bigger, pieces_, count_ * sizeof(piece));
    if (pieces_ != inline_) cimxml_free(pieces_, CIMXML_SCANNED);
    pieces_ = bigger;
    capacity_ = wanted;
    return true;
}

bool fragment_builder::push(const char *text, std::size_t length, bool owned) {
    if (count_ == capacity_ && !grow()) {
        failed_ = true;
        return false;
    }
    pieces_[count_++] = piece{text, length, owned};
    total_ += length;
    return true;
}

char *fragment_builder::finish() {
    char *result = nullptr;
    if (!failed_) {
        result = static_cast<char *>(CIMXML_MALLOC(total_ + 1, 1, CIMXML_ATOMIC));
        if (result != nullptr) {
            char *at = result;
            for (std::size_t i = 0; i < count_; ++i) {
                std::memcpy(at, pieces_[i].text, pieces_[i].length);
                at += pieces_[i].length;
            }
            *at = '\0';
        }
    }
    clear();
    return result;
}

void fragment_builder::clear() {
    for (std::size_t i = 0; i < count_; ++i) {
        if (pieces_[i].owned) cimxml_free(const_cast<char *>(pieces_[i].text), CIMXML_ATOMIC);
    }
    if (pieces_ != inline_) cimxml_free(pieces_, CIMXML_SCANNED);
    pieces_ = inline_;
    capacity_ = inline_capacity;
    count_ = 0;
    total_ = 0;
    failed_ = false;
}

char *concat_fragment(std::initializer_list<std::string_view> texts) {
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
