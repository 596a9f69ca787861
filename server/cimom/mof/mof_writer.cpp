// mof_writer.cpp - qualifier declarations, classes and instances written as
// MOF text that the compiler reads back to equal objects.
#include <array>

#include "cimom/mof.h"
#include "cimom/object_path_text.h"
#include "support/type_names.h"
#include "support/number_text.h"

namespace cimom {

namespace {

using mof::isArrayType;
using mof::scalarTypeOf;

constexpr const char *indent = "    ";

void appendHex4(std::string &out, unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    out += "\\x";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(value >> shift) & 15];
}

// A character inside quotes; quote is the quote character to escape.
void appendEscaped(std::string &out, wchar_t c, char quote) {
    switch (c) {
    case L'\\': out += "\\\\"; return;
    case L'\b': out += "\\b"; return;
    case L'\t': out += "\\t"; return;
    case L'\n': out += "\\n"; return;
    case L'\f': out += "\\f"; return;
    case L'\r': out += "\\r"; return;
    default: break;
    }
    if (c == static_cast<wchar_t>(quote)) {
        out += '\\';
        out += quote;
    } else if (c < 0x20 || c == 0x7F) {
        appendHex4(out, static_cast<unsigned>(c));  // four digits: a following digit stays a character
    } else {
        out += cimobj::toUtf8(std::wstring_view(&c, 1));
    }
}

std::string quoted(std::wstring_view text) {
    std::string out = "\"";
    size_t plain = 0;  // runs without anything to escape are converted at once
    auto flush = [&](size_t end) {
        if (end > plain) out += cimobj::toUtf8(text.substr(plain, end - plain));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c < 0x20 || c == 0x7F || c == L'"' || c == L'\\') {
            flush(i);
            appendEscaped(out, c, '"');
            plain = i + 1;
        }
    }
    flush(text.size());
    return out + "\"";
}

std::string char16Text(uint16_t c) {
    std::string out = "'";
    if (c >= 0x20 && c < 0x7F) {
        appendEscaped(out, static_cast<wchar_t>(c), '\'');
    } else {
        appendHex4(out, c);
    }
    return out + "'";
}

// An embedded object written in place of a value: its declaration without
// the final ';', each further line indented once more. Unlike a quoted MOF
// string it grows with its nesting by indentation only, and it stays an
// object whatever holds it (a string property may hold one).
std::string inPlace(std::string declaration) {
    if (declaration.size() >= 2 && declaration.compare(declaration.size() - 2, 2, ";\n") == 0)
        declaration.resize(declaration.size() - 2);
    std::string out;
    out.reserve(declaration.size() + declaration.size() / 8);
    for (char c : declaration) {
        out += c;
        if (c == '\n') out += indent;
    }
    return out;
}

std::string scalarText(const CIMValue *value) {
    if (!value || value->isNull) return "null";
    switch (value->type) {
    case CIM_STRING:
    case CIM_DATETIME: return quoted(cimobj::view(value->data.string));
    case CIM_BOOLEAN: return value->data.boolean ? "true" : "false";
    case CIM_CHAR16: return char16Text(value->data.char16);
    case CIM_REFERENCE: return quoted(writeObjectPathText(value->data.reference));
    case CIM_OBJECT: return inPlace(writeInstanceMof(value->data.instance));
    case CIM_CLASS: return inPlace(writeClassMof(value->data.cimClass));
    default: {
        std::string number = mof::numberText(value);
        return number.empty() ? "null" : number;
    }
    }
}

std::string valueText(const CIMValue *value) {
    if (!value || value->isNull || !isArrayType(value->type)) return scalarText(value);
    std::string out = "{";
    const char *separator = "";
    for (CIMListNode *node = getFirstNode(value->data.array); node; node = getNextNode(node)) {
        out += separator;
        out += scalarText(static_cast<const CIMValue *>(getNodeItem(node)));
        separator = ", ";
    }
    return out + "}";
}

std::string flavorWords(int flavor, const char *separator) {
    static const std::array<std::pair<int, const char *>, 5> words = {{{CIM_FLAVOR_ENABLEOVERRIDE, "EnableOverride"},
                                                                       {CIM_FLAVOR_DISABLEOVERRIDE, "DisableOverride"},
                                                                       {CIM_FLAVOR_TOSUBCLASS, "ToSubclass"},
                                                                       {CIM_FLAVOR_RESTRICTED, "Restricted"},
                                                                       {CIM_FLAVOR_TRANSLATABLE, "Translatable"}}};
    std::string out;
    for (const auto &[bit, word] : words) {
        if (!(flavor & bit)) continue;
        if (!out.empty()) out += separator;
        out += word;
    }
    return out;
}

std::string scopeWords(int scope) {
    scope = cimScopeBits(scope);
    if (scope == CIM_SCOPE_ANY) return "any";
    static const std::array<std::pair<int, const char *>, 7> words = {{{CIM_SCOPE_CLASS, "class"},
                                                                       {CIM_SCOPE_ASSOCIATION, "association"},
                                                                       {CIM_SCOPE_INDICATION, "indication"},
                                                                       {CIM_SCOPE_PROPERTY, "property"},
                                                                       {CIM_SCOPE_REFERENCE, "reference"},
                                                                       {CIM_SCOPE_METHOD, "method"},
                                                                       {CIM_SCOPE_PARAMETER, "parameter"}}};
    std::string out;
    for (const auto &[bit, word] : words) {
        if (!(scope & bit)) continue;
        if (!out.empty()) out += ", ";
        out += word;
    }
    return out;
}

