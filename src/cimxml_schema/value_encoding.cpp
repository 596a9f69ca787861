// value_encoding.cpp - VALUE, VALUE.ARRAY, VALUE.REFERENCE, VALUE.REFARRAY,
// KEYVALUE and embedded objects.
#include "cimxml_schema/value_encoding.h"

#include <string>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/xml_escaping.h"
#include "cimxml_schema/xml_primitives.h"

int propertyIsEmbeddedObject(const CIMProperty *property) {
    if (property == nullptr) return 0;
    if (isBoolQualEnabledInList(propertyGetQualifiers(property), L"EmbeddedObject")) return 1;
    int type = propertyGetType(property);
    // A class array alone does not make a property embedded.
    return type == CIM_CLASS || type == CIM_OBJECT || type == CIM_OBJECT + CIM_ARRAY;
}

int propertyHasEmbeddedQualifier(const CIMProperty *property) {
    if (property == nullptr) return 0;
    const CIMQualifierList *qualifiers = propertyGetQualifiers(property);
    return isBoolQualEnabledInList(qualifiers, L"EmbeddedObject") ||
           isBoolQualEnabledInList(qualifiers, L"EmbeddedInstance");
}

namespace {

bool qualifier_named(const CIMQualifierList *qualifiers, const wchar_t *name) {
    for (int i = 0; i < getCIMQualifierListLength(qualifiers); ++i) {
        const CIMQualifier *q = getCIMQualifierAt(qualifiers, i);
        const wchar_t *qualifierName = getCIMStringBuffer(getQualifierName(q));
        if (qualifierName && local_wcscasecmp(qualifierName, name) == 0 && !isCIMValueNull(getQualifierValue(q)))
            return true;
    }
    return false;
}

// The kind of object a value holds: its own type, or for an array the type
// of its first element that is not NULL.
int held_object_type(const CIMValue *value) {
    int type = getCIMValueType(value);
    if (isCIMValueNull(value) || !isArrayType(type)) return type;
    const CIMValueList *elements = static_cast<const CIMValueList *>(cim_value_content(value));
    for (int i = 0; i < getCIMValueListLength(elements); ++i) {
        const CIMValue *element = getCIMValueAt(elements, i);
        if (!isCIMValueNull(element)) return getCIMValueType(element);
    }
    return CIM_NULL;
}

}  // namespace

const char *embedded_object_kind(const CIMProperty *property) {
    if (property == nullptr) return nullptr;
    int type = propertyGetType(property);
    int scalar = isArrayType(type) ? scalarTypeOf(type) : type;
    if (!strict_profile()) {
        if (!propertyIsEmbeddedObject(property)) return nullptr;
        return scalar == CIM_CLASS ? "object" : "instance";
    }
    const CIMQualifierList *qualifiers = propertyGetQualifiers(property);
    if (qualifier_named(qualifiers, L"EmbeddedInstance")) return "instance";
    if (isBoolQualEnabledInList(qualifiers, L"EmbeddedObject")) return "object";
    if (scalar != CIM_OBJECT && scalar != CIM_CLASS) scalar = held_object_type(propertyGetValue(property));
    return scalar == CIM_OBJECT ? "instance" : scalar == CIM_CLASS ? "object" : nullptr;
}

int propertyAddEmbeddedObjectQualifier(CIMProperty *property) {
    int enabled = 1;
    CIMString *name = newCIMString(L"EmbeddedObject");
    CIMValue *value = newCIMValue(CIM_BOOLEAN, &enabled);
    CIMQualifier *qualifier = nullptr;
    if (name != nullptr && value != nullptr)
        qualifier = newQualifier(name, CIM_FLAVOR_DISABLEOVERRIDE, value, CIM_BOOLEAN, 0);
    if (qualifier == nullptr) {
        freeCIMString(name);
        freeCIMValue(value);
        cimPrintMessage(CIM_LOG_TRACE, L"propertyAddQualifier failed.");
        return 0;
    }
    if (!isSuccessfulFree(propertyAddQualifier(property, qualifier))) {
        cimPrintMessage(CIM_LOG_TRACE, L"propertyAddQualifier failed.");
        freeCIMQualifier(qualifier);
        return 0;
    }
    return 1;
}

