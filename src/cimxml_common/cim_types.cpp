// cim_types.cpp - CIM type codes, their CIM-XML names and the text of values.
#include "cimxml_common/cim_types.h"

#include <cctype>
#include <charconv>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <cimobj/cimobj.hpp>

#include "cimxml_common/memory.h"
#include "cimxml_common/text_utils.h"

namespace {

struct TypeName {
    int code;
    const char *name;
    const wchar_t *wideName;
};

#define TYPE_NAME(code, name) {code, name, L"" name}

// In lookup order: scalars, arrays, then the special codes. Note the
// irregular pair "cimclass" / "class_array".
constexpr TypeName type_names[] = {
    TYPE_NAME(CIM_UINT8, "uint8"),
    TYPE_NAME(CIM_SINT8, "sint8"),
    TYPE_NAME(CIM_UINT16, "uint16"),
    TYPE_NAME(CIM_SINT16, "sint16"),
    TYPE_NAME(CIM_UINT32, "uint32"),
    TYPE_NAME(CIM_SINT32, "sint32"),
    TYPE_NAME(CIM_UINT64, "uint64"),
    TYPE_NAME(CIM_SINT64, "sint64"),
    TYPE_NAME(CIM_STRING, "string"),
    TYPE_NAME(CIM_BOOLEAN, "boolean"),
    TYPE_NAME(CIM_REAL32, "real32"),
    TYPE_NAME(CIM_REAL64, "real64"),
    TYPE_NAME(CIM_DATETIME, "datetime"),
    TYPE_NAME(CIM_CHAR16, "char16"),
    TYPE_NAME(CIM_ARRAY + CIM_UINT8, "uint8_array"),
    TYPE_NAME(CIM_ARRAY + CIM_SINT8, "sint8_array"),
    TYPE_NAME(CIM_ARRAY + CIM_UINT16, "uint16_array"),
    TYPE_NAME(CIM_ARRAY + CIM_SINT16, "sint16_array"),
    TYPE_NAME(CIM_ARRAY + CIM_UINT32, "uint32_array"),
    TYPE_NAME(CIM_ARRAY + CIM_SINT32, "sint32_array"),
    TYPE_NAME(CIM_ARRAY + CIM_UINT64, "uint64_array"),
    TYPE_NAME(CIM_ARRAY + CIM_SINT64, "sint64_array"),
    TYPE_NAME(CIM_ARRAY + CIM_STRING, "string_array"),
    TYPE_NAME(CIM_ARRAY + CIM_BOOLEAN, "boolean_array"),
    TYPE_NAME(CIM_ARRAY + CIM_REAL32, "real32_array"),
    TYPE_NAME(CIM_ARRAY + CIM_REAL64, "real64_array"),
    TYPE_NAME(CIM_ARRAY + CIM_DATETIME, "datetime_array"),
    TYPE_NAME(CIM_ARRAY + CIM_CHAR16, "char16_array"),
    TYPE_NAME(CIM_ARRAY + CIM_REFERENCE, "reference_array"),
    TYPE_NAME(CIM_ARRAY + CIM_OBJECT, "object_array"),
    TYPE_NAME(CIM_ARRAY + CIM_CLASS, "class_array"),
    TYPE_NAME(CIM_REFERENCE, "reference"),
    TYPE_NAME(CIM_OBJECT, "object"),
    TYPE_NAME(CIM_CLASS, "cimclass"),
    TYPE_NAME(CIM_NULL, "cimnull"),
    TYPE_NAME(CIM_EMPTY, "empty"),
    TYPE_NAME(CIM_SIZE_UNLIMITED, "size_unlimited"),
    TYPE_NAME(CIM_SIZE_SINGLE, "size_single"),
};

#undef TYPE_NAME

const TypeName *entry_of(int type) {
    for (const TypeName &entry : type_names)
        if (entry.code == type) return &entry;
    return nullptr;
}

struct ParamType {
    const wchar_t *name;
    int type;
};

// Types of the intrinsic methods' parameters; every other name is a string.
constexpr ParamType param_types[] = {
    {L"InstanceName", CIM_REFERENCE},
    {L"ObjectName", CIM_REFERENCE},
    {L"AssocClass", CIM_STRING},
    {L"ClassName", CIM_STRING},
    {L"ResultClass", CIM_STRING},
    {L"Role", CIM_STRING},
    {L"ResultRole", CIM_STRING},
    {L"PropertyName", CIM_STRING},
    {L"QualifierName", CIM_STRING},
    {L"QueryLanguage", CIM_STRING},
    {L"Query", CIM_STRING},
    {L"localOnly", CIM_BOOLEAN},
    {L"IncludeQualifiers", CIM_BOOLEAN},
    {L"IncludeClassOrigin", CIM_BOOLEAN},
    {L"DeepInheritance", CIM_BOOLEAN},
    {L"PropertyList", CIM_ARRAY + CIM_STRING},
    {L"NewClass", CIM_CLASS},
    {L"ModifiedClass", CIM_CLASS},
    {L"NewInstance", CIM_OBJECT},
    {L"NewIndication", CIM_OBJECT},
    {L"ModifiedInstance", CIM_OBJECT},
};

// Reads a number with format and stores it, narrowed to Stored, at the start
// of an 8-byte block.
// A text that holds no number leaves the block zero.
template <typename Parsed, typename Stored = Parsed>
void scan_number(const char *text, const char *format, void *block) {
    Parsed parsed{};
    if (std::sscanf(text, format, &parsed) == 1) {
        Stored stored = static_cast<Stored>(parsed);
        std::memcpy(block, &stored, sizeof stored);
    }
}

// The common forms of numbers read without scanf, with the same result:
// an optional minus and at most 18 digits (no overflow, so every width
// keeps the low bits as scanf's conversion does), and reals that
// std::from_chars reads in full and in range (both round correctly).
// Anything else, blanks and plus signs among it, goes to scanf.
bool read_plain_integer(const char *text, int64_t *value) {
    std::size_t length = std::strlen(text);
    std::size_t digits = length - (text[0] == '-' ? 1 : 0);
    if (digits == 0 || digits > 18 || text[length - digits] == '-') return false;
    auto [end, error] = std::from_chars(text, text + length, *value);
    return error == std::errc() && end == text + length;
}

template <typename Real>
bool read_plain_real(const char *text, void *block) {
    if (text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    const char *end = text + std::strlen(text);
    Real value{};
    auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end) return false;
    std::memcpy(block, &value, sizeof value);
    return true;
}

// Writes the number of a numeric type (char16 excepted) read from text
// into block (8 bytes, zero-filled by the caller), as scan_number does.
void read_number(int type, const char *text, void *block) {
    int64_t integer = 0;
    if (type <= CIM_SINT64 && read_plain_integer(text, &integer)) {
        std::memcpy(block, &integer, 8);  // the low bytes hold each narrower width
        return;
    }
    if (type == CIM_REAL32 && read_plain_real<float>(text, block)) return;
    if (type == CIM_REAL64 && read_plain_real<double>(text, block)) return;
    switch (type) {
    case CIM_UINT8: scan_number<unsigned int, uint8_t>(text, "%u", block); break;
    case CIM_SINT8: scan_number<int, int8_t>(text, "%d", block); break;
    case CIM_UINT16: scan_number<unsigned short, uint16_t>(text, "%hu", block); break;
    case CIM_SINT16: scan_number<short, int16_t>(text, "%hd", block); break;
    case CIM_UINT32: scan_number<uint32_t>(text, "%" SCNu32, block); break;
    case CIM_SINT32: scan_number<int32_t>(text, "%" SCNd32, block); break;
    case CIM_UINT64: scan_number<uint64_t>(text, "%" SCNu64, block); break;
    case CIM_SINT64: scan_number<int64_t>(text, "%" SCNd64, block); break;
    case CIM_REAL32: scan_number<float>(text, "%f", block); break;
    case CIM_REAL64: scan_number<double>(text, "%lf", block); break;
    default: break;
    }
}

// New 8-byte atomic block holding the number of a numeric type; NULL for
// char16 (it has no number text) or no memory.
void *number_from_text(int type, const char *text) {
    if (type == CIM_CHAR16) return nullptr;
    void *block = CIMXML_MALLOC(1, 8, CIMXML_ATOMIC);
    if (block == nullptr) return nullptr;
    std::memset(block, 0, 8);
    read_number(type, text, block);
    return block;
}

// 1 for "true", 0 for "false" (caseless), -1 for any other text.
int boolean_of(const char *text) {
    if (local_strcasecmp(text, "true") == 0) return 1;
    if (local_strcasecmp(text, "false") == 0) return 0;
    return -1;
}

void *boolean_from_text(const char *text) {
    int value = boolean_of(text);
    if (value < 0) return nullptr;
    auto *block = static_cast<int *>(CIMXML_MALLOC(1, sizeof(int), CIMXML_ATOMIC));
    if (block != nullptr) *block = value;
    return block;
}

// A datetime's text: the quoted part when there is one.
std::string_view datetime_text(const char *text) {
    const char *open = std::strchr(text, '"');
    if (open == nullptr) return text;
    const char *close = std::strchr(open + 1, '"');
    return close != nullptr ? std::string_view(open + 1, static_cast<std::size_t>(close - open - 1))
                            : std::string_view(open + 1);
}

// Caseless comparison of an ASCII table name with a UTF-8 text; a byte of
// 128 or above never equals a letter of the table, as in the wide form.
bool same_name(const char *tableName, const char *text) {
    for (;; ++tableName, ++text) {
        unsigned char a = static_cast<unsigned char>(*tableName), b = static_cast<unsigned char>(*text);
        if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
        if (a != b) return false;
        if (a == '\0') return true;
    }
}

// A datetime may come quoted; only the quoted part is the value.
void *datetime_from_text(const char *text) {
    char *quoted = textInQuotes(text);
    wchar_t *wide = createWideFromChar(quoted != nullptr ? quoted : text);
    cimxml_free(quoted, CIMXML_ATOMIC);
    return wide;
}

void *string_from_text(const char *text) {
    wchar_t *wide = createWideFromChar(text);
    if (wide == nullptr) return nullptr;
    CIMString *string = newCIMString(wide);
    cimxml_free(wide, CIMXML_ATOMIC);
    return string;
}

}  // namespace

