// value_text.cpp - the value texts of the round-trip matrix.
#include "roundtrip/value_text.h"

#include <cimom/object_path_text.h>
#include <cimxml/cimxml_client.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace roundtrip {

namespace {

using nlohmann::ordered_json;

const char *const scalarNames[] = {"uint8",  "sint8",   "uint16", "sint16", "uint32",   "sint32",
                                   "uint64", "sint64",  "string", "boolean", "real32",  "real64",
                                   "datetime", "char16", "reference", "instance", "object"};

bool isArray(int type) { return type >= CIM_ARRAY; }
int scalarOf(int type) { return isArray(type) ? type - CIM_ARRAY : type; }

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A string in double quotes: quote, backslash and control characters escaped.
std::string quotedText(const std::string &text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string codePoint(unsigned c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", c);
    return text;
}

template <typename Real>
std::string realText(Real r) {
    if (std::isnan(r)) return "NaN";
    if (std::isinf(r)) return r < 0 ? "-INF" : "INF";
    char buffer[64];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, r);
    return std::string(buffer, written.ptr);
}

std::string utf8(const CIMString *text) { return cimobj::toUtf8(text); }

std::string literal(const CIMValue *value);

// "name=literal" of each key, in name order.
std::string keysText(const CIMPropertyList *keys) {
    std::map<std::string, std::string> sorted;
    for (CIMListNode *node = getFirstNode(keys); node; node = getNextNode(node)) {
        auto *key = static_cast<const CIMProperty *>(getNodeItem(node));
        const CIMValue *value = key->value;
        int type = value ? value->type : CIM_STRING;
        std::string text = isCIMValueNull(value) ? "NULL"
                           : type == CIM_STRING || type == CIM_DATETIME
                               ? quotedText(utf8(value->data.string))
                           : type == CIM_CHAR16 ? quotedText(cimobj::toUtf8(std::wstring(1, value->data.char16)))
                                                : literal(value);
        sorted[lowered(utf8(key->name))] = utf8(key->name) + "=" + text;
    }
    std::string text;
    for (const auto &[folded, one] : sorted) text += (text.empty() ? "" : ",") + one;
    return text;
}

std::string pathText(const CIMObjectPath *path) {
    if (!path) return "NULL";
    return utf8(path->className) + "." + keysText(path->mkeys);
}

std::string qualifiersText(const CIMQualifierList *qualifiers) {
    std::map<std::string, std::string> sorted;
    for (CIMListNode *node = getFirstNode(qualifiers); node; node = getNextNode(node)) {
        auto *q = static_cast<const CIMQualifier *>(getNodeItem(node));
        sorted[lowered(utf8(q->name))] = utf8(q->name) + "=" + literal(q->value);
    }
    std::string text;
    for (const auto &[folded, one] : sorted) text += (text.empty() ? "" : ",") + one;
    return text.empty() ? text : "[" + text + "]";
}

std::string instanceText(const CIMInstance *instance) {
    std::map<std::string, std::string> sorted;
    for (CIMListNode *node = getFirstNode(instance->properties); node; node = getNextNode(node)) {
        auto *p = static_cast<const CIMProperty *>(getNodeItem(node));
        sorted[lowered(utf8(p->name))] = utf8(p->name) + ":" + propertyText(p);
    }
    std::string text = "instance " + utf8(instance->className) + "{";
    const char *separator = "";
    for (const auto &[folded, one] : sorted) {
        text += separator + one;
        separator = ";";
    }
    return text + "}";
}

std::string classText(const CIMClass *cimClass) {
    std::string text = "class " + utf8(cimClass->path ? cimClass->path->className : nullptr);
    if (cimClass->superClass && cimClass->superClass->buffer) text += ":" + utf8(cimClass->superClass);
    text += qualifiersText(cimClass->qualifiers) + "{";
    const char *separator = "";
    for (CIMListNode *node = getFirstNode(cimClass->properties); node; node = getNextNode(node)) {
        auto *p = static_cast<const CIMProperty *>(getNodeItem(node));
        text += separator + utf8(p->name) + ":" + propertyText(p) + qualifiersText(p->qualifiers);
        separator = ";";
    }
    return text + "}";
}

std::string literal(const CIMValue *value) {
    if (isCIMValueNull(value)) return "NULL";
    if (isArray(value->type)) {
        std::string text = "[";
        const char *separator = "";
        for (CIMListNode *node = getFirstNode(value->data.array); node; node = getNextNode(node)) {
            text += separator + literal(static_cast<const CIMValue *>(getNodeItem(node)));
            separator = ",";
        }
        return text + "]";
    }
    switch (value->type) {
        case CIM_UINT8: return std::to_string(value->data.u8);
        case CIM_SINT8: return std::to_string(value->data.s8);
        case CIM_UINT16: return std::to_string(value->data.u16);
        case CIM_SINT16: return std::to_string(value->data.s16);
        case CIM_UINT32: return std::to_string(value->data.u32);
        case CIM_SINT32: return std::to_string(value->data.s32);
        case CIM_UINT64: return std::to_string(value->data.u64);
        case CIM_SINT64: return std::to_string(value->data.s64);
        case CIM_REAL32: return realText(value->data.r32);
        case CIM_REAL64: return realText(value->data.r64);
        case CIM_BOOLEAN: return value->data.boolean ? "true" : "false";
        case CIM_CHAR16: return codePoint(value->data.char16);
        case CIM_STRING:
        case CIM_DATETIME: return quotedText(utf8(value->data.string));
        case CIM_REFERENCE: return "ref " + pathText(value->data.reference);
        case CIM_OBJECT: return value->data.instance ? instanceText(value->data.instance) : "NULL";
        case CIM_CLASS: return value->data.cimClass ? classText(value->data.cimClass) : "NULL";
        default: return "type" + std::to_string(value->type) + "?";
    }
}

// ---- JSON ----

std::string jsonLiteral(const ordered_json &value, const std::string &scalar);

std::string jsonQualifiersText(const ordered_json &qualifiers) {
    if (!qualifiers.is_object() || qualifiers.empty()) return "";
    std::map<std::string, std::string> sorted;
    for (const auto &[name, typed] : qualifiers.items())
        sorted[lowered(name)] = name + "=" + jsonLiteral(typed["value"], typed.value("type", "string"));
    std::string text;
    for (const auto &[folded, one] : sorted) text += (text.empty() ? "" : ",") + one;
    return "[" + text + "]";
}

std::string jsonObjectText(const ordered_json &object) {
    if (object.value("kind", "") == "class") {
        std::string text = "class " + object.value("class", "");
        if (object.contains("superclass") && object["superclass"].is_string())
            text += ":" + object["superclass"].get<std::string>();
        text += jsonQualifiersText(object.contains("qualifiers") ? object["qualifiers"] : ordered_json::object()) + "{";
        const char *separator = "";
        const ordered_json properties = object.value("properties", ordered_json::object());
        for (const auto &[name, typed] : properties.items()) {
            text += separator + name + ":" + jsonPropertyText(typed) +
                    jsonQualifiersText(typed.contains("qualifiers") ? typed["qualifiers"] : ordered_json::object());
            separator = ";";
        }
        return text + "}";
    }
    std::map<std::string, std::string> sorted;
    const ordered_json properties = object.value("properties", ordered_json::object());
    for (const auto &[name, typed] : properties.items())
        sorted[lowered(name)] = name + ":" + jsonPropertyText(typed);
    std::string text = "instance " + object.value("class", "") + "{";
    const char *separator = "";
    for (const auto &[folded, one] : sorted) {
        text += separator + one;
        separator = ";";
    }
    return text + "}";
}

std::string jsonLiteral(const ordered_json &value, const std::string &scalar) {
    if (value.is_null()) return "NULL";
    if (value.is_array()) {
        std::string text = "[";
        const char *separator = "";
        for (const ordered_json &element : value) {
            text += separator + jsonLiteral(element, scalar);
            separator = ",";
        }
        return text + "]";
    }
    if (scalar == "real32" || scalar == "real64") {
        if (value.is_string()) return value.get<std::string>();
        double d = value.get<double>();
        return scalar == "real32" ? realText(static_cast<float>(d)) : realText(d);
    }
    if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
    if (value.is_number_unsigned()) return std::to_string(value.get<uint64_t>());
    if (value.is_number_integer()) return std::to_string(value.get<int64_t>());
    if (value.is_object()) return jsonObjectText(value);
    std::string text = value.is_string() ? value.get<std::string>() : value.dump();
    if (scalar == "char16") {
        std::wstring wide = cimobj::fromUtf8(text);
        return wide.size() == 1 ? codePoint(static_cast<unsigned>(wide[0])) : "char16 " + quotedText(text);
    }
    if (scalar == "reference") {
        std::string error;
        cimobj::PathPtr path = cimom::parseObjectPathText(cimobj::fromUtf8(text), &error);
        return path ? "ref " + pathText(path.get()) : "unreadable path " + quotedText(text);
    }
    return quotedText(text);
}

// An untyped GetProperty answer's embedded object: its CIM-XML read as the
// decoders read a GetInstance or GetClass answer.
cimobj::ValuePtr embeddedFromText(const std::string &text) {
    bool isInstance = text.find("<INSTANCE") != std::string::npos &&
                      (text.find("<CLASS") == std::string::npos || text.find("<INSTANCE") < text.find("<CLASS"));
    std::string operation = isInstance ? "GetInstance" : "GetClass";
    std::string response = "<?xml version=\"1.0\" encoding=\"utf-8\"?><CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">"
                           "<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP><IMETHODRESPONSE NAME=\"" +
                           operation + "\"><IRETURNVALUE>" + text +
                           "</IRETURNVALUE></IMETHODRESPONSE></SIMPLERSP></MESSAGE></CIM>";
    if (isInstance) {
        CIMInstance *instance = nullptr;
        cimobj::ReturnCodePtr rc(CIMXMLdecode_getInstance(response.c_str(), &instance));
        return instance ? cimobj::ValuePtr(newCIMValue(CIM_OBJECT, instance)) : nullptr;
    }
    CIMClass *cimClass = nullptr;
    cimobj::ReturnCodePtr rc(CIMXMLdecode_getClass(response.c_str(), &cimClass));
    return cimClass ? cimobj::ValuePtr(newCIMValue(CIM_CLASS, cimClass)) : nullptr;
}

cimobj::ValuePtr scalarFromText(const std::string &text, int type) {
    auto integer = [&](auto zero) -> cimobj::ValuePtr {
        decltype(zero) n{};
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (ec != std::errc() || end != text.data() + text.size()) return nullptr;
        return cimobj::ValuePtr(newCIMValue(type, &n));
    };
    switch (type) {
        case CIM_UINT8: return integer(uint8_t{});
        case CIM_SINT8: return integer(int8_t{});
        case CIM_UINT16: return integer(uint16_t{});
        case CIM_SINT16: return integer(int16_t{});
        case CIM_UINT32: return integer(uint32_t{});
        case CIM_SINT32: return integer(int32_t{});
        case CIM_UINT64: return integer(uint64_t{});
        case CIM_SINT64: return integer(int64_t{});
        case CIM_REAL32: return integer(float{});
        case CIM_REAL64: return integer(double{});
        case CIM_BOOLEAN: {
            std::string word = lowered(text);
            if (word != "true" && word != "false") return nullptr;
            int b = word == "true";
            return cimobj::ValuePtr(newCIMValue(type, &b));
        }
        case CIM_CHAR16: {
            std::wstring wide = cimobj::fromUtf8(text);
            if (wide.size() != 1 || wide[0] > 0xFFFF) return nullptr;
            uint16_t c = static_cast<uint16_t>(wide[0]);
            return cimobj::ValuePtr(newCIMValue(type, &c));
        }
        case CIM_DATETIME: {
            std::wstring wide = cimobj::fromUtf8(text);
            return cimobj::ValuePtr(newCIMValue(type, wide.data()));
        }
        case CIM_OBJECT:
        case CIM_CLASS: return embeddedFromText(text);
        default: return cimobj::ValuePtr(newCIMValue(CIM_STRING, cimobj::makeString(cimobj::fromUtf8(text)).release()));
    }
}

}  // namespace

