// method_encoding.cpp - methods and their parameters.
#include "cimxml_schema/method_encoding.h"

#include "cimxml_common/cim_types.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/qualifier_encoding.h"

namespace {

const char *written_type_name(int type) { return typeNameText(isArrayType(type) ? scalarTypeOf(type) : type); }

// Adds ARRAYSIZE when the parameter's value has elements. False when the
// attribute cannot be made.
bool add_parameter_size(fragment_builder &element, const CIMProperty *parameter) {
    int size = getCIMValueNumElements(propertyGetValue(parameter));
    if (size <= 0) return true;
    return add_count_attribute(element, "ARRAYSIZE", static_cast<unsigned>(size));
}

// Closes the start tag, adds the qualifiers and the end tag.
char *finish_parameter(fragment_builder &element, const CIMProperty *parameter, const char *endTag) {
    element.add(">\n");
    add_qualifier_elements(element, propertyGetQualifiers(parameter));
    element.add(endTag);
    return FINISH_ELEMENT(element);
}

char *parameter_element_toxml(const CIMProperty *parameter) {
    if (parameter == nullptr) return nullptr;
    int type = propertyGetType(parameter);
    if (propertyIsRefType(parameter)) return cim_parameterreference_toxml(parameter);
    if (type == CIM_REFERENCE + CIM_ARRAY) return cim_parameterrefarray_toxml(parameter);
    if (isArrayType(type)) return cim_parameterarray_toxml(parameter);
    return cim_parameter_toxml(parameter);
}

}  // namespace

char *cim_parameter_toxml(const CIMProperty *parameter) {
    if (parameter == nullptr) return nullptr;
    fragment_builder element;
    element.add("<PARAMETER");
    if (!add_string_attribute(element, "NAME", propertyGetName(parameter))) return nullptr;
    add_fixed_attribute(element, "TYPE", written_type_name(propertyGetType(parameter)));
    return finish_parameter(element, parameter, "</PARAMETER>\n");
}

char *cim_parameterreference_toxml(const CIMProperty *parameter) {
    if (parameter == nullptr) return nullptr;
    fragment_builder element;
    element.add("<PARAMETER.REFERENCE");
    if (!add_string_attribute(element, "NAME", propertyGetName(parameter))) return nullptr;
    add_string_attribute(element, "REFERENCECLASS", propertyGetReferenceClass(parameter));
    return finish_parameter(element, parameter, "</PARAMETER.REFERENCE>\n");
}

char *cim_parameterarray_toxml(const CIMProperty *parameter) {
    if (parameter == nullptr) return nullptr;
    fragment_builder element;
    element.add("<PARAMETER.ARRAY");
    if (!add_string_attribute(element, "NAME", propertyGetName(parameter))) return nullptr;
    add_fixed_attribute(element, "TYPE", written_type_name(propertyGetType(parameter)));
    add_parameter_size(element, parameter);
    return finish_parameter(element, parameter, "</PARAMETER.ARRAY>\n");
}

char *cim_parameterrefarray_toxml(const CIMProperty *parameter) {
    if (parameter == nullptr) return nullptr;
    fragment_builder element;
    element.add("<PARAMETER.REFARRAY");
    if (!add_string_attribute(element, "NAME", propertyGetName(parameter))) return nullptr;
    add_string_attribute(element, "REFERENCECLASS", propertyGetReferenceClass(parameter));
    if (!add_parameter_size(element, parameter)) {
        cimPrintMessage(CIM_LOG_ERROR, L"Could not create ARRAYSIZE attribute!");
        return nullptr;
    }
    return finish_parameter(element, parameter, "</PARAMETER.REFARRAY>\n");
}

char *cim_method_toxml(const CIMMethod *method) {
    if (method == nullptr) return nullptr;
    fragment_builder element;
    element.add("<METHOD");
    if (!add_string_attribute(element, "NAME", getMethodName(method))) return nullptr;
    add_fixed_attribute(element, "TYPE", written_type_name(getMethodReturnType(method)));
    const CIMString *origin = getMethodClassOrigin(method);
    if (has_text(origin)) add_string_attribute(element, "CLASSORIGIN", origin);
    add_boolean_attribute(element, "PROPAGATED", isMethodPropagated(method));
    element.add(">\n");
    add_qualifier_elements(element, getMethodQualifiers(method));
    add_parameter_elements(element, getMethodParameters(method));
    element.add("</METHOD>\n");
    return FINISH_ELEMENT(element);
}

int add_method_elements(fragment_builder &builder, const CIMMethodList *methods) {
    if (methods == nullptr) return 0;
    int added = 0;
    int count = getCIMMethodListLength(methods);
    for (int i = 0; i < count; ++i) {
        if (builder.take(cim_method_toxml(getCIMMethodAt(methods, i))))
            ++added;
        else
            cimPrintMessage(CIM_LOG_WARNING, L"methodlist_toxml - Method list encoding failed.");
    }
    return added;
}

char *methodlist_toxml(const CIMMethodList *methods) {
    fragment_builder list;
    if (add_method_elements(list, methods) == 0) return nullptr;
    return list.finish();
}

int add_parameter_elements(fragment_builder &builder, const CIMPropertyList *parameters) {
    if (parameters == nullptr) return 0;
    int added = 0;
    int count = getCIMPropertyListLength(parameters);
    for (int i = 0; i < count; ++i) {
        if (builder.take(parameter_element_toxml(getCIMPropertyAt(parameters, i)))) ++added;
    }
    return added;
}

char *parameterlist_toxml(const CIMPropertyList *parameters) {
    fragment_builder list;
    if (add_parameter_elements(list, parameters) == 0) return nullptr;
    return list.finish();
}
