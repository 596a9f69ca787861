// value_encoding.cpp - VALUE, VALUE.ARRAY, VALUE.REFERENCE, VALUE.REFARRAY,
// KEYVALUE and embedded objects.
#include "cimxml_schema/value_encoding.h"

#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_common/fragment_builder.h"
#include "cimxml_schema/path_encoding.h"
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

char *cim_value_toxml(const CIMValue *value) {
    char *text = pcdata_encodeformat(value);
    if (text == nullptr) return nullptr;
    fragment_builder element;
    element.add("<VALUE>");
    element.take(text);
    element.add("</VALUE>\n");
    return FINISH_ELEMENT(element);
}

namespace {

// Elements of an array value, or NULL when the value is not an array or
// holds none.
const CIMValueList *array_elements(const CIMValue *value) {
    if (value == nullptr || !isArrayType(getCIMValueType(value))) return nullptr;
    return static_cast<const CIMValueList *>(cim_value_content(value));
}

// One array element as VALUE: the CDATA form around the embedded object for
// object arrays, the plain form otherwise.
char *array_element_toxml(const CIMValue *element, bool objects) {
    return objects ? embedded_value_toxml(element) : cim_value_toxml(element);
}

}  // namespace

char *cim_valuearray_toxml(const CIMValue *value) {
    const CIMValueList *elements = array_elements(value);
    if (elements == nullptr) return nullptr;
    bool objects = isObjectType(getCIMValueType(value));
    fragment_builder array;
    array.add("<VALUE.ARRAY>\n");
    int count = getCIMValueListLength(elements);
    for (int i = 0; i < count; ++i) array.take(array_element_toxml(getCIMValueAt(elements, i), objects));
    // Only the start tag: an empty array is no element at all.
    if (array.pieces() == 1) return nullptr;
    array.add("</VALUE.ARRAY>\n");
    return array.finish();
}

char *cim_valuerefarray_toxml(const CIMValue *value) {
    const CIMValueList *elements = array_elements(value);
    if (elements == nullptr) return nullptr;
    fragment_builder array;
    array.add("<VALUE.REFARRAY>\n");
    int count = getCIMValueListLength(elements);
    for (int i = 0; i < count; ++i) {
        const CIMValue *element = getCIMValueAt(elements, i);
        if (element != nullptr) array.take(cim_valuereference_toxml(element));
    }
    if (array.pieces() == 1) return nullptr;
    array.add("</VALUE.REFARRAY>\n");
    return array.finish();
}

char *cim_valuereference_toxml(const CIMValue *value) {
    const CIMObjectPath *path = nullptr;
    if (value != nullptr && getCIMValueType(value) == CIM_REFERENCE)
        path = static_cast<const CIMObjectPath *>(cim_value_content(value));
    if (path == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_valuereference_toxml - getCIMValue failed");
        return nullptr;
    }
    bool host = has_text(getObjectPathHost(path));
    bool nameSpace = has_text(getObjectPathNameSpace(path));
    bool keys = has_items(getObjectPathKeys(path));
    char *child;
    if (host)
        child = keys ? cim_instancepath_toxml(path) : cim_classpath_toxml(path);
    else if (nameSpace)
        child = keys ? cim_localinstancepath_toxml(path) : cim_localclasspath_toxml(path);
    else
        child = keys ? cim_instancename_toxml(path) : cim_classname_toxml(getObjectPathName(path));
    if (child == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_valuereference_toxml - failed; subelements are null");
        return nullptr;
    }
    fragment_builder element;
    element.add("<VALUE.REFERENCE>\n");
    element.take(child);
    element.add("</VALUE.REFERENCE>\n");
    return FINISH_ELEMENT(element);
}

char *cim_keyvalue_toxml(const CIMValue *value) {
    if (value == nullptr) return nullptr;
    int type = getCIMValueType(value);
    char *valueType = valuetype_encodeformat(type);
    char *text = pcdata_encodeformat(value);
    if (text == nullptr) {
        cimxml_free(valueType, CIMXML_ATOMIC);
        cimPrintMessage(CIM_LOG_TRACE, L"cim_keyvalue_toxml - pcdata_encodeformat failed");
        return nullptr;
    }
    fragment_builder element;
    element.add("<KEYVALUE VALUETYPE=");
    if (!element.take(valueType)) {
        cimxml_free(text, CIMXML_ATOMIC);
        CIMXML_LOG_NO_MEMORY();
        return nullptr;
    }
    element.add(" TYPE=\"");
    element.add(typeNameText(type));
    element.add("\">");
    element.take(text);
    element.add("</KEYVALUE>\n");
    return FINISH_ELEMENT(element);
}

char *embeddedobject_toxml(const CIMValue *value) {
    if (value == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"embeddedobject_toxml failed, %s, %d.", __FILE_NAME__, __LINE__);
        return nullptr;
    }
    void *object = nullptr;
    int type = CIM_NULL;
    ReturnCode *rc = getCIMValue(value, &object, &type);
    int status = getErrorFromRetCode(rc);
    freeReturnCode(rc);
    if (status != 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"embeddedobject_toxml failed: %d", status);
        return nullptr;
    }
    if (object == nullptr) return nullptr;
    if (type == CIM_OBJECT) return cim_instance_toxml(static_cast<const CIMInstance *>(object));
    // Only a class value holds a class; an unparsed string and every other
    // content have no CIM-XML form here.
    if (type == CIM_CLASS) return cim_class_toxml(static_cast<const CIMClass *>(object));
    return nullptr;
}

char *embedded_value_toxml(const CIMValue *value) {
    if (value == nullptr) return nullptr;
    char *object = embeddedobject_toxml(value);
    if (object == nullptr) return nullptr;
    char *result = cdata_section_encodeformat(object);
    cimxml_free(object, CIMXML_ATOMIC);
    return result;
}
