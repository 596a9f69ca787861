// text_utils.cpp - string arrays and the text between two delimiters.
#include "cimxml_common/text_utils.h"

#include <cstring>

#include <cimobj/cimobj.h>

#include "cimxml_common/memory.h"

// Copies a NULL-terminated array of texts: the array is a scanned block, each
// text a copy from real_dupChar. NULL for a NULL array; NULL when memory runs
// out (whatever was copied is released). The caller owns the copy and
// releases it with freeStringArray.
char **copyStringArray(const char *const *array) {
    if (array == nullptr) return nullptr;
    std::size_t count = 0;
    while (array[count] != nullptr) ++count;
    auto **copy = static_cast<char **>(CIMXML_MALLOC(count + 1, sizeof(char *), CIMXML_SCANNED));
    if (copy == nullptr) return nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        copy[i] = real_dupChar(array[i], __FILE_NAME__, __LINE__);
        if (copy[i] == nullptr) {
            freeStringArray(copy);
            return nullptr;
        }
    }
    copy[count] = nullptr;
    return copy;
}

// Releases each text (its slot becomes NULL), then the array.
void freeStringArray(char **array) {
    if (array == nullptr) return;
    for (char **slot = array; *slot != nullptr; ++slot) {
        cimxml_free(*slot, CIMXML_ATOMIC);
        *slot = nullptr;
    }
    cimxml_free(array, CIMXML_SCANNED);
}

// Copies the text after the first `open` up to the first `close` after it
// (or to the end when there is none) into a new atomic block the caller
// owns. NULL for a NULL text, a text without `open`, or no memory.
char *textBetween(const char *text, char open, char close) {
    if (text == nullptr || open == '\0') return nullptr;
    const char *start = std::strchr(text, open);
    if (start == nullptr) return nullptr;
    ++start;
    const char *end = close != '\0' ? std::strchr(start, close) : nullptr;
    std::size_t length = end != nullptr ? static_cast<std::size_t>(end - start) : std::strlen(start);
    auto *result = static_cast<char *>(CIMXML_MALLOC(1, length + 1, CIMXML_ATOMIC));
    if (result == nullptr) return nullptr;
    std::memcpy(result, start, length);
    result[length] = '\0';
    return result;
}

char *textInQuotes(const char *text) {
    return textBetween(text, '"', '"');
}

char *textInBraces(const char *text) {
    return textBetween(text, '{', '}');
}
