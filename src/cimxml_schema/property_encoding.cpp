// property_encoding.cpp - properties of classes and instances.
#include "cimxml_schema/property_encoding.h"

#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_primitives.h"

namespace {

// EmbeddedObject names a class only for the class type (element type for arrays).
const char *embedded_kind(int type) {
    int scalar = isArrayType(type) ? scalarTypeOf(type) : type;
    return scalar == CIM_CLASS ? "object" : "instance";
}

// Adds CLASSORIGIN (when the property has one) and PROPAGATED.
void add_origin_attributes(fragment_builder &element, const CIMProperty *property) {
    const CIMString *origin = propertyGetClassOrigin(property);
    if (has_text(origin)) add_string_attribute(element, "CLASSORIGIN", origin);
    add_boolean_attribute(element, "PROPAGATED", isPropertyPropagated(property));
}

}  // namespace

char *cim_property_toxml(CIMProperty *property) {
    if (property == nullptr) return nullptr;
    int type = propertyGetType(property);
    bool embedded = propertyIsEmbeddedObject(property);
    fragment_builder element;
    element.add("<PROPERTY");
    if (!add_string_attribute(element, "NAME", propertyGetName(property))) return nullptr;
    if (embedded) {
        add_fixed_attribute(element, "EmbeddedObject", embedded_kind(type));
        add_fixed_attribute(element, "TYPE", "string");
        if (!propertyHasEmbeddedQualifier(property)) propertyAddEmbeddedObjectQualifier(property);
    } else {
        add_fixed_attribute(element, "TYPE", typeNameText(type));
    }
    add_origin_attributes(element, property);
    element.add(">\n");
    add_qualifier_elements(element, propertyGetQualifiers(property));
    const CIMValue *value = propertyGetValue(property);
    element.take(embedded ? embedded_value_toxml(value) : cim_value_toxml(value));
    element.add("</PROPERTY>\n");
    return FINISH_ELEMENT(element);
}

char *cim_propertyarray_toxml(const CIMProperty *property) {
    if (property == nullptr) return nullptr;
    int type = propertyGetType(property);
    bool embedded = propertyIsEmbeddedObject(property);
    const CIMValue *value = propertyGetValue(property);
    fragment_builder element;
    element.add("<PROPERTY.ARRAY");
    if (!add_string_attribute(element, "NAME", propertyGetName(property))) return nullptr;
    if (embedded) {
        add_fixed_attribute(element, "EmbeddedObject", embedded_kind(type));
        add_fixed_attribute(element, "TYPE", "string");
    } else {
        add_fixed_attribute(element, "TYPE", typeNameText(isArrayType(type) ? scalarTypeOf(type) : type));
    }
    int size = getCIMValueNumElements(value);
    if (isArrayType(type) && size > 0) add_count_attribute(element, "ARRAYSIZE", static_cast<unsigned>(size));
    add_origin_attributes(element, property);
    element.add(">\n");
    add_qualifier_elements(element, propertyGetQualifiers(property));
    element.take(cim_valuearray_toxml(value));
    element.add("</PROPERTY.ARRAY>\n");
    return FINISH_ELEMENT(element);
}

char *cim_propertyreference_toxml(const CIMProperty *property) {
    if (property == nullptr) return nullptr;
    fragment_builder element;
    element.add("<PROPERTY.REFERENCE");
    if (!add_string_attribute(element, "NAME", propertyGetName(property))) return nullptr;
    // The DMTF DTD declares no TYPE here; clients that validate refuse it.
    if (!strict_profile()) add_fixed_attribute(element, "TYPE", "reference");
    add_string_attribute(element, "REFERENCECLASS", propertyGetReferenceClass(property));
    add_origin_attributes(element, property);
    element.add(">\n");
    add_qualifier_elements(element, propertyGetQualifiers(property));
    element.take(cim_valuereference_toxml(propertyGetValue(property)));
    element.add("</PROPERTY.REFERENCE>\n");
    return FINISH_ELEMENT(element);
}

namespace {

char *property_element_toxml(CIMProperty *property) {
    if (property == nullptr) return nullptr;
    if (propertyIsRefType(property)) return cim_propertyreference_toxml(property);
    if (isArrayType(propertyGetType(property))) return cim_propertyarray_toxml(property);
    return cim_property_toxml(property);
}

}  // namespace

int add_property_elements(fragment_builder &builder, const CIMPropertyList *properties) {
    if (properties == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"propertylist_toxml - Property list is null.");
        return 0;
    }
    int added = 0;
    int count = getCIMPropertyListLength(properties);
    for (int i = 0; i < count; ++i) {
        if (builder.take(property_element_toxml(getCIMPropertyAt(properties, i)))) ++added;
    }
    if (added == 0) cimPrintMessage(CIM_LOG_WARNING, L"propertylist_toxml - Property list is empty.");
    return added;
}

char *propertylist_toxml(const CIMPropertyList *properties) {
    fragment_builder list;
    if (add_property_elements(list, properties) == 0) return nullptr;
    return list.finish();
}