// Code of a type name, compared without regard to case; NULL, a null
// string and unknown names give string.
int typeFromName(const CIMString *name) {
    const wchar_t *text = getCIMStringBuffer(name);
    if (text == nullptr) return CIM_STRING;
    for (const TypeName &entry : type_names)
        if (local_wcscasecmp(text, entry.wideName) == 0) return entry.code;
    return CIM_STRING;
}

// The names of the table by their first letter and length, so that a
// look-up compares a name with four entries at most.
struct TypeNameIndex {
    static constexpr std::size_t kLongest = 15;
    static constexpr std::size_t kShared = 4;  // names that share a letter and a length
    const TypeName *entries[26][kLongest + 1][kShared] = {};
    TypeNameIndex() {
        for (const TypeName &entry : type_names) {
            const TypeName **slots = entries[entry.name[0] - 'a'][std::strlen(entry.name)];
            std::size_t free = 0;
            while (slots[free] != nullptr) ++free;
            slots[free] = &entry;
        }
    }
};
const TypeNameIndex type_name_index;

int typeFromText(const char *name) {
    if (name == nullptr) return CIM_STRING;
    char first = name[0] >= 'A' && name[0] <= 'Z' ? static_cast<char>(name[0] - 'A' + 'a') : name[0];
    std::size_t length = std::strlen(name);
    if (first < 'a' || first > 'z' || length > TypeNameIndex::kLongest) return CIM_STRING;
    for (const TypeName *entry : type_name_index.entries[first - 'a'][length])
        if (entry != nullptr && same_name(entry->name, name)) return entry->code;
    return CIM_STRING;
}

