// json_output.cpp - results as JSON, one object a line, for scripts and jq.
// Every object has "kind" first; values keep their CIM type next to them
// ({"type":"uint32","value":7}); the README describes the form.
#include <charconv>
#include <cmath>

#include <nlohmann/json.hpp>

#include <cimom/object_path_text.h>

#include "result_writer.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

std::string utf8(const CIMString *text) { return cimobj::toUtf8(text); }

std::string typeName(int type) {
    static const char *const names[] = {"uint8",    "sint8",  "uint16",    "sint16",   "uint32", "sint32",
                                        "uint64",   "sint64", "string",    "boolean",  "real32", "real64",
                                        "datetime", "char16", "reference", "instance", "object"};
    bool array = type >= CIM_ARRAY;
    int scalar = array ? type - CIM_ARRAY : type;
    std::string name = scalar >= 0 && scalar <= CIM_CLASS ? names[scalar] : "null";
    return array ? name + "[]" : name;
}

// A real as JSON: the shortest decimal that reads back to it; the texts
// "INF", "-INF" and "NaN" where JSON has no number.
template <class Real>
Json realJson(Real real) {
    if (std::isnan(real)) return "NaN";
    if (std::isinf(real)) return real > 0 ? "INF" : "-INF";
    char text[64];
    auto end = std::to_chars(text, text + sizeof text, real).ptr;
    double value = 0;
    std::from_chars(text, end, value);
    return value;
}

Json instanceJson(const CIMInstance *instance, const CIMObjectPath *path);
Json classJson(const CIMClass *cimClass);

Json scalarJson(const CIMValue *value) {
    if (!value || isCIMValueNull(value)) return nullptr;
    switch (value->type) {
        case CIM_UINT8: return value->data.u8;
        case CIM_SINT8: return value->data.s8;
        case CIM_UINT16: return value->data.u16;
        case CIM_SINT16: return value->data.s16;
        case CIM_UINT32: return value->data.u32;
        case CIM_SINT32: return value->data.s32;
        case CIM_UINT64: return value->data.u64;
        case CIM_SINT64: return value->data.s64;
        case CIM_REAL32: return realJson(value->data.r32);
        case CIM_REAL64: return realJson(value->data.r64);
        case CIM_BOOLEAN: return value->data.boolean != 0;
        case CIM_STRING:
        case CIM_DATETIME: return utf8(value->data.string);
        case CIM_CHAR16: return cimobj::toUtf8(std::wstring(1, static_cast<wchar_t>(value->data.char16)));
        case CIM_REFERENCE: return cimobj::toUtf8(cimom::writeObjectPathText(value->data.reference));
        case CIM_OBJECT: return instanceJson(value->data.instance, getInstancePath(value->data.instance));
        case CIM_CLASS: return classJson(value->data.cimClass);
        default: return nullptr;
    }
}

Json valueJson(const CIMValue *value) {
    if (!value || isCIMValueNull(value) || value->type < CIM_ARRAY) return scalarJson(value);
    Json elements = Json::array();
    for (CIMListNode *node = getFirstCIMValue(value->data.array); node; node = getNextCIMValue(node))
        elements.push_back(scalarJson(getCurrentCIMValue(node)));
    return elements;
}

// {"type": ..., "value": ...}; the type is the declared one unless that is unknown.
Json typedJson(int declaredType, const CIMValue *value) {
    int type = declaredType == CIM_NULL || declaredType == CIM_EMPTY ? getCIMValueType(value) : declaredType;
    return Json{{"type", typeName(type)}, {"value", valueJson(value)}};
}

Json qualifiersJson(const CIMQualifierList *qualifiers) {
    Json out = Json::object();
    for (CIMListNode *node = getFirstCIMQualifier(qualifiers); node; node = getNextCIMQualifier(node)) {
        const CIMQualifier *qualifier = getCurrentCIMQualifier(node);
        out[utf8(qualifier->name)] = typedJson(qualifier->type, qualifier->value);
    }
    return out;
}

// The properties (or parameters, or keys) by name; detailed adds what a
// class declares of each. Keys show in the path and the Key qualifier (the
// decoders mark every reference property as a key).
Json propertiesJson(const CIMPropertyList *properties, bool detailed) {
    Json out = Json::object();
    for (CIMListNode *node = getFirstCIMProperty(properties); node; node = getNextCIMProperty(node)) {
        const CIMProperty *property = getCurrentCIMProperty(node);
        Json entry = typedJson(property->type, property->value);
        if (detailed) {
            if (const CIMString *refClass = propertyGetReferenceClass(property))
                entry["reference_class"] = utf8(refClass);
            if (property->classOrigin) entry["class_origin"] = utf8(property->classOrigin);
            if (property->propagated) entry["propagated"] = true;
            if (!isEmptyCIMQualifierList(property->qualifiers))
                entry["qualifiers"] = qualifiersJson(property->qualifiers);
        } else if (!isEmptyCIMQualifierList(property->qualifiers)) {
            entry["qualifiers"] = qualifiersJson(property->qualifiers);
        }
        out[utf8(property->name)] = std::move(entry);
    }
    return out;
}

Json pathJson(const CIMObjectPath *path) {
    Json out{{"kind", "path"}, {"path", cimobj::toUtf8(cimom::writeObjectPathText(path))}};
    if (!isEmptyCIMString(path->host)) out["host"] = utf8(path->host);
    if (!isEmptyCIMString(path->nameSpace)) out["namespace"] = utf8(path->nameSpace);
    out["class"] = utf8(path->className);
    out["keys"] = propertiesJson(path->mkeys, false);
    return out;
}

