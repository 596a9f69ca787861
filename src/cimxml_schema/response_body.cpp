// response_body.cpp - response bodies, written into the response pool.
#include "cimxml_schema/response_body.h"

#include <cstring>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_common/status_codes.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/object_wrappers.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/request_body.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_primitives.h"

namespace {

// The record written for a failure: a status 0 stands for a failure without
// a code of its own. *replacement receives a record the caller frees.
const ReturnCode *written_error(const ReturnCode *error, ReturnCode **replacement) {
    *replacement = nullptr;
    if (error == nullptr || error->rc != 0) return error;
    *replacement = newReturnCode(CIM_ERR_FAILED, L"Requested operation failed.");
    return *replacement;
}

// Appends the ERROR element of error to the pool. When the element cannot be
// made, logs failureText (when given), releases the pending end tag and
// returns 0.
int append_error_element(PoolString *pool, const ReturnCode *error, char *end, const wchar_t *failureText) {
    ReturnCode *replacement;
    char *element = cim_error_toxml(written_error(error, &replacement));
    freeReturnCode(replacement);
    if (element == nullptr) {
        if (failureText != nullptr) cimPrintMessage(CIM_LOG_ERROR, L"%ls", failureText);
        cimxml_free(end, CIMXML_ATOMIC);
        return 0;
    }
    pool_append(pool, element, 1);
    return 1;
}

// Messages of a response element whose NAME start tag cannot be made.
struct response_texts {
    const wchar_t *nameMissing;
    const wchar_t *valueFailed;
    const wchar_t *attributeFailed;
    const wchar_t *startTagFailed;
};

// Start tag of a response element with NAME from a copy of the method name,
// or NULL after logging the matching text.
char *named_start_tag(const char *element, const CIMString *methodName, const response_texts &texts) {
    // Texts of the export response carry "%s, %d": every text gets the place.
    if (methodName == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, texts.nameMissing, __FILE_NAME__, __LINE__);
        return nullptr;
    }
    CIMString *copy = copyCIMString(methodName);
    CIMValue *name = copy ? newCIMValue(CIM_STRING, copy) : nullptr;
    if (name == nullptr) {
        freeCIMString(copy);
        cimPrintMessage(CIM_LOG_ERROR, texts.valueFailed, __FILE_NAME__, __LINE__);
        return nullptr;
    }
    char *attribute = cimname_encodeformat(name);
    freeCIMValue(name);
    if (attribute == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, texts.attributeFailed, __FILE_NAME__, __LINE__);
        return nullptr;
    }
    char *tag = otag_with_attribute(element, attribute);
    cimxml_free(attribute, CIMXML_ATOMIC);
    if (tag == nullptr) cimPrintMessage(CIM_LOG_ERROR, texts.startTagFailed, __FILE_NAME__, __LINE__);
    return tag;
}

// How the entries of a result list are written, by the operation's name.
enum class entry_form {
    classes,              // CLASS
    instance_names,       // INSTANCENAME
    objects_with_path,    // VALUE.OBJECTWITHPATH
    object_paths,         // OBJECTPATH
    class_names,          // CLASSNAME
    property_instances,   // INSTANCE of the instance a property's value holds
    named_instances,      // VALUE.NAMEDINSTANCE
    value_objects,        // VALUE.OBJECT
    property_values       // VALUE.REFERENCE, VALUE.ARRAY or VALUE of a property
};

entry_form form_of(const char *method) {
    static const struct {
        const char *name;
        entry_form form;
    } forms[] = {{"GetClass", entry_form::classes},
                 {"EnumerateClasses", entry_form::classes},
                 {"CreateInstance", entry_form::instance_names},
                 {"EnumerateInstanceNames", entry_form::instance_names},
                 {"Associators", entry_form::objects_with_path},
                 {"References", entry_form::objects_with_path},
                 {"AssociatorNames", entry_form::object_paths},
                 {"ReferenceNames", entry_form::object_paths},
                 {"EnumerateClassNames", entry_form::class_names},
                 {"GetInstance", entry_form::property_instances},
                 {"EnumerateInstances", entry_form::named_instances},
                 {"ExecQuery", entry_form::value_objects}};
    for (const auto &entry : forms) {
        if (std::strcmp(method, entry.name) == 0) return entry.form;
    }
    return entry_form::property_values;
}