namespace {

// Elements of an array value, or NULL when the value is not an array or
// holds none.
const CIMValueList *array_elements(const CIMValue *value) {
    if (value == nullptr || !isArrayType(getCIMValueType(value))) return nullptr;
    return static_cast<const CIMValueList *>(cim_value_content(value));
}

// The word of a KEYVALUE's VALUETYPE.
const char *value_type_word(int type) {
    if (type == CIM_BOOLEAN) return "boolean";
    return isNumericType(type) ? "numeric" : "string";
}

}  // namespace

bool write_value(xml_sink &out, const CIMValue *value) {
    std::size_t mark = out.mark();
    out.put("<VALUE>");
    if (!write_pcdata(out, value)) return drop_element(out, mark);
    out.put("</VALUE>\n");
    return END_ELEMENT(out, mark);
}

namespace {

// A NULL element of an array. Classic leaves it out, as it leaves out an
// array with nothing written; strict keeps both, so that [1, NULL] and []
// read back as what was written.
bool write_null_element(xml_sink &out) {
    if (!strict_profile()) return false;
    out.put("<VALUE.NULL/>\n");
    return true;
}

// An array whose elements were all left out: classic drops the element,
// strict closes it empty (an empty array is not NULL).
bool close_array(xml_sink &out, std::size_t mark, bool written, const char *endTag) {
    if (!written && !strict_profile()) return drop_element(out, mark);
    out.put(endTag);
    return out.ok() || drop_element(out, mark);
}

}  // namespace

bool write_valuearray(xml_sink &out, const CIMValue *value) {
    const CIMValueList *elements = array_elements(value);
    if (elements == nullptr) return false;
    bool objects = isObjectType(getCIMValueType(value));
    std::size_t mark = out.mark();
    out.put("<VALUE.ARRAY>\n");
    bool written = false;
    int count = getCIMValueListLength(elements);
    for (int i = 0; i < count; ++i) {
        const CIMValue *element = getCIMValueAt(elements, i);
        if (isCIMValueNull(element)) {
            written |= write_null_element(out);
            continue;
        }
        // The CDATA form around the embedded object for object arrays;
        // strict also for an object held in an array of another type.
        bool embedded = objects || (strict_profile() && isObjectType(getCIMValueType(element)));
        written |= embedded ? write_embedded_value(out, element) : write_value(out, element);
    }
    return close_array(out, mark, written, "</VALUE.ARRAY>\n");
}

bool write_valuerefarray(xml_sink &out, const CIMValue *value) {
    const CIMValueList *elements = array_elements(value);
    if (elements == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<VALUE.REFARRAY>\n");
    bool written = false;
    int count = getCIMValueListLength(elements);
    for (int i = 0; i < count; ++i) {
        const CIMValue *element = getCIMValueAt(elements, i);
        if (isCIMValueNull(element))
            written |= write_null_element(out);
        else
            written |= write_valuereference(out, element);
    }
    return close_array(out, mark, written, "</VALUE.REFARRAY>\n");
}

bool write_valuereference(xml_sink &out, const CIMValue *value) {
    const CIMObjectPath *path = nullptr;
    if (value != nullptr && getCIMValueType(value) == CIM_REFERENCE)
        path = static_cast<const CIMObjectPath *>(cim_value_content(value));
    if (path == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_valuereference_toxml - getCIMValue failed");
        return false;
    }
    bool host = has_text(getObjectPathHost(path));
    bool nameSpace = has_text(getObjectPathNameSpace(path));
    bool keys = has_items(getObjectPathKeys(path));
    std::size_t mark = out.mark();
    out.put("<VALUE.REFERENCE>\n");
    bool child;
    if (host)
        child = keys ? write_instancepath(out, path) : write_classpath(out, path);
    else if (nameSpace)
        child = keys ? write_localinstancepath(out, path) : write_localclasspath(out, path);
    else
        child = keys ? write_instancename(out, path) : write_classname(out, getObjectPathName(path));
    if (!child) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_valuereference_toxml - failed; subelements are null");
        return drop_element(out, mark);
    }
    out.put("</VALUE.REFERENCE>\n");
    return END_ELEMENT(out, mark);
}

