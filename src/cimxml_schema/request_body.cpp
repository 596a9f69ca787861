// request_body.cpp - request bodies: calls and their parameters.
#include "cimxml_schema/request_body.h"

#include "cimxml_common/cim_types.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/object_wrappers.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/value_encoding.h"

namespace {

// 1 when the parameter's name is exactly text.
bool named(const CIMProperty *parameter, const wchar_t *text) {
    const wchar_t *name = getCIMStringBuffer(propertyGetName(parameter));
    return name != nullptr && local_wcscmp(name, text) == 0;
}

// The object a value holds when the value has exactly that type, else NULL.
const void *object_of_type(const CIMValue *value, int type) {
    if (value == nullptr || getCIMValueType(value) != type) return nullptr;
    return cim_value_content(value);
}

// Child of an IPARAMVALUE holding a reference. The children's writers return
// whether they wrote; a child that cannot be written is left out.
bool write_reference_parameter_child(xml_sink &out, const CIMProperty *parameter) {
    const CIMValue *value = propertyGetValue(parameter);
    const CIMObjectPath *path = static_cast<const CIMObjectPath *>(object_of_type(value, CIM_REFERENCE));
    if (named(parameter, L"ClassName") || named(parameter, L"AssocClass") || named(parameter, L"ResultClass"))
        return path && write_classname(out, getObjectPathName(path));
    if (named(parameter, L"InstanceName")) return path && write_instancename(out, path);
    // An operation's target: an instance by its INSTANCENAME, a class by its CLASSNAME.
    if (named(parameter, L"ObjectName")) {
        if (path == nullptr) return false;
        return has_items(getObjectPathKeys(path)) ? write_instancename(out, path)
                                                  : write_classname(out, getObjectPathName(path));
    }
    return write_valuereference(out, value);
}

// Child of an IPARAMVALUE holding a class or an instance.
bool write_object_parameter_child(xml_sink &out, const CIMProperty *parameter) {
    const CIMValue *value = propertyGetValue(parameter);
    if (named(parameter, L"NewClass") || named(parameter, L"ModifiedClass"))
        return write_class(out, static_cast<const CIMClass *>(object_of_type(value, CIM_CLASS)));
    if (named(parameter, L"NewInstance") || named(parameter, L"NewIndication"))
        return write_instance(out, static_cast<const CIMInstance *>(object_of_type(value, CIM_OBJECT)));
    if (named(parameter, L"ModifiedInstance"))
        return write_namedinstance(out, static_cast<const CIMInstance *>(object_of_type(value, CIM_OBJECT)));
    // Any other object (SetProperty's NewValue) is a value: strict writes
    // its embedded form, classic nothing.
    return strict_profile() && write_embedded_value(out, value);
}

// Child of an IPARAMVALUE holding an array. An array without elements is
// written as an empty VALUE.ARRAY: an empty property list asks for no
// properties, which an absent one would not.
bool write_array_parameter_child(xml_sink &out, const CIMValue *value) {
    if (isCIMValueNull(value) || getCIMValueNumElements(value) != 0) return write_valuearray(out, value);
    out.put("<VALUE.ARRAY>\n</VALUE.ARRAY>\n");
    return true;
}

bool write_iparamvalue_child(xml_sink &out, const CIMProperty *parameter,
                             const CIMQualifierType *qualifierDeclaration) {
    int type = propertyGetType(parameter);
    if (propertyIsRefType(parameter)) return write_reference_parameter_child(out, parameter);
    if (isArrayType(type)) return write_array_parameter_child(out, propertyGetValue(parameter));
    if (type == CIM_CLASS || type == CIM_OBJECT) return write_object_parameter_child(out, parameter);
    if (named(parameter, L"QualifierDeclaration")) return write_qualifierdeclaration(out, qualifierDeclaration);
    return write_value(out, propertyGetValue(parameter));
}

bool write_paramvalue_child(xml_sink &out, const CIMProperty *parameter, bool embedded) {
    int type = propertyGetType(parameter);
    const CIMValue *value = propertyGetValue(parameter);
    if (propertyIsRefType(parameter)) return write_valuereference(out, value);
    if (type == CIM_REFERENCE + CIM_ARRAY) return write_valuerefarray(out, value);
    if (isArrayType(type)) return write_valuearray(out, value);
    if (embedded) return write_embedded_value(out, value);
    return write_value(out, value);
}

// Writes each parameter of the list that can be written; returns how many were.
template <typename Write>
int write_parameters(xml_sink &out, const CIMPropertyList *parameters, Write write) {
    int written = 0;
    int count = getCIMPropertyListLength(parameters);
    for (int i = 0; i < count; ++i) {
        const CIMProperty *parameter = getCIMPropertyAt(parameters, i);
        if (parameter != nullptr && write(out, parameter)) ++written;
    }
    return written;
}

// The parameters written into a new fragment; NULL when none is written.
template <typename Write>
char *parameter_list(const CIMPropertyList *parameters, Write write) {
    return written_fragment([&](xml_sink &out) { return write_parameters(out, parameters, write) > 0; });
}

// An IPARAMVALUE writer that hands every parameter the qualifier declaration.
auto iparamvalue_writer(const CIMQualifierType *qualifierDeclaration) {
    return [qualifierDeclaration](xml_sink &out, const CIMProperty *parameter) {
        return write_iparamvalue(out, parameter, qualifierDeclaration);
    };
}

// An EXPPARAMVALUE or EXPMETHODCALL that cannot be written says so.
bool export_failed(const wchar_t *encoder) {
    cimPrintMessage(CIM_LOG_ERROR, L"%ls: failed - %s, %d.", encoder, __FILE_NAME__, __LINE__);
    return false;
}

}  // namespace

