// argument_values.cpp - command-line texts converted to typed CIM values.
#include "argument_values.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include <cimom/object_path_text.h>

#include "client_error.h"

namespace cli {

namespace {

using remote::ClientError;

[[noreturn]] void refuse(const std::string &what, std::string_view text, const std::string &expected) {
    throw ClientError(remote::exitBadInput, what + ": '" + std::string(text) + "' is not " + expected);
}

cimobj::ValuePtr made(CIMValue *value) {
    if (!value) throw std::bad_alloc();
    return cimobj::ValuePtr(value);
}

// An integer within [low, high] in decimal or 0x hexadecimal.
template <class Integer>
cimobj::ValuePtr integer(std::string_view text, int type, const char *name, const std::string &what) {
    using Wide = std::conditional_t<std::is_signed_v<Integer>, long long, unsigned long long>;
    std::string_view digits = text;
    bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    int base = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X') ? 16 : 10;
    if (base == 16) digits.remove_prefix(2);
    unsigned long long magnitude = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    std::string range = std::string(name) + " (" + std::to_string(std::numeric_limits<Integer>::min()) + ".." +
                        std::to_string(std::numeric_limits<Integer>::max()) + ")";
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        (negative && !std::is_signed_v<Integer>))
        refuse(what, text, "a " + range);
    Wide value = 0;
    if constexpr (std::is_signed_v<Integer>) {
        unsigned long long limit = negative
                                       ? 0ULL - static_cast<unsigned long long>(std::numeric_limits<Integer>::min())
                                       : static_cast<unsigned long long>(std::numeric_limits<Integer>::max());
        if (magnitude > limit) refuse(what, text, "a " + range);
        value = negative ? static_cast<Wide>(0ULL - magnitude) : static_cast<Wide>(magnitude);
    } else {
        if (magnitude > std::numeric_limits<Integer>::max()) refuse(what, text, "a " + range);
        value = magnitude;
    }
    Integer native = static_cast<Integer>(value);
    return made(newCIMValue(type, &native));
}

template <class Real>
cimobj::ValuePtr real(std::string_view text, int type, const char *name, const std::string &what) {
    Real value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        refuse(what, text, std::string("a ") + name);
    return made(newCIMValue(type, &value));
}

cimobj::ValuePtr scalar(std::string_view text, int type, const std::string &what) {
    switch (type) {
        case CIM_UINT8: return integer<uint8_t>(text, type, "uint8", what);
        case CIM_SINT8: return integer<int8_t>(text, type, "sint8", what);
        case CIM_UINT16: return integer<uint16_t>(text, type, "uint16", what);
        case CIM_SINT16: return integer<int16_t>(text, type, "sint16", what);
        case CIM_UINT32: return integer<uint32_t>(text, type, "uint32", what);
        case CIM_SINT32: return integer<int32_t>(text, type, "sint32", what);
        case CIM_UINT64: return integer<uint64_t>(text, type, "uint64", what);
        case CIM_SINT64: return integer<int64_t>(text, type, "sint64", what);
        case CIM_REAL32: return real<float>(text, type, "real32", what);
        case CIM_REAL64: return real<double>(text, type, "real64", what);
        case CIM_BOOLEAN: {
            std::string lower;
            for (char c : text)
                lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (lower != "true" && lower != "false") refuse(what, text, "a boolean (true or false)");
            int flag = lower == "true";
            return made(newCIMValue(type, &flag));
        }
        case CIM_STRING: return made(newCIMValue(type, cimobj::makeString(cimobj::fromUtf8(text)).release()));
        case CIM_DATETIME: {
            std::wstring wide = cimobj::fromUtf8(text);
            return made(newCIMValue(type, wide.data()));
        }
        case CIM_CHAR16: {
            std::wstring wide = cimobj::fromUtf8(text);
            if (wide.size() != 1 || wide[0] > 0xFFFF) refuse(what, text, "a char16 (one character)");
            uint16_t c = static_cast<uint16_t>(wide[0]);
            return made(newCIMValue(type, &c));
        }
        case CIM_REFERENCE: {
            std::string error;
            cimobj::PathPtr path = cimom::parseObjectPathText(cimobj::fromUtf8(text), &error);
            if (!path) refuse(what, text, "an object path (" + error + ")");
            cimobj::ValuePtr value = made(newCIMValue(type, path.get()));
            path.release();
            return value;
        }
        default:
            throw ClientError(remote::exitBadInput, what + ": values of this type cannot be given on the command line");
    }
}

}  // namespace

NamedArgument splitNamedArgument(std::string_view text) {
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) return {std::string(text), {}, false};
    return {std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)), true};
}

cimobj::ValuePtr typedArgument(std::string_view text, int type, const std::string &what) {
    if (type < CIM_ARRAY) return scalar(text, type, what);
    cimobj::ListPtr elements(newCIMValueList());
    if (!elements) throw std::bad_alloc();
    for (size_t start = 0; !text.empty() && start <= text.size();) {
        size_t comma = std::min(text.find(',', start), text.size());
        cimobj::ValuePtr element = scalar(text.substr(start, comma - start), type - CIM_ARRAY, what);
        if (!isSuccessfulFree(appendToCIMValueList(elements.get(), element.get()))) throw std::bad_alloc();
        element.release();
        start = comma + 1;
    }
    cimobj::ValuePtr value = made(newCIMValue(type, elements.get()));
    elements.release();
    return value;
}

}  // namespace cli
