// request_body.cpp - request bodies: calls and their parameters.
#include "cimxml_schema/request_body.h"

#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/object_wrappers.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_primitives.h"

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

// Child of an IPARAMVALUE holding a reference.
char *reference_parameter_child(const CIMProperty *parameter) {
    const CIMValue *value = propertyGetValue(parameter);
    const CIMObjectPath *path = static_cast<const CIMObjectPath *>(object_of_type(value, CIM_REFERENCE));
    if (named(parameter, L"ClassName") || named(parameter, L"AssocClass") || named(parameter, L"ResultClass"))
        return path ? cim_classname_toxml(getObjectPathName(path)) : nullptr;
    if (named(parameter, L"InstanceName")) return path ? cim_instancename_toxml(path) : nullptr;
    // An operation's target: an instance by its INSTANCENAME, a class by its CLASSNAME.
    if (named(parameter, L"ObjectName")) {
        if (path == nullptr) return nullptr;
        return has_items(getObjectPathKeys(path)) ? cim_instancename_toxml(path)
                                                  : cim_classname_toxml(getObjectPathName(path));
    }
    return cim_valuereference_toxml(value);
}

// Child of an IPARAMVALUE holding a class or an instance.
char *object_parameter_child(const CIMProperty *parameter) {
    const CIMValue *value = propertyGetValue(parameter);
    if (named(parameter, L"NewClass") || named(parameter, L"ModifiedClass"))
        return cim_class_toxml(static_cast<const CIMClass *>(object_of_type(value, CIM_CLASS)));
    if (named(parameter, L"NewInstance") || named(parameter, L"NewIndication"))
        return cim_instance_toxml(static_cast<const CIMInstance *>(object_of_type(value, CIM_OBJECT)));
    if (named(parameter, L"ModifiedInstance"))
        return cim_namedinstance_toxml(static_cast<const CIMInstance *>(object_of_type(value, CIM_OBJECT)));
    // Any other object (SetProperty's NewValue) is a value: strict writes
    // its embedded form, classic nothing.
    return strict_profile() ? embedded_value_toxml(value) : nullptr;
}

// Child of an IPARAMVALUE holding an array. An array without elements is
// written as an empty VALUE.ARRAY: an empty property list asks for no
// properties, which an absent one would not.
char *array_parameter_child(const CIMValue *value) {
    if (!isCIMValueNull(value) && getCIMValueNumElements(value) == 0)
        return concat_fragment({"<VALUE.ARRAY>\n</VALUE.ARRAY>\n"});
    return cim_valuearray_toxml(value);
}

char *iparamvalue_child(const CIMProperty *parameter, const CIMQualifierType *qualifierDeclaration) {
    int type = propertyGetType(parameter);
    if (propertyIsRefType(parameter)) return reference_parameter_child(parameter);
    if (isArrayType(type)) return array_parameter_child(propertyGetValue(parameter));
    if (type == CIM_CLASS || type == CIM_OBJECT) return object_parameter_child(parameter);
    if (named(parameter, L"QualifierDeclaration")) return cim_qualifierdeclaration_toxml(qualifierDeclaration);
    return cim_value_toxml(propertyGetValue(parameter));
}

char *paramvalue_child(const CIMProperty *parameter, bool embedded) {
    int type = propertyGetType(parameter);
    const CIMValue *value = propertyGetValue(parameter);
    if (propertyIsRefType(parameter)) return cim_valuereference_toxml(value);
    if (type == CIM_REFERENCE + CIM_ARRAY) return cim_valuerefarray_toxml(value);
    if (isArrayType(type)) return cim_valuearray_toxml(value);
    if (embedded) return embedded_value_toxml(value);
    return cim_value_toxml(value);
}

}  // namespace

char *cim_paramvalue_toxml(const CIMProperty *parameter) {
    if (parameter == nullptr) return nullptr;
    int type = propertyGetType(parameter);
    const char *embedded = embedded_object_kind(parameter);
    fragment_builder element;
    element.add("<PARAMVALUE");
    if (!add_string_attribute(element, "NAME", propertyGetName(parameter))) return nullptr;
    if (embedded) {
        add_fixed_attribute(element, "EmbeddedObject", embedded);
        add_fixed_attribute(element, "PARAMTYPE", "string");
    } else {
        add_fixed_attribute(element, "PARAMTYPE", typeNameText(isArrayType(type) ? scalarTypeOf(type) : type));
    }
    element.add(">\n");
    element.take(paramvalue_child(parameter, embedded != nullptr));
    element.add("</PARAMVALUE>\n");
    return FINISH_ELEMENT(element);
}

char *cim_iparamvalue_toxml(const CIMProperty *parameter, const CIMQualifierType *qualifierDeclaration) {
    if (parameter == nullptr) return nullptr;
    fragment_builder element;
    element.add("<IPARAMVALUE");
    if (!add_string_attribute(element, "NAME", propertyGetName(parameter))) return nullptr;
    element.add(">\n");
    element.take(iparamvalue_child(parameter, qualifierDeclaration));
    element.add("</IPARAMVALUE>\n");
    return FINISH_ELEMENT(element);
}

