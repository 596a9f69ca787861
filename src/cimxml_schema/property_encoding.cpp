// property_encoding.cpp - properties of classes and instances.
#include "cimxml_schema/property_encoding.h"

#include "cimxml_common/cim_types.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/value_encoding.h"

namespace {

// Writes CLASSORIGIN (when the property has one) and PROPAGATED.
void put_origin_attributes(xml_sink &out, const CIMProperty *property) {
    const CIMString *origin = propertyGetClassOrigin(property);
    if (has_text(origin)) put_string_attribute(out, "CLASSORIGIN", origin);
    put_boolean_attribute(out, "PROPAGATED", isPropertyPropagated(property));
}

bool write_property_element(xml_sink &out, CIMProperty *property) {
    if (property == nullptr) return false;
    if (propertyIsRefType(property)) return write_propertyreference(out, property);
    if (isArrayType(propertyGetType(property))) return write_propertyarray(out, property);
    return write_property(out, property);
}

}  // namespace

bool write_property(xml_sink &out, CIMProperty *property) {
    if (property == nullptr) return false;
    int type = propertyGetType(property);
    const char *embedded = embedded_object_kind(property);
    std::size_t mark = out.mark();
    out.put("<PROPERTY");
    if (!put_string_attribute(out, "NAME", propertyGetName(property))) return drop_element(out, mark);
    if (embedded) {
        put_fixed_attribute(out, "EmbeddedObject", embedded);
        put_fixed_attribute(out, "TYPE", "string");
        // Classic also declares it with a qualifier of its own; strict writes
        // only the qualifiers the property has (none unless asked for).
        if (!strict_profile() && !propertyHasEmbeddedQualifier(property)) propertyAddEmbeddedObjectQualifier(property);
    } else {
        put_fixed_attribute(out, "TYPE", typeNameText(type));
    }
    put_origin_attributes(out, property);
    out.put(">\n");
    write_qualifier_elements(out, propertyGetQualifiers(property));
    const CIMValue *value = propertyGetValue(property);
    if (embedded)
        write_embedded_value(out, value);
    else
        write_value(out, value);
    out.put("</PROPERTY>\n");
    return END_ELEMENT(out, mark);
}

bool write_propertyarray(xml_sink &out, const CIMProperty *property) {
    if (property == nullptr) return false;
    int type = propertyGetType(property);
    const char *embedded = embedded_object_kind(property);
    const CIMValue *value = propertyGetValue(property);
    std::size_t mark = out.mark();
    out.put("<PROPERTY.ARRAY");
    if (!put_string_attribute(out, "NAME", propertyGetName(property))) return drop_element(out, mark);
    if (embedded) {
        put_fixed_attribute(out, "EmbeddedObject", embedded);
        put_fixed_attribute(out, "TYPE", "string");
    } else {
        put_fixed_attribute(out, "TYPE", typeNameText(isArrayType(type) ? scalarTypeOf(type) : type));
    }
    int size = getCIMValueNumElements(value);
    if (isArrayType(type) && size > 0) put_count_attribute(out, "ARRAYSIZE", static_cast<unsigned>(size));
    put_origin_attributes(out, property);
    out.put(">\n");
    write_qualifier_elements(out, propertyGetQualifiers(property));
    write_valuearray(out, value);
    out.put("</PROPERTY.ARRAY>\n");
    return END_ELEMENT(out, mark);
}

bool write_propertyreference(xml_sink &out, const CIMProperty *property) {
    if (property == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<PROPERTY.REFERENCE");
    if (!put_string_attribute(out, "NAME", propertyGetName(property))) return drop_element(out, mark);
    // The DMTF DTD declares no TYPE here; clients that validate refuse it.
    if (!strict_profile()) put_fixed_attribute(out, "TYPE", "reference");
    put_string_attribute(out, "REFERENCECLASS", propertyGetReferenceClass(property));
    put_origin_attributes(out, property);
    out.put(">\n");
    write_qualifier_elements(out, propertyGetQualifiers(property));
    write_valuereference(out, propertyGetValue(property));
    out.put("</PROPERTY.REFERENCE>\n");
    return END_ELEMENT(out, mark);
}

int write_property_elements(xml_sink &out, const CIMPropertyList *properties) {
    if (properties == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"propertylist_toxml - Property list is null.");
        return 0;
    }
    int written = 0;
    int count = getCIMPropertyListLength(properties);
    for (int i = 0; i < count; ++i) {
        if (write_property_element(out, getCIMPropertyAt(properties, i))) ++written;
    }
    if (written == 0) cimPrintMessage(CIM_LOG_WARNING, L"propertylist_toxml - Property list is empty.");
    return written;
}

char *cim_property_toxml(CIMProperty *property) {
    return written_fragment([&](xml_sink &out) { return write_property(out, property); });
}

char *cim_propertyarray_toxml(const CIMProperty *property) {
    return written_fragment([&](xml_sink &out) { return write_propertyarray(out, property); });
}

char *cim_propertyreference_toxml(const CIMProperty *property) {
    return written_fragment([&](xml_sink &out) { return write_propertyreference(out, property); });
}

char *propertylist_toxml(const CIMPropertyList *properties) {
    return written_fragment([&](xml_sink &out) { return write_property_elements(out, properties) > 0; });
}