// New string the caller frees with freeCIMString; NULL only when memory is
// exhausted.
CIMString *typeNameOf(int type) {
    const TypeName *entry = entry_of(type);
    return newCIMString(entry != nullptr ? entry->wideName : L"string");
}

const char *typeNameText(int type) {
    const TypeName *entry = entry_of(type);
    return entry != nullptr ? entry->name : "string";
}

int scalarTypeOf(int type) {
    return isArrayType(type) ? type - CIM_ARRAY : CIM_STRING;
}

int arrayTypeOf(int type) {
    return type >= CIM_UINT8 && type <= CIM_CLASS ? type + CIM_ARRAY : CIM_ARRAY + CIM_STRING;
}

int isArrayType(int type) {
    return type >= CIM_ARRAY + CIM_UINT8 && type <= CIM_ARRAY + CIM_CLASS;
}

int isObjectType(int type) {
    return type == CIM_OBJECT || type == CIM_CLASS || type == CIM_ARRAY + CIM_OBJECT ||
           type == CIM_ARRAY + CIM_CLASS;
}

int isNumericType(int type) {
    return (type >= CIM_UINT8 && type <= CIM_SINT64) || type == CIM_REAL32 || type == CIM_REAL64 ||
           type == CIM_CHAR16;
}

// Native data for newCIMValue (see the header). The caller passes it to
// newCIMValue and then releases it with freeValueData.
void *textToValue(int type, const char *text) {
    if (text == nullptr) return nullptr;
    if (isNumericType(type)) return number_from_text(type, text);
    switch (type) {
    case CIM_BOOLEAN: return boolean_from_text(text);
    case CIM_DATETIME: return datetime_from_text(text);
    case CIM_STRING: return string_from_text(text);
    default: return nullptr;
    }
}

