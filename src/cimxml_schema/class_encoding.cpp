// class_encoding.cpp - classes and instances.
#include "cimxml_schema/class_encoding.h"

#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/method_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"

bool write_class(xml_sink &out, const CIMClass *cimClass) {
    if (cimClass == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_class_toxml failed: Null parameter(s)");
        return false;
    }
    std::size_t mark = out.mark();
    out.put("<CLASS");
    if (!put_string_attribute(out, "NAME", getClassName(cimClass))) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_class_toxml failed: Could not encode classname");
        return drop_element(out, mark);
    }
    const CIMString *superClass = getClassSuperName(cimClass);
    if (has_text(superClass)) put_string_attribute(out, "SUPERCLASS", superClass);
    out.put(">\n");
    write_qualifier_elements(out, getClassQualifiers(cimClass));
    write_property_elements(out, getClassProperties(cimClass));
    write_method_elements(out, getClassMethods(cimClass));
    out.put("</CLASS>\n");
    if (out.ok()) return true;
    cimPrintMessage(CIM_LOG_ERROR, L"cim_class_toxml failed: Could not allocate the encoded xml string.");
    return drop_element(out, mark);
}

bool write_instance(xml_sink &out, const CIMInstance *instance) {
    if (instance == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_instance_toxml - Null parameter(s).");
        return false;
    }
    std::size_t mark = out.mark();
    out.put("<INSTANCE");
    if (!put_string_attribute(out, "CLASSNAME", getInstanceName(instance))) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_instance_toxml - newCIMValue failed");
        return drop_element(out, mark);
    }
    out.put(">\n");
    write_property_elements(out, getInstanceProperties(instance));
    out.put("</INSTANCE>\n");
    return END_ELEMENT(out, mark);
}

char *cim_class_toxml(const CIMClass *cimClass) {
    return written_fragment([&](xml_sink &out) { return write_class(out, cimClass); });
}

char *cim_instance_toxml(const CIMInstance *instance) {
    return written_fragment([&](xml_sink &out) { return write_instance(out, instance); });
}
