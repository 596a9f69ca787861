// cimobj.hpp - C++ conveniences over the object library for the server's C++
// code: owners that free objects with the library's own free functions, and
// UTF-8 <-> wide conversion into ordinary (not collected) memory.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cimobj.h"

namespace cimobj {

// Frees an object with its library function; NULL is ignored.
template <auto Free>
struct Deleter {
    template <class T>
    void operator()(T *object) const {
        if (object) Free(object);
    }
};

using StringPtr = std::unique_ptr<CIMString, Deleter<freeCIMString>>;
using ValuePtr = std::unique_ptr<CIMValue, Deleter<freeCIMValue>>;
using PropertyPtr = std::unique_ptr<CIMProperty, Deleter<freeCIMProperty>>;
using QualifierPtr = std::unique_ptr<CIMQualifier, Deleter<freeCIMQualifier>>;
using QualifierTypePtr = std::unique_ptr<CIMQualifierType, Deleter<freeQualifierType>>;
using MethodPtr = std::unique_ptr<CIMMethod, Deleter<freeMethod>>;
using ClassPtr = std::unique_ptr<CIMClass, Deleter<freeCIMClass>>;
using InstancePtr = std::unique_ptr<CIMInstance, Deleter<freeCIMInstance>>;
using PathPtr = std::unique_ptr<CIMObjectPath, Deleter<freeCIMObjectPath>>;
using ListPtr = std::unique_ptr<CIMList, Deleter<freeList>>;
using ReturnCodePtr = std::unique_ptr<ReturnCode, Deleter<freeReturnCode>>;

// UTF-8 form of wide text (escaped stray bytes come back as those bytes).
std::string toUtf8(std::wstring_view text);
// UTF-8 form of a string; empty for NULL or a null string.
std::string toUtf8(const CIMString *text);
// Wide form of UTF-8 text (invalid bytes travel as 0xDC00 + byte).
std::wstring fromUtf8(std::string_view text);
// New string decoded from length bytes of UTF-8 text, as
// createCIMStringFromChar decodes them, without a copy in between; NULL
// text gives a null string. NULL when memory is exhausted.
CIMString *newStringFromUtf8(const char *text, size_t length);
// The text getCharFromCIMValue gives a scalar value of a numeric, boolean
// or char16 type, written into buffer (kScalarTextSize bytes, not
// terminated); returns its length, or kNoScalarText for a NULL or null
// value and for the other types (strings and datetimes among them).
constexpr size_t kScalarTextSize = 64;
constexpr size_t kNoScalarText = static_cast<size_t>(-1);
size_t scalarText(const CIMValue *value, char *buffer);


// The wide text of a string, lent; empty for NULL or a null string.
inline std::wstring_view view(const CIMString *text) {
    return text && text->buffer ? std::wstring_view(text->buffer, text->length)
                                : std::wstring_view();
}

// New string holding a copy of text. Throws std::bad_alloc when memory is exhausted.
inline StringPtr makeString(std::wstring_view text) {
    std::wstring copy(text);
    StringPtr s(newCIMString(copy.c_str()));
    if (!s) throw std::bad_alloc();
    return s;
}

}  // namespace cimobj