// Numbers, booleans and datetime texts are copied by newCIMValue and are
// released here; a string is taken by the value and is left alone.
void freeValueData(int type, void *data) {
    if (data == nullptr) return;
    if ((type >= CIM_UINT8 && type <= CIM_SINT64) || (type >= CIM_BOOLEAN && type <= CIM_CHAR16))
        cimxml_free(data, CIMXML_ATOMIC);
}

bool storeValueFromText(CIMValue *value, const char *text) {
    int type = value->type;
    if (text == nullptr || type == CIM_CHAR16) return true;
    if (isNumericType(type)) {
        alignas(8) unsigned char block[8] = {};
        read_number(type, text, block);
        // The number lies at the start of the block as the value's member does.
        std::size_t width = type <= CIM_SINT64 ? std::size_t{1} << (type / 2) : type == CIM_REAL32 ? 4 : 8;
        std::memcpy(&value->data, block, width);
        value->isNull = 0;
        return true;
    }
    switch (type) {
    case CIM_BOOLEAN: {
        int flag = boolean_of(text);
        if (flag >= 0) {
            value->data.boolean = flag;
            value->isNull = 0;
        }
        return true;
    }
    case CIM_DATETIME:
    case CIM_STRING: {
        std::string_view source = type == CIM_DATETIME ? datetime_text(text) : std::string_view(text);
        CIMString *string = cimobj::newStringFromUtf8(source.data(), source.size());
        if (string == nullptr) return false;
        value->data.string = string;
        value->isNull = 0;
        return true;
    }
    default: return true;
    }
}

CIMValue *newValueFromText(int type, const char *text) {
    CIMValue *value = newCIMValueNULL(type);
    if (value != nullptr && !storeValueFromText(value, text)) {
        freeCIMValue(value);
        return nullptr;
    }
    return value;
}

int paramTypeFromName(const CIMString *name) {
    const wchar_t *text = getCIMStringBuffer(name);
    if (text == nullptr) return CIM_NULL;
    for (const ParamType &entry : param_types)
        if (local_wcscasecmp(text, entry.name) == 0) return entry.type;
    return CIM_STRING;
}

int isBlankText(const char *text, std::size_t length) {
    if (text == nullptr || length == 0) return 1;
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    if (length == 1) return blank(text[0]) ? 1 : 0;
    if (length == 2) return blank(text[0]) && blank(text[1]) ? 1 : 0;
    return 0;
}

const ScopeAttribute cimxml_scope_attributes[7] = {
    {"CLASS", CIM_SCOPE_CLASS},         {"ASSOCIATION", CIM_SCOPE_ASSOCIATION}, {"REFERENCE", CIM_SCOPE_REFERENCE},
    {"PROPERTY", CIM_SCOPE_PROPERTY},   {"METHOD", CIM_SCOPE_METHOD},           {"PARAMETER", CIM_SCOPE_PARAMETER},
    {"INDICATION", CIM_SCOPE_INDICATION}};