// The list type whose items the form reads; a borrowed-items list is taken
// at its word. Any other list is not what the form expects, and its
// entries cannot be encoded.
bool list_fits(entry_form form, int listType) {
    if (listType == CIMLIST_POINTER) return true;
    switch (form) {
    case entry_form::classes: return listType == CIMLIST_CLASS;
    case entry_form::instance_names:
    case entry_form::object_paths:
    case entry_form::class_names: return listType == CIMLIST_OBJECTPATH;
    case entry_form::objects_with_path:
    case entry_form::value_objects: return listType == CIMLIST_CLASS || listType == CIMLIST_INSTANCE;
    case entry_form::named_instances: return listType == CIMLIST_INSTANCE;
    case entry_form::property_instances:
    case entry_form::property_values: return listType == CIMLIST_PROPERTY;
    }
    return false;
}

bool write_property_value(xml_sink &out, const CIMProperty *property) {
    const CIMValue *value = propertyGetValue(property);
    int type = propertyGetType(property);
    if (type == CIM_REFERENCE) return write_valuereference(out, value);
    if (type == CIM_REFERENCE + CIM_ARRAY && strict_profile()) return write_valuerefarray(out, value);
    if (isArrayType(type)) return write_valuearray(out, value);
    // An embedded object has no text of its own: strict writes its CDATA form.
    if (strict_profile() && isObjectType(getCIMValueType(value))) return write_embedded_value(out, value);
    return write_value(out, value);
}

bool write_entry(xml_sink &out, entry_form form, const void *entry, bool classes) {
    switch (form) {
    case entry_form::classes: return write_class(out, static_cast<const CIMClass *>(entry));
    case entry_form::instance_names: return write_instancename(out, static_cast<const CIMObjectPath *>(entry));
    case entry_form::objects_with_path: return write_objectwithpath(out, entry, classes);
    case entry_form::object_paths: return write_objectpath(out, static_cast<const CIMObjectPath *>(entry));
    case entry_form::class_names:
        return write_classname(out, getObjectPathName(static_cast<const CIMObjectPath *>(entry)));
    case entry_form::property_instances: {
        const CIMValue *value = propertyGetValue(static_cast<const CIMProperty *>(entry));
        if (getCIMValueType(value) != CIM_OBJECT) return false;
        return write_instance(out, static_cast<const CIMInstance *>(cim_value_content(value)));
    }
    case entry_form::named_instances: return write_namedinstance(out, static_cast<const CIMInstance *>(entry));
    case entry_form::value_objects: return write_valueobject(out, entry, classes);
    case entry_form::property_values: return write_property_value(out, static_cast<const CIMProperty *>(entry));
    }
    return false;
}

// Writes every entry that can be written, in list order, straight into the pool.
void append_results(const char *method, const CIMList *results, PoolString *pool) {
    entry_form form = form_of(method);
    int listType = getListType(results);
    if (!list_fits(form, listType)) return;
    bool classes = listType == CIMLIST_CLASS;
    int count = getLength(results);
    xml_sink out(pool);
    for (int i = 0; i < count; ++i) {
        const void *entry = getElementAt(results, i);
        if (entry != nullptr) write_entry(out, form, entry, classes);
    }
}

void append_declarations(const char *method, const CIMQualifierTypeList *declarations, PoolString *pool) {
    if (std::strcmp(method, "EnumerateQualifiers") != 0 && std::strcmp(method, "GetQualifier") != 0) return;
    int listType = getListType(declarations);
    if (listType != CIMLIST_QUALIFIERTYPE && listType != CIMLIST_POINTER) return;
    int count = getLength(declarations);
    for (int i = 0; i < count; ++i) {
        const CIMQualifierType *declaration = static_cast<const CIMQualifierType *>(getElementAt(declarations, i));
        char *fragment = declaration ? cim_qualifierdeclaration_toxml(declaration) : nullptr;
        if (fragment != nullptr) pool_append(pool, fragment, 1);
    }
}