bool write_paramvalue(xml_sink &out, const CIMProperty *parameter) {
    if (parameter == nullptr) return false;
    int type = propertyGetType(parameter);
    const char *embedded = embedded_object_kind(parameter);
    std::size_t mark = out.mark();
    out.put("<PARAMVALUE");
    if (!put_string_attribute(out, "NAME", propertyGetName(parameter))) return drop_element(out, mark);
    if (embedded) {
        put_fixed_attribute(out, "EmbeddedObject", embedded);
        put_fixed_attribute(out, "PARAMTYPE", "string");
    } else {
        put_fixed_attribute(out, "PARAMTYPE", typeNameText(isArrayType(type) ? scalarTypeOf(type) : type));
    }
    out.put(">\n");
    write_paramvalue_child(out, parameter, embedded != nullptr);
    out.put("</PARAMVALUE>\n");
    return END_ELEMENT(out, mark);
}

bool write_iparamvalue(xml_sink &out, const CIMProperty *parameter, const CIMQualifierType *qualifierDeclaration) {
    if (parameter == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<IPARAMVALUE");
    if (!put_string_attribute(out, "NAME", propertyGetName(parameter))) return drop_element(out, mark);
    out.put(">\n");
    write_iparamvalue_child(out, parameter, qualifierDeclaration);
    out.put("</IPARAMVALUE>\n");
    return END_ELEMENT(out, mark);
}

bool write_expparamvalue(xml_sink &out, const CIMProperty *parameter) {
    if (parameter == nullptr) return export_failed(L"cim_expparamvalue_toxml");
    std::size_t mark = out.mark();
    out.put("<EXPPARAMVALUE");
    if (!put_string_attribute(out, "NAME", propertyGetName(parameter))) {
        drop_element(out, mark);
        return export_failed(L"cim_expparamvalue_toxml");
    }
    out.put(">\n");
    const CIMInstance *indication =
        static_cast<const CIMInstance *>(object_of_type(propertyGetValue(parameter), CIM_OBJECT));
    if (indication != nullptr) write_instance(out, indication);
    out.put("</EXPPARAMVALUE>\n");
    return END_ELEMENT(out, mark);
}

int write_paramvalue_elements(xml_sink &out, const CIMPropertyList *parameters) {
    return write_parameters(out, parameters, write_paramvalue);
}

int write_intrinsic_outputs(xml_sink &out, const CIMPropertyList *parameters) {
    return write_parameters(out, parameters, [](xml_sink &sink, const CIMProperty *parameter) {
        const auto *cimClass = static_cast<const CIMClass *>(object_of_type(propertyGetValue(parameter), CIM_CLASS));
        if (cimClass == nullptr) return write_paramvalue(sink, parameter);
        std::size_t mark = sink.mark();
        sink.put("<PARAMVALUE");
        if (!put_string_attribute(sink, "NAME", propertyGetName(parameter))) return drop_element(sink, mark);
        sink.put(">\n");
        if (!write_class(sink, cimClass)) return drop_element(sink, mark);
        sink.put("</PARAMVALUE>\n");
        return END_ELEMENT(sink, mark);
    });
}

char *paramvaluelist_toxml(const CIMPropertyList *parameters) {
    return parameter_list(parameters, write_paramvalue);
}

char *iparamvaluelist_toxml(const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration) {
    return parameter_list(parameters, iparamvalue_writer(qualifierDeclaration));
}

bool write_imethodcall(xml_sink &out, const CIMString *methodName, const CIMObjectPath *path,
                       const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration) {
    std::size_t mark = out.mark();
    out.put("<IMETHODCALL");
    if (!put_string_attribute(out, "NAME", methodName)) return drop_element(out, mark);
    out.put(">\n");
    write_localnamespacepath(out, getObjectPathNameSpace(path));
    write_parameters(out, parameters, iparamvalue_writer(qualifierDeclaration));
    out.put("</IMETHODCALL>\n");
    return END_ELEMENT(out, mark);
}

bool write_methodcall(xml_sink &out, const CIMString *methodName, const CIMObjectPath *path,
                      const CIMPropertyList *parameters) {
    if (methodName == nullptr || path == nullptr || parameters == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<METHODCALL");
    if (!put_string_attribute(out, "NAME", methodName)) return drop_element(out, mark);
    out.put(">\n");
    has_items(getObjectPathKeys(path)) ? write_localinstancepath(out, path) : write_localclasspath(out, path);
    write_parameters(out, parameters, write_paramvalue);
    out.put("</METHODCALL>\n");
    return END_ELEMENT(out, mark);
}

char *cim_simplereq_toxml(const CIMString *methodName, const CIMObjectPath *path,
                          const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration,
                          int intrinsic) {
    if (methodName == nullptr || path == nullptr || parameters == nullptr) return nullptr;
    return written_fragment([&](xml_sink &out) {
        out.put("<SIMPLEREQ>\n");
        bool call = intrinsic ? write_imethodcall(out, methodName, path, parameters, qualifierDeclaration)
                              : write_methodcall(out, methodName, path, parameters);
        out.put("</SIMPLEREQ>\n");
        return call && END_ELEMENT(out, 0);
    });
}

bool write_expmethodcall(xml_sink &out, const CIMString *methodName, const CIMPropertyList *parameters) {
    std::size_t mark = out.mark();
    out.put("<EXPMETHODCALL");
    if (methodName == nullptr || parameters == nullptr || !put_string_attribute(out, "NAME", methodName)) {
        drop_element(out, mark);
        return export_failed(L"cim_expmethodcall_toxml");
    }
    out.put(">\n");
    write_parameters(out, parameters, write_expparamvalue);
    out.put("</EXPMETHODCALL>\n");
    return END_ELEMENT(out, mark);
}

char *cim_simpleexpreq_toxml(const CIMString *methodName, const CIMPropertyList *parameters) {
    char *request = nullptr;
    if (methodName != nullptr && parameters != nullptr) {
        request = written_fragment([&](xml_sink &out) {
            out.put("<SIMPLEEXPREQ>\n");
            bool call = write_expmethodcall(out, methodName, parameters);
            out.put("</SIMPLEEXPREQ>\n");
            return call && END_ELEMENT(out, 0);
        });
    }
    if (request == nullptr)
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simpleexpreq_toxml: failed - %s, %d.", __FILE_NAME__, __LINE__);
    return request;
}