// One qualifier: a true boolean by its name alone, arrays in braces, other
// values in parentheses, then its flavors.
std::string qualifierText(const CIMQualifier *qualifier) {
    std::string out = cimobj::toUtf8(qualifier->name);
    const CIMValue *value = qualifier->value;
    int type = value ? value->type : qualifier->type;
    if (value && !value->isNull && isArrayType(type))
        out += valueText(value);
    else if (!(type == CIM_BOOLEAN && value && !value->isNull && value->data.boolean))
        out += "(" + scalarText(value) + ")";
    if (qualifier->flavor) out += " : " + flavorWords(qualifier->flavor, " ");
    return out;
}

// "[A, B(1)]" of the local (not propagated) qualifiers; empty when none.
std::string qualifierListText(const CIMQualifierList *list) {
    std::string out;
    for (CIMListNode *node = getFirstNode(list); node; node = getNextNode(node)) {
        auto *qualifier = static_cast<const CIMQualifier *>(getNodeItem(node));
        if (!qualifier || qualifier->propagated) continue;
        out += out.empty() ? "[" : ", ";
        out += qualifierText(qualifier);
    }
    return out.empty() ? out : out + "]";
}

// The MOF type word of a property or parameter ("object" and "class" for
// embedded instances and classes).
std::string typeWord(int type) {
    std::string_view word = mof::mofTypeName(scalarTypeOf(type));
    return word.empty() ? "string" : std::string(word);
}

// "type name[]", "Class REF name", with " = value" when withValue and set.
std::string declarationText(const CIMProperty *property, bool withValue) {
    std::string out;
    if (scalarTypeOf(property->type) == CIM_REFERENCE) {
        const CIMString *refClass = propertyGetReferenceClass(property);
        // A reference whose class nobody named may point at anything: the
        // schema's root class says so and keeps the text readable.
        out = (refClass ? cimobj::toUtf8(refClass) : std::string("CIM_ManagedElement")) + " REF ";
    } else {
        out = typeWord(property->type) + " ";
    }
    out += cimobj::toUtf8(property->name);
    if (isArrayType(property->type)) out += "[]";
    if (withValue && property->value && !property->value->isNull) out += " = " + valueText(property->value);
    return out;
}

std::string parameterText(const CIMProperty *parameter) {
    std::string qualifiers = qualifierListText(parameter->qualifiers);
    return (qualifiers.empty() ? "" : qualifiers + " ") + declarationText(parameter, false);
}

std::string methodText(const CIMMethod *method) {
    std::string out;
    std::string qualifiers = qualifierListText(method->qualifiers);
    if (!qualifiers.empty()) out += indent + qualifiers + "\n";
    out += indent + typeWord(method->returnType) + " " + cimobj::toUtf8(method->name) + "(";
    const char *separator = "";
    for (CIMListNode *node = getFirstNode(method->parameters); node; node = getNextNode(node)) {
        auto *parameter = static_cast<const CIMProperty *>(getNodeItem(node));
        if (!parameter) continue;
        out += separator + parameterText(parameter);
        separator = ", ";
    }
    return out + ");\n";
}

}  // namespace

std::string writeQualifierTypeMof(const CIMQualifierType *declaration) {
    if (!declaration) return {};
    const CIMValue *value = declaration->value;
    int type = value && value->type != CIM_NULL ? value->type : declaration->type;
    std::string out = "qualifier " + cimobj::toUtf8(declaration->name) + " : " + typeWord(type);
    if (isArrayType(type))
        out += declaration->arraySize > 0 ? "[" + std::to_string(declaration->arraySize) + "]" : "[]";
    if (value && !value->isNull) out += " = " + valueText(value);
    out += ", scope(" + scopeWords(declaration->scope) + ")";
    if (declaration->flavor) out += ", flavor(" + flavorWords(declaration->flavor, ", ") + ")";
    return out + ";\n";
}

std::string writeClassMof(const CIMClass *cimClass) {
    if (!cimClass) return {};
    std::string out;
    std::string qualifiers = qualifierListText(cimClass->qualifiers);
    if (!qualifiers.empty()) out += qualifiers + "\n";
    out += "class " + cimobj::toUtf8(getClassName(cimClass));
    if (!isEmptyCIMString(cimClass->superClass)) out += " : " + cimobj::toUtf8(cimClass->superClass);
    out += "\n{\n";
    for (CIMListNode *node = getFirstNode(cimClass->properties); node; node = getNextNode(node)) {
        auto *property = static_cast<const CIMProperty *>(getNodeItem(node));
        if (!property || property->propagated) continue;
        std::string propertyQualifiers = qualifierListText(property->qualifiers);
        if (!propertyQualifiers.empty()) out += indent + propertyQualifiers + "\n";
        out += indent + declarationText(property, true) + ";\n";
    }
    for (CIMListNode *node = getFirstNode(cimClass->methods); node; node = getNextNode(node)) {
        auto *method = static_cast<const CIMMethod *>(getNodeItem(node));
        if (method && !method->propagated) out += methodText(method);
    }
    return out + "};\n";
}

std::string writeInstanceMof(const CIMInstance *instance) {
    if (!instance) return {};
    std::string out = "instance of " + cimobj::toUtf8(getInstanceName(instance)) + "\n{\n";
    for (CIMListNode *node = getFirstNode(instance->properties); node; node = getNextNode(node)) {
        auto *property = static_cast<const CIMProperty *>(getNodeItem(node));
        if (!property) continue;
        std::string qualifiers = qualifierListText(property->qualifiers);
        out += indent + (qualifiers.empty() ? "" : qualifiers + " ") + cimobj::toUtf8(property->name) + " = " +
               valueText(property->value) + ";\n";
    }
    return out + "};\n";
}

}  // namespace cimom