// Appends a PARAMVALUE for each output parameter whose value is not NULL,
// in list order.
void append_set_parameters(PoolString *pool, const CIMPropertyList *parameters) {
    int count = getCIMPropertyListLength(parameters);
    for (int i = 0; i < count; ++i) {
        const CIMProperty *parameter = getCIMPropertyAt(parameters, i);
        if (parameter == nullptr || isCIMValueNull(propertyGetValue(parameter))) continue;
        char *element = cim_paramvalue_toxml(parameter);
        if (element != nullptr) pool_append(pool, element, 1);
    }
}

}  // namespace

char *cim_error_toxml(const ReturnCode *error) {
    if (error == nullptr) return nullptr;
    fragment_builder element;
    element.add("<ERROR");
    CIMString *code = statusCodeText(error->rc);
    if (!add_string_attribute(element, "CODE", code)) element.add(" ");
    freeCIMString(code);
    // The blank between the two attributes stays when the description is missing.
    element.add(" ");
    char *description = escaped_cimstring_text(error->description);
    if (description != nullptr) {
        element.add("DESCRIPTION=\"");
        element.take(description);
        element.add("\"");
    }
    element.add("/>\n");
    return FINISH_ELEMENT(element);
}

char *cim_returnvalue_toxml(const CIMProperty *returnValue) {
    if (returnValue == nullptr) return nullptr;
    int type = propertyGetType(returnValue);
    const char *embedded = embedded_object_kind(returnValue);
    fragment_builder element;
    element.add("<RETURNVALUE");
    if (embedded) {
        add_fixed_attribute(element, "EmbeddedObject", embedded);
        add_fixed_attribute(element, "PARAMTYPE", "string");
    } else {
        add_fixed_attribute(element, "PARAMTYPE", typeNameText(isArrayType(type) ? scalarTypeOf(type) : type));
    }
    element.add(">\n");
    const CIMValue *value = propertyGetValue(returnValue);
    if (!isArrayType(type)) {
        if (propertyIsRefType(returnValue)) {
            element.take(cim_valuereference_toxml(value));
        } else if (embedded) {
            element.take(embedded_value_toxml(value));
        } else {
            element.take(cim_value_toxml(value));
        }
    }
    element.add("</RETURNVALUE>\n");
    return FINISH_ELEMENT(element);
}

int cim_ireturnvalue_toxml(const CIMString *methodName, const CIMList *results,
                           const CIMQualifierTypeList *qualifierDeclarations, PoolString *pool) {
    int count = results ? getLength(results) : qualifierDeclarations ? getLength(qualifierDeclarations) : 0;
    if (pool == nullptr || resize_PoolString(pool, static_cast<std::size_t>(count), 2048) == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_ireturnvalue_toxml - failed; unable to allocate memory for return");
        return 0;
    }
    char *method = createCharFromCIMString(methodName);
    if (method == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_ireturnvalue_toxml - failed; methodname is NULL");
        return 0;
    }
    int result = 0;
    char *start = start_tag("IRETURNVALUE");
    char *end = nullptr;
    if (start == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_ireturnvalue_toxml - start_tag failed");
    } else if (pool_append(pool, start, 1) != 1) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_ireturnvalue_toxml - failed to put start tag in pool");
    } else if ((end = end_tag("IRETURNVALUE")) == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_ireturnvalue_toxml - end_tag failed");
    } else {
        if (qualifierDeclarations == nullptr && results != nullptr)
            append_results(method, results, pool);
        else if (qualifierDeclarations != nullptr)
            append_declarations(method, qualifierDeclarations, pool);
        if (pool->text == nullptr || pool->text[0] == '\0') {
            cimPrintMessage(CIM_LOG_ERROR, L"Something really bad happened, we shouldn't be here: %s %d",
                            __FILE_NAME__, __LINE__);
            cimxml_free(end, CIMXML_ATOMIC);
        } else if (pool_append(pool, end, 1) != 1) {
            cimPrintMessage(CIM_LOG_ERROR, L"Could not add end tag to pool: %s %d", __FILE_NAME__, __LINE__);
        } else {
            result = 1;
        }
    }
    cimxml_free(method, CIMXML_ATOMIC);
    return result;
}