Json instanceJson(const CIMInstance *instance, const CIMObjectPath *path) {
    Json out{{"kind", "instance"}, {"class", utf8(getInstanceName(instance))}};
    if (const CIMString *nameSpace = getInstanceNameSpace(instance); !isEmptyCIMString(nameSpace))
        out["namespace"] = utf8(nameSpace);
    if (path) out["path"] = cimobj::toUtf8(cimom::writeObjectPathText(path));
    out["properties"] = propertiesJson(instance->properties, false);
    return out;
}

Json classJson(const CIMClass *cimClass) {
    Json out{{"kind", "class"}, {"class", utf8(getClassName(cimClass))}};
    out["superclass"] = isEmptyCIMString(cimClass->superClass) ? Json(nullptr) : Json(utf8(cimClass->superClass));
    if (const CIMString *nameSpace = getClassNameSpace(cimClass); !isEmptyCIMString(nameSpace))
        out["namespace"] = utf8(nameSpace);
    out["qualifiers"] = qualifiersJson(cimClass->qualifiers);
    out["properties"] = propertiesJson(cimClass->properties, true);
    Json methods = Json::object();
    for (CIMListNode *node = getFirstCIMMethod(cimClass->methods); node; node = getNextCIMMethod(node)) {
        const CIMMethod *method = getCurrentCIMMethod(node);
        Json entry{{"type", typeName(method->returnType)}};
        if (method->classOrigin) entry["class_origin"] = utf8(method->classOrigin);
        if (method->propagated) entry["propagated"] = true;
        entry["qualifiers"] = qualifiersJson(method->qualifiers);
        entry["parameters"] = propertiesJson(method->parameters, true);
        methods[utf8(method->name)] = std::move(entry);
    }
    out["methods"] = std::move(methods);
    return out;
}

Json words(int bits, std::initializer_list<std::pair<int, const char *>> table) {
    Json out = Json::array();
    for (const auto &[bit, word] : table)
        if ((bits & bit) == bit) out.push_back(word);
    return out;
}

Json qualifierTypeJson(const CIMQualifierType *declaration) {
    Json out{{"kind", "qualifier_type"}, {"name", utf8(declaration->name)}};
    int type =
        declaration->value && declaration->value->type != CIM_NULL ? declaration->value->type : declaration->type;
    out["type"] = typeName(type);
    out["value"] = valueJson(declaration->value);
    if (declaration->arraySize > 0) out["array_size"] = declaration->arraySize;
    out["scope"] = cimScopeBits(declaration->scope) == CIM_SCOPE_ANY
                       ? Json::array({"any"})
                       : words(declaration->scope, {{CIM_SCOPE_CLASS, "class"},
                                                    {CIM_SCOPE_ASSOCIATION, "association"},
                                                    {CIM_SCOPE_INDICATION, "indication"},
                                                    {CIM_SCOPE_PROPERTY, "property"},
                                                    {CIM_SCOPE_REFERENCE, "reference"},
                                                    {CIM_SCOPE_METHOD, "method"},
                                                    {CIM_SCOPE_PARAMETER, "parameter"}});
    out["flavors"] = words(declaration->flavor, {{CIM_FLAVOR_ENABLEOVERRIDE, "EnableOverride"},
                                                 {CIM_FLAVOR_DISABLEOVERRIDE, "DisableOverride"},
                                                 {CIM_FLAVOR_TOSUBCLASS, "ToSubclass"},
                                                 {CIM_FLAVOR_RESTRICTED, "Restricted"},
                                                 {CIM_FLAVOR_TRANSLATABLE, "Translatable"}});
    return out;
}

class JsonWriter : public ResultWriter {
public:
    explicit JsonWriter(std::ostream &out) : out_(out) {}

    void responseBytes(std::string_view) override {}
    void responseEnd() override {}
    void instance(const CIMInstance *instance, const CIMObjectPath *path) override {
        line(instanceJson(instance, path));
    }
    void cimClass(const CIMClass *cimClass) override { line(classJson(cimClass)); }
    void path(const CIMObjectPath *path) override { line(pathJson(path)); }
    void qualifierType(const CIMQualifierType *declaration) override { line(qualifierTypeJson(declaration)); }
    void propertyValue(const std::wstring &name, const CIMValue *value) override {
        Json out{{"kind", "property"}, {"name", cimobj::toUtf8(name)}};
        out.update(typedJson(CIM_NULL, value));
        line(out);
    }
    void methodResult(const std::wstring &method, const CIMValue *returnValue,
                      const CIMPropertyList *outParameters) override {
        Json out{{"kind", "method_result"}, {"method", cimobj::toUtf8(method)}};
        out["return"] = returnValue ? typedJson(CIM_NULL, returnValue) : Json(nullptr);
        out["out"] = propertiesJson(outParameters, false);
        line(out);
    }
    void namespaceName(const std::wstring &name) override {
        line(Json{{"kind", "namespace"}, {"name", cimobj::toUtf8(name)}});
    }
    void count(unsigned long long count) override { line(Json{{"kind", "count"}, {"count", count}}); }
    bool failed() const override { return !out_; }

private:
    void line(const Json &object) { out_ << object.dump(-1, ' ', false, Json::error_handler_t::replace) << "\n"; }
    std::ostream &out_;
};

}  // namespace

std::unique_ptr<ResultWriter> makeJsonWriter(std::ostream &out) { return std::make_unique<JsonWriter>(out); }

}  // namespace cli