std::string typeWord(int type) {
    int scalar = scalarOf(type);
    std::string word = scalar >= 0 && scalar <= CIM_CLASS ? scalarNames[scalar] : "type" + std::to_string(type);
    return isArray(type) ? word + "[]" : word;
}

std::string valueText(const std::string &word, const CIMValue *value) { return word + "=" + literal(value); }

std::string propertyText(const CIMProperty *property) {
    if (!property) return "(absent)";
    return valueText(typeWord(property->type), property->value);
}

std::string jsonPropertyText(const ordered_json &typed) {
    std::string type = typed.value("type", "?");
    std::string scalar = type.size() > 2 && type.substr(type.size() - 2) == "[]" ? type.substr(0, type.size() - 2) : type;
    return type + "=" + jsonLiteral(typed.contains("value") ? typed["value"] : ordered_json(), scalar);
}

cimobj::ValuePtr typedFromText(const CIMValue *untyped, int declaredType) {
    if (isCIMValueNull(untyped)) return cimobj::ValuePtr(newCIMValueNULL(declaredType));
    if (untyped->type == CIM_REFERENCE || untyped->type == CIM_REFERENCE + CIM_ARRAY ||
        (untyped->type != CIM_STRING && untyped->type != CIM_STRING + CIM_ARRAY))
        return cimobj::ValuePtr(copyCIMValue(untyped));
    int scalar = scalarOf(declaredType);
    if (!isArray(untyped->type)) return isArray(declaredType) ? nullptr : scalarFromText(utf8(untyped->data.string), scalar);
    if (!isArray(declaredType)) return nullptr;
    cimobj::ListPtr elements(newCIMValueList());
    for (CIMListNode *node = getFirstNode(untyped->data.array); node; node = getNextNode(node)) {
        auto *element = static_cast<const CIMValue *>(getNodeItem(node));
        cimobj::ValuePtr typed = isCIMValueNull(element) ? cimobj::ValuePtr(newCIMValueNULL(scalar))
                                                         : scalarFromText(utf8(element->data.string), scalar);
        if (!typed) return nullptr;
        freeReturnCode(appendToCIMValueList(elements.get(), typed.release()));
    }
    int arrayType = scalar + CIM_ARRAY;
    return cimobj::ValuePtr(newCIMValue(arrayType, elements.release()));
}

}  // namespace roundtrip