namespace {

// The operations that return nothing: strict writes no IRETURNVALUE for them.
bool returns_nothing(const CIMString *methodName) {
    static const wchar_t *const names[] = {L"CreateClass",    L"ModifyClass",  L"DeleteClass",
                                           L"ModifyInstance", L"DeleteInstance", L"SetQualifier",
                                           L"DeleteQualifier", L"SetProperty", L"ExportIndication"};
    const wchar_t *name = getCIMStringBuffer(methodName);
    if (name == nullptr) return false;
    for (const wchar_t *each : names)
        if (local_wcscasecmp(name, each) == 0) return true;
    return false;
}

}  // namespace

int cim_imethodresponse_toxml(const CIMString *methodName, const CIMList *results,
                              const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                              PoolString *pool) {
    static const response_texts texts{L"cim_imethodresponse_toxml - failed, method name is NULL!!",
                                      L"cim_imethodresponse_toxml - newCIMValue failed!!",
                                      L"cim_imethodresponse_toxml - cimname_encodeformat failed!!",
                                      L"cim_imethodresponse_toxml - otag_with_attribute failed!!"};
    char *start = named_start_tag("IMETHODRESPONSE", methodName, texts);
    if (start == nullptr) return 0;
    if (pool_append(pool, start, 1) != 1) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_imethodresponse_toxml - failed to put start tag in pool");
        return 0;
    }
    char *end = end_tag("IMETHODRESPONSE");
    if (end == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_imethodresponse_toxml - end_tag failed!!");
        return 0;
    }
    if (error != nullptr) {
        if (!append_error_element(pool, error, end, L"cim_imethodresponse_toxml - cim_error_toxml failed!!")) return 0;
    } else if (!(strict_profile() && returns_nothing(methodName))) {
        cim_ireturnvalue_toxml(methodName, results, qualifierDeclarations, pool);
    }
    int appended = pool_append(pool, end, 1);
    if (appended != 1) cimPrintMessage(CIM_LOG_ERROR, L"cim_imethodresponse_toxml - failed to put end tag in pool!");
    return appended;
}

int cim_methodresponse_toxml(const CIMString *methodName, const CIMProperty *returnValue,
                             const CIMPropertyList *outputParameters, const ReturnCode *error, PoolString *pool) {
    static const response_texts texts{L"cim_methodresponse_toxml - failed, method name is NULL!",
                                      L"cim_methodresponse_toxml - newCIMValue failed!",
                                      L"cim_methodresponse_toxml - cimname_encodeformat failed!",
                                      L"cim_methodresponse_toxml - otag_with_attribute failed!"};
    char *start = named_start_tag("METHODRESPONSE", methodName, texts);
    if (start == nullptr) return 0;
    if (pool_append(pool, start, 1) != 1) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_methodresponse_toxml - Could not put start_tag in pool!");
        return 0;
    }
    char *end = end_tag("METHODRESPONSE");
    if (end == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_methodresponse_toxml - end_tag failed!");
        return 0;
    }
    if (error != nullptr) {
        if (!append_error_element(pool, error, end, nullptr)) return 0;
    } else {
        // The strict profile leaves out what is NULL (the DTD allows both to
        // be absent); some clients fail on the empty elements instead.
        bool skipNull = strict_profile();
        if (returnValue != nullptr && !(skipNull && isCIMValueNull(propertyGetValue(returnValue)))) {
            char *element = cim_returnvalue_toxml(returnValue);
            if (element != nullptr) pool_append(pool, element, 1);
        }
        if (skipNull) {
            append_set_parameters(pool, outputParameters);
        } else if (has_items(outputParameters)) {
            char *parameters = paramvaluelist_toxml(outputParameters);
            if (parameters != nullptr) pool_append(pool, parameters, 1);
        }
    }
    int appended = pool_append(pool, end, 1);
    if (appended != 1) cimPrintMessage(CIM_LOG_ERROR, L"cim_methodresponse_toxml - failed to put end_tag in pool!");
    return appended;
}

