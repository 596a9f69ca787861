// method_encoding.cpp - methods and their parameters.
#include "cimxml_schema/method_encoding.h"

#include "cimxml_common/cim_types.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/qualifier_encoding.h"

namespace {

const char *written_type_name(int type) { return typeNameText(isArrayType(type) ? scalarTypeOf(type) : type); }

// Writes ARRAYSIZE when the parameter's value has elements.
void put_parameter_size(xml_sink &out, const CIMProperty *parameter) {
    int size = getCIMValueNumElements(propertyGetValue(parameter));
    if (size > 0) put_count_attribute(out, "ARRAYSIZE", static_cast<unsigned>(size));
}

// Closes the start tag, writes the qualifiers and the end tag.
bool finish_parameter(xml_sink &out, std::size_t mark, const CIMProperty *parameter, const char *endTag) {
    out.put(">\n");
    write_qualifier_elements(out, propertyGetQualifiers(parameter));
    out.put(endTag);
    return END_ELEMENT(out, mark);
}

// The start tag and NAME of a parameter element; false (nothing written)
// without a name.
bool open_parameter(xml_sink &out, const char *startTag, const CIMProperty *parameter) {
    std::size_t mark = out.mark();
    out.put(startTag);
    return put_string_attribute(out, "NAME", propertyGetName(parameter)) || drop_element(out, mark);
}

bool write_parameter_element(xml_sink &out, const CIMProperty *parameter) {
    if (parameter == nullptr) return false;
    int type = propertyGetType(parameter);
    if (propertyIsRefType(parameter)) return write_parameterreference(out, parameter);
    if (type == CIM_REFERENCE + CIM_ARRAY) return write_parameterrefarray(out, parameter);
    if (isArrayType(type)) return write_parameterarray(out, parameter);
    return write_parameter(out, parameter);
}

}  // namespace

bool write_parameter(xml_sink &out, const CIMProperty *parameter) {
    std::size_t mark = out.mark();
    if (parameter == nullptr || !open_parameter(out, "<PARAMETER", parameter)) return false;
    put_fixed_attribute(out, "TYPE", written_type_name(propertyGetType(parameter)));
    return finish_parameter(out, mark, parameter, "</PARAMETER>\n");
}

bool write_parameterreference(xml_sink &out, const CIMProperty *parameter) {
    std::size_t mark = out.mark();
    if (parameter == nullptr || !open_parameter(out, "<PARAMETER.REFERENCE", parameter)) return false;
    put_string_attribute(out, "REFERENCECLASS", propertyGetReferenceClass(parameter));
    return finish_parameter(out, mark, parameter, "</PARAMETER.REFERENCE>\n");
}

bool write_parameterarray(xml_sink &out, const CIMProperty *parameter) {
    std::size_t mark = out.mark();
    if (parameter == nullptr || !open_parameter(out, "<PARAMETER.ARRAY", parameter)) return false;
    put_fixed_attribute(out, "TYPE", written_type_name(propertyGetType(parameter)));
    put_parameter_size(out, parameter);
    return finish_parameter(out, mark, parameter, "</PARAMETER.ARRAY>\n");
}

bool write_parameterrefarray(xml_sink &out, const CIMProperty *parameter) {
    std::size_t mark = out.mark();
    if (parameter == nullptr || !open_parameter(out, "<PARAMETER.REFARRAY", parameter)) return false;
    put_string_attribute(out, "REFERENCECLASS", propertyGetReferenceClass(parameter));
    put_parameter_size(out, parameter);
    return finish_parameter(out, mark, parameter, "</PARAMETER.REFARRAY>\n");
}

bool write_method(xml_sink &out, const CIMMethod *method) {
    if (method == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<METHOD");
    if (!put_string_attribute(out, "NAME", getMethodName(method))) return drop_element(out, mark);
    put_fixed_attribute(out, "TYPE", written_type_name(getMethodReturnType(method)));
    const CIMString *origin = getMethodClassOrigin(method);
    if (has_text(origin)) put_string_attribute(out, "CLASSORIGIN", origin);
    put_boolean_attribute(out, "PROPAGATED", isMethodPropagated(method));
    out.put(">\n");
    write_qualifier_elements(out, getMethodQualifiers(method));
    write_parameter_elements(out, getMethodParameters(method));
    out.put("</METHOD>\n");
    return END_ELEMENT(out, mark);
}

int write_method_elements(xml_sink &out, const CIMMethodList *methods) {
    if (methods == nullptr) return 0;
    int written = 0;
    int count = getCIMMethodListLength(methods);
    for (int i = 0; i < count; ++i) {
        if (write_method(out, getCIMMethodAt(methods, i)))
            ++written;
        else
            cimPrintMessage(CIM_LOG_WARNING, L"methodlist_toxml - Method list encoding failed.");
    }
    return written;
}

int write_parameter_elements(xml_sink &out, const CIMPropertyList *parameters) {
    if (parameters == nullptr) return 0;
    int written = 0;
    int count = getCIMPropertyListLength(parameters);
    for (int i = 0; i < count; ++i) {
        if (write_parameter_element(out, getCIMPropertyAt(parameters, i))) ++written;
    }
    return written;
}

char *cim_parameter_toxml(const CIMProperty *parameter) {
    return written_fragment([&](xml_sink &out) { return write_parameter(out, parameter); });
}

char *cim_parameterreference_toxml(const CIMProperty *parameter) {
    return written_fragment([&](xml_sink &out) { return write_parameterreference(out, parameter); });
}

char *cim_parameterarray_toxml(const CIMProperty *parameter) {
    return written_fragment([&](xml_sink &out) { return write_parameterarray(out, parameter); });
}

char *cim_parameterrefarray_toxml(const CIMProperty *parameter) {
    return written_fragment([&](xml_sink &out) { return write_parameterrefarray(out, parameter); });
}

char *cim_method_toxml(const CIMMethod *method) {
    return written_fragment([&](xml_sink &out) { return write_method(out, method); });
}

char *methodlist_toxml(const CIMMethodList *methods) {
    return written_fragment([&](xml_sink &out) { return write_method_elements(out, methods) > 0; });
}

char *parameterlist_toxml(const CIMPropertyList *parameters) {
    return written_fragment([&](xml_sink &out) { return write_parameter_elements(out, parameters) > 0; });
}
