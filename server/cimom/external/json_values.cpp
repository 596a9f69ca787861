// json_values.cpp - CIM values to JSON and back, typed by the class.
#include "external/json_values.h"

#include <cmath>
#include <limits>

#include "cimom/object_path_text.h"
#include "repository/instance_keys.h"
#include "support/names.h"
#include "support/number_text.h"
#include "support/objects.h"
#include "support/type_names.h"

namespace cimom::external {

namespace {

template <class Integer>
cimobj::ValuePtr integerValue(const Json &json, int type, std::string &problem) {
    using Limits = std::numeric_limits<Integer>;
    const std::string range = std::to_string(Limits::min()) + ".." + std::to_string(Limits::max());
    // Non-negative numbers read as unsigned, negative ones as signed.
    const bool fits = json.is_number_unsigned()
                          ? json.get<std::uint64_t>() <= std::uint64_t(Limits::max())
                          : json.is_number_integer() && json.get<std::int64_t>() >= std::int64_t(Limits::min());
    if (!fits) {
        problem = "expected a " + mof::describeType(type) + " (" + range + "), not " + json.dump();
        return nullptr;
    }
    Integer native = json.is_number_unsigned() ? static_cast<Integer>(json.get<std::uint64_t>())
                                               : static_cast<Integer>(json.get<std::int64_t>());
    return mof::scalarValue(type, native);
}

cimobj::ValuePtr scalarJsonValue(const Json &json, int type, std::string &problem) {
    if (json.is_null()) return mof::nullValue(type);
    auto expected = [&](const char *what) {
        problem = std::string("expected ") + what + ", not " + json.dump();
        return cimobj::ValuePtr();
    };
    switch (type) {
        case CIM_UINT8: return integerValue<std::uint8_t>(json, type, problem);
        case CIM_SINT8: return integerValue<std::int8_t>(json, type, problem);
        case CIM_UINT16: return integerValue<std::uint16_t>(json, type, problem);
        case CIM_SINT16: return integerValue<std::int16_t>(json, type, problem);
        case CIM_UINT32: return integerValue<std::uint32_t>(json, type, problem);
        case CIM_SINT32: return integerValue<std::int32_t>(json, type, problem);
        case CIM_UINT64: return integerValue<std::uint64_t>(json, type, problem);
        case CIM_SINT64: return integerValue<std::int64_t>(json, type, problem);
        case CIM_REAL32:
            if (!json.is_number()) return expected("a real32");
            return mof::scalarValue(type, static_cast<float>(json.get<double>()));
        case CIM_REAL64:
            if (!json.is_number()) return expected("a real64");
            return mof::scalarValue(type, json.get<double>());
        case CIM_BOOLEAN:
            if (!json.is_boolean()) return expected("a boolean");
            return mof::scalarValue<int>(type, json.get<bool>() ? 1 : 0);
        case CIM_STRING:
            if (!json.is_string()) return expected("a string");
            return mof::stringValue(type, cimobj::fromUtf8(json.get<std::string>()));
        case CIM_DATETIME: {
            if (!json.is_string()) return expected("a datetime");
            std::wstring text = cimobj::fromUtf8(json.get<std::string>());
            if (text.size() != 25) return expected("a datetime (yyyymmddhhmmss.mmmmmmsutc, 25 characters)");
            return mof::stringValue(type, text);
        }
        case CIM_CHAR16: {
            std::wstring text = json.is_string() ? cimobj::fromUtf8(json.get<std::string>()) : L"";
            if (text.size() != 1) return expected("a char16 (a string of one character)");
            return mof::scalarValue(type, static_cast<std::uint16_t>(text.front()));
        }
        case CIM_REFERENCE: {
            if (!json.is_string()) return expected("a reference (an object path)");
            std::string error;
            cimobj::PathPtr path = parseObjectPathText(cimobj::fromUtf8(json.get<std::string>()), &error);
            if (!path) return expected(("a reference (" + error + ")").c_str());
            cimobj::ValuePtr value(orThrow(newCIMValue(CIM_REFERENCE, path.get())));
            path.release();
            return value;
        }
        default: problem = "values of type " + mof::describeType(type) + " are not supported"; return nullptr;
    }
}

}  // namespace

Json valueJson(const CIMValue *value) {
    if (!value || isCIMValueNull(value)) return nullptr;
    if (value->type >= CIM_ARRAY) {
        Json elements = Json::array();
        for (const CIMValue *element : items<CIMValue>(value->data.array)) elements.push_back(valueJson(element));
        return elements;
    }
    switch (value->type) {
        case CIM_UINT8: return value->data.u8;
        case CIM_SINT8: return value->data.s8;
        case CIM_UINT16: return value->data.u16;
        case CIM_SINT16: return value->data.s16;
        case CIM_UINT32: return value->data.u32;
        case CIM_SINT32: return value->data.s32;
        case CIM_UINT64: return value->data.u64;
        case CIM_SINT64: return value->data.s64;
        case CIM_REAL32: return std::isfinite(value->data.r32) ? Json(value->data.r32) : Json(nullptr);
        case CIM_REAL64: return std::isfinite(value->data.r64) ? Json(value->data.r64) : Json(nullptr);
        case CIM_BOOLEAN: return value->data.boolean != 0;
        case CIM_STRING:
        case CIM_DATETIME: return cimobj::toUtf8(value->data.string);
        case CIM_CHAR16: return cimobj::toUtf8(std::wstring(1, static_cast<wchar_t>(value->data.char16)));
        case CIM_REFERENCE: return cimobj::toUtf8(writeObjectPathText(value->data.reference));
        case CIM_OBJECT: return value->data.instance ? propertiesJson(value->data.instance->properties) : Json(nullptr);
        default: return nullptr;
    }
}

Json propertiesJson(const CIMPropertyList *properties) {
    Json out = Json::object();
    for (const CIMProperty *p : items<CIMProperty>(properties)) out[cimobj::toUtf8(p->name)] = valueJson(p->value);
    return out;
}

cimobj::ValuePtr jsonValue(const Json &json, int type, std::string &problem) {
    if (type < CIM_ARRAY || json.is_null()) return scalarJsonValue(json, type, problem);
    if (!json.is_array()) {
        problem = "expected an array of " + mof::describeType(type - CIM_ARRAY) + ", not " + json.dump();
        return nullptr;
    }
    cimobj::ListPtr list = makeList(CIMLIST_VALUE);
    CIMList *raw = list.get();
    for (const Json &element : json) {
        cimobj::ValuePtr value = scalarJsonValue(element, type - CIM_ARRAY, problem);
        if (!value) return nullptr;
        appendOwned(&raw, CIMLIST_VALUE, std::move(value));
    }
    cimobj::ValuePtr value(orThrow(newCIMValue(type, list.get())));
    list.release();
    return value;
}

cimobj::InstancePtr jsonInstance(const CIMClass &cimClass, const Json &properties, std::string &problem) {
    if (!properties.is_object()) {
        problem = "properties must be an object, not " + properties.dump();
        return nullptr;
    }
    for (const auto &[name, value] : properties.items()) {
        bool declared = false;
        for (const CIMProperty *p : items<CIMProperty>(cimClass.properties))
            declared = declared || sameName(textOf(p->name), cimobj::fromUtf8(name));
        if (!declared) {
            problem = "class " + cimobj::toUtf8(getClassName(&cimClass)) + " has no property " + name;
            return nullptr;
        }
    }
    cimobj::InstancePtr instance(orThrow(newInstance(newText(textOf(getClassName(&cimClass))), nullptr, nullptr)));
    for (const CIMProperty *declared : items<CIMProperty>(cimClass.properties)) {
        const std::string name = cimobj::toUtf8(declared->name);
        cimobj::ValuePtr value;
        auto given = properties.end();
        for (auto it = properties.begin(); it != properties.end(); ++it)
            if (sameName(cimobj::fromUtf8(it.key()), textOf(declared->name))) given = it;
        if (given != properties.end()) {
            value = jsonValue(*given, declared->type, problem);
            if (!value) {
                problem = "property " + name + ": " + problem;
                return nullptr;
            }
        } else {
            value = defaultOf(*declared);
        }
        appendOwned(&instance->properties, CIMLIST_PROPERTY, makeValueProperty(*declared, std::move(value), declared->isKey));
    }
    return instance;
}

}  // namespace cimom::external