int cim_simplersp_toxml(const CIMString *methodName, const CIMProperty *returnValue, const CIMList *results,
                        const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                        int intrinsic, PoolString *pool) {
    char *start = start_tag("SIMPLERSP");
    if (start == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simplersp_toxml: start_tag failed - %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    if (pool_append(pool, start, 1) != 1) return 0;
    int body = intrinsic ? cim_imethodresponse_toxml(methodName, results, qualifierDeclarations, error, pool)
                         : cim_methodresponse_toxml(methodName, returnValue, results, error, pool);
    if (body == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simplersp_toxml: failed - %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    char *end = end_tag("SIMPLERSP");
    if (end == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simplersp_toxml: end_tag failed - %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    if (pool_append(pool, end, 1) != 1) {
        cimPrintMessage(CIM_LOG_ERROR, L"Could not put end tag in pool: %s %d", __FILE_NAME__, __LINE__);
        return 0;
    }
    return 1;
}

int cim_expmethodresponse_toxml(const CIMString *methodName, const CIMList *results,
                                const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                                PoolString *pool) {
    static const response_texts texts{L"cim_expmethodresponse_toxml - failed, method name is NULL!!",
                                      L"cim_expmethodresponse_toxml - failed: %s, %d",
                                      L"cim_expmethodresponse_toxml - failed: %s, %d",
                                      L"cim_expmethodresponse_toxml - failed: %s, %d"};
    char *start = named_start_tag("EXPMETHODRESPONSE", methodName, texts);
    if (start == nullptr) return 0;
    if (pool_append(pool, start, 1) != 1) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expmethodresponse_toxml - failed to add tag to pool: %s, %d",
                        __FILE_NAME__, __LINE__);
        return 0;
    }
    char *end = end_tag("EXPMETHODRESPONSE");
    if (end == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expmethodresponse_toxml - failed: %s, %d", __FILE_NAME__, __LINE__);
        return 0;
    }
    if (error != nullptr) {
        if (!append_error_element(pool, error, end, nullptr)) return 0;
    } else if (strict_profile() && returns_nothing(methodName)) {
        // ExportIndication returns nothing.
    } else if (cim_ireturnvalue_toxml(methodName, results, qualifierDeclarations, pool) == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expmethodresponse_toxml-cim_ireturnvalue_toxml failed: %s, %d",
                        __FILE_NAME__, __LINE__);
    }
    int appended = pool_append(pool, end, 1);
    if (appended != 1) cimPrintMessage(CIM_LOG_ERROR, L"failed to put end tag in pool: %s %d", __FILE_NAME__, __LINE__);
    return appended;
}

int cim_simpleexprsp_toxml(const CIMString *methodName, const CIMList *results,
                           const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                           const void *unused, PoolString *pool) {
    (void)unused;
    char *start = start_tag("SIMPLEEXPRSP");
    if (start == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simpleexprsp_toxml: start failed - %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    if (pool_append(pool, start, 1) != 1) {
        cimPrintMessage(CIM_LOG_ERROR, L"Unable to add start tag to pool - %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    if (cim_expmethodresponse_toxml(methodName, results, qualifierDeclarations, error, pool) == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expmethodresponse_toxml: failed -  %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    char *end = end_tag("SIMPLEEXPRSP");
    if (end == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simpleexprsp_toxml: failed -  %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    if (pool_append(pool, end, 1) != 1) {
        cimPrintMessage(CIM_LOG_ERROR, L"Unable to add end tag to pool - %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    return 1;
}
