// type_names.cpp - the CIM type codes as MOF and object paths name them, and type names for messages.
#include "support/type_names.h"

#include <array>
#include <string>

namespace cimom::mof {

namespace {

// Indexed by type code: the scalar codes MOF has a keyword for.
constexpr std::array<std::string_view, CIM_CHAR16 + 1> keywords = {
    "uint8",  "sint8",  "uint16",  "sint16", "uint32", "sint32",   "uint64",
    "sint64", "string", "boolean", "real32", "real64", "datetime", "char16"};

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

int typeFromMofName(std::string_view word) {
    for (size_t i = 0; i < keywords.size(); ++i)
        if (sameWord(word, keywords[i])) return static_cast<int>(i);
    if (sameWord(word, "object")) return CIM_OBJECT;
    if (sameWord(word, "class")) return CIM_CLASS;
    return -1;
}

std::string_view mofTypeName(int type) {
    if (type >= 0 && type < static_cast<int>(keywords.size())) return keywords[static_cast<size_t>(type)];
    if (type == CIM_OBJECT) return "object";
    if (type == CIM_CLASS) return "class";
    return {};
}

std::string describeType(int type) {
    int scalar = scalarTypeOf(type);
    std::string name(mofTypeName(scalar));
    if (name.empty()) {
        switch (scalar) {
        case CIM_REFERENCE: name = "reference"; break;
        case CIM_OBJECT: name = "object"; break;
        case CIM_CLASS: name = "class"; break;
        default: name = "type " + std::to_string(type); return name;
        }
    }
    if (isArrayType(type)) name += "[]";
    return name;
}

}  // namespace cimom::mof