bool write_keyvalue(xml_sink &out, const CIMValue *value) {
    if (value == nullptr) return false;
    int type = getCIMValueType(value);
    std::size_t mark = out.mark();
    out.put("<KEYVALUE VALUETYPE=\"");
    out.put(value_type_word(type));
    out.put("\" TYPE=\"");
    out.put(typeNameText(type));
    out.put("\">");
    if (!write_pcdata(out, value)) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_keyvalue_toxml - pcdata_encodeformat failed");
        return drop_element(out, mark);
    }
    out.put("</KEYVALUE>\n");
    return END_ELEMENT(out, mark);
}

bool write_embedded_object(xml_sink &out, const CIMValue *value) {
    if (value == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"embeddedobject_toxml failed, %s, %d.", __FILE_NAME__, __LINE__);
        return false;
    }
    void *object = nullptr;
    int type = CIM_NULL;
    ReturnCode *rc = getCIMValue(value, &object, &type);
    int status = getErrorFromRetCode(rc);
    freeReturnCode(rc);
    if (status != 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"embeddedobject_toxml failed: %d", status);
        return false;
    }
    if (object == nullptr) return false;
    if (type == CIM_OBJECT) return write_instance(out, static_cast<const CIMInstance *>(object));
    // Only a class value holds a class; an unparsed string and every other
    // content have no CIM-XML form here.
    if (type == CIM_CLASS) return write_class(out, static_cast<const CIMClass *>(object));
    return false;
}

namespace {

// A "]]>" in an embedded object's text (a nested embedded object's own
// section) would end the section early: each one is split across two
// sections, which keeps the character data the same.
void split_section_ends(xml_sink &out, std::size_t content) {
    std::string_view written = out.written_since(content);
    if (written.find("]]>") == std::string_view::npos) return;
    std::string text(written);
    out.rewind(content);
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("]]>", at)) != std::string::npos; at = end + 2) {
        out.put(std::string_view(text).substr(at, end + 2 - at));
        out.put("]]><![CDATA[");
    }
    out.put(std::string_view(text).substr(at));
}

}  // namespace

bool write_embedded_value(xml_sink &out, const CIMValue *value) {
    if (value == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<VALUE><![CDATA[");
    std::size_t content = out.mark();
    if (!write_embedded_object(out, value)) return drop_element(out, mark);
    split_section_ends(out, content);
    out.put("]]></VALUE>\n");
    if (out.ok()) return true;
    out.rewind(mark);
    cimPrintMessage(CIM_LOG_ERROR, L"cdata_section_encodeformat failed, %s, %d.", __FILE_NAME__, __LINE__);
    return false;
}

char *cim_value_toxml(const CIMValue *value) {
    return written_fragment([&](xml_sink &out) { return write_value(out, value); });
}

char *cim_valuearray_toxml(const CIMValue *value) {
    return written_fragment([&](xml_sink &out) { return write_valuearray(out, value); });
}

char *cim_valuerefarray_toxml(const CIMValue *value) {
    return written_fragment([&](xml_sink &out) { return write_valuerefarray(out, value); });
}

char *cim_valuereference_toxml(const CIMValue *value) {
    return written_fragment([&](xml_sink &out) { return write_valuereference(out, value); });
}

char *cim_keyvalue_toxml(const CIMValue *value) {
    return written_fragment([&](xml_sink &out) { return write_keyvalue(out, value); });
}

char *embeddedobject_toxml(const CIMValue *value) {
    return written_fragment([&](xml_sink &out) { return write_embedded_object(out, value); });
}

char *embedded_value_toxml(const CIMValue *value) {
    return written_fragment([&](xml_sink &out) { return write_embedded_value(out, value); });
}
