// class_encoding.cpp - classes and instances.
#include "cimxml_schema/class_encoding.h"

#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/method_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"

char *cim_class_toxml(const CIMClass *cimClass) {
    if (cimClass == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_class_toxml failed: Null parameter(s)");
        return nullptr;
    }
    fragment_builder element;
    element.add("<CLASS");
    if (!add_string_attribute(element, "NAME", getClassName(cimClass))) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_class_toxml failed: Could not encode classname");
        return nullptr;
    }
    const CIMString *superClass = getClassSuperName(cimClass);
    if (has_text(superClass)) add_string_attribute(element, "SUPERCLASS", superClass);
    element.add(">\n");
    add_qualifier_elements(element, getClassQualifiers(cimClass));
    add_property_elements(element, getClassProperties(cimClass));
    add_method_elements(element, getClassMethods(cimClass));
    element.add("</CLASS>\n");
    char *result = element.finish();
    if (result == nullptr)
        cimPrintMessage(CIM_LOG_ERROR, L"cim_class_toxml failed: Could not allocate the encoded xml string.");
    return result;
}

char *cim_instance_toxml(const CIMInstance *instance) {
    if (instance == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_instance_toxml - Null parameter(s).");
        return nullptr;
    }
    fragment_builder element;
    element.add("<INSTANCE");
    if (!add_string_attribute(element, "CLASSNAME", getInstanceName(instance))) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_instance_toxml - newCIMValue failed");
        return nullptr;
    }
    element.add(">\n");
    add_property_elements(element, getInstanceProperties(instance));
    element.add("</INSTANCE>\n");
    return FINISH_ELEMENT(element);
}