char *cim_expparamvalue_toxml(const CIMProperty *parameter) {
    if (parameter == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expparamvalue_toxml: failed - %s, %d.", __FILE_NAME__, __LINE__);
        return nullptr;
    }
    fragment_builder element;
    element.add("<EXPPARAMVALUE");
    if (!add_string_attribute(element, "NAME", propertyGetName(parameter))) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expparamvalue_toxml: failed - %s, %d.", __FILE_NAME__, __LINE__);
        return nullptr;
    }
    element.add(">\n");
    const CIMInstance *indication =
        static_cast<const CIMInstance *>(object_of_type(propertyGetValue(parameter), CIM_OBJECT));
    if (indication != nullptr) element.take(cim_instance_toxml(indication));
    element.add("</EXPPARAMVALUE>\n");
    return FINISH_ELEMENT(element);
}

namespace {

// Adds the encoding of every parameter to the builder; returns how many.
template <typename Encode>
int add_parameters(fragment_builder &builder, const CIMPropertyList *parameters, Encode encode) {
    int added = 0;
    int count = getCIMPropertyListLength(parameters);
    for (int i = 0; i < count; ++i) {
        const CIMProperty *parameter = getCIMPropertyAt(parameters, i);
        if (parameter != nullptr && builder.take(encode(parameter))) ++added;
    }
    return added;
}

template <typename Encode>
char *parameter_list(const CIMPropertyList *parameters, Encode encode) {
    fragment_builder list;
    if (add_parameters(list, parameters, encode) == 0) return nullptr;
    return FINISH_ELEMENT(list);
}

}  // namespace

char *paramvaluelist_toxml(const CIMPropertyList *parameters) {
    return parameter_list(parameters, cim_paramvalue_toxml);
}

char *iparamvaluelist_toxml(const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration) {
    return parameter_list(parameters, [qualifierDeclaration](const CIMProperty *parameter) {
        return cim_iparamvalue_toxml(parameter, qualifierDeclaration);
    });
}

char *expparamvaluelist_toxml(const CIMPropertyList *parameters) {
    return parameter_list(parameters, cim_expparamvalue_toxml);
}

char *cim_imethodcall_toxml(const CIMString *methodName, const CIMObjectPath *path,
                            const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration) {
    fragment_builder element;
    element.add("<IMETHODCALL");
    if (!add_string_attribute(element, "NAME", methodName)) return nullptr;
    element.add(">\n");
    element.take(cim_localnamespacepath_toxml(getObjectPathNameSpace(path)));
    add_parameters(element, parameters, [qualifierDeclaration](const CIMProperty *parameter) {
        return cim_iparamvalue_toxml(parameter, qualifierDeclaration);
    });
    element.add("</IMETHODCALL>\n");
    return FINISH_ELEMENT(element);
}

char *cim_methodcall_toxml(const CIMString *methodName, const CIMObjectPath *path,
                           const CIMPropertyList *parameters) {
    if (methodName == nullptr || path == nullptr || parameters == nullptr) return nullptr;
    fragment_builder element;
    element.add("<METHODCALL");
    if (!add_string_attribute(element, "NAME", methodName)) return nullptr;
    element.add(">\n");
    element.take(has_items(getObjectPathKeys(path)) ? cim_localinstancepath_toxml(path)
                                                    : cim_localclasspath_toxml(path));
    add_parameters(element, parameters, cim_paramvalue_toxml);
    element.add("</METHODCALL>\n");
    return FINISH_ELEMENT(element);
}

char *cim_simplereq_toxml(const CIMString *methodName, const CIMObjectPath *path,
                          const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration,
                          int intrinsic) {
    if (methodName == nullptr || path == nullptr || parameters == nullptr) return nullptr;
    char *call = intrinsic ? cim_imethodcall_toxml(methodName, path, parameters, qualifierDeclaration)
                           : cim_methodcall_toxml(methodName, path, parameters);
    if (call == nullptr) return nullptr;
    fragment_builder element;
    element.add("<SIMPLEREQ>\n");
    element.take(call);
    element.add("</SIMPLEREQ>\n");
    return FINISH_ELEMENT(element);
}

char *cim_expmethodcall_toxml(const CIMString *methodName, const CIMPropertyList *parameters) {
    fragment_builder element;
    element.add("<EXPMETHODCALL");
    if (methodName == nullptr || parameters == nullptr ||
        !add_string_attribute(element, "NAME", methodName)) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expmethodcall_toxml: failed - %s, %d.", __FILE_NAME__, __LINE__);
        return nullptr;
    }
    element.add(">\n");
    add_parameters(element, parameters, cim_expparamvalue_toxml);
    element.add("</EXPMETHODCALL>\n");
    return FINISH_ELEMENT(element);
}

char *cim_simpleexpreq_toxml(const CIMString *methodName, const CIMPropertyList *parameters) {
    if (methodName == nullptr || parameters == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simpleexpreq_toxml: failed - %s, %d.", __FILE_NAME__, __LINE__);
        return nullptr;
    }
    char *call = cim_expmethodcall_toxml(methodName, parameters);
    if (call == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simpleexpreq_toxml: failed - %s, %d.", __FILE_NAME__, __LINE__);
        return nullptr;
    }
    fragment_builder element;
    element.add("<SIMPLEEXPREQ>\n");
    element.take(call);
    element.add("</SIMPLEEXPREQ>\n");
    return FINISH_ELEMENT(element);
}
