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

namespace {

// The message writers stand above the points where the sink is flushed (each
// result entry), so they hold no marks: what they wrote before a failure
// stays, as the caller expects. 1 when the sink kept up; otherwise the
// exhaustion message is logged and 0 returned.
#define KEPT_UP(out) ((out).ok() ? 1 : (CIMXML_LOG_NO_MEMORY(), 0))

// The record written for a failure: a status 0 stands for a failure without
// a code of its own. *replacement receives a record the caller frees.
const ReturnCode *written_error(const ReturnCode *error, ReturnCode **replacement) {
    *replacement = nullptr;
    if (error == nullptr || error->rc != 0) return error;
    *replacement = newReturnCode(CIM_ERR_FAILED, L"Requested operation failed.");
    return *replacement;
}

// "<ERROR CODE=\"n\" DESCRIPTION=\"text\"/>\n" (code 1 for codes outside
// 1..17; without description the blank before "/>" stays). False for a NULL
// record or no memory.
bool write_error(xml_sink &out, const ReturnCode *error) {
    if (error == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<ERROR");
    CIMString *code = statusCodeText(error->rc);
    if (!put_string_attribute(out, "CODE", code)) out.put(" ");
    freeCIMString(code);
    // The blank between the two attributes stays when the description is missing.
    out.put(" ");
    if (const wchar_t *description = getCIMStringBuffer(error->description)) {
        out.put("DESCRIPTION=\"");
        out.put_escaped(description, error->description->length);
        out.put("\"");
    }
    out.put("/>\n");
    return END_ELEMENT(out, mark);
}

// The ERROR element of error, status 0 written as a failure of its own. When
// it cannot be written, logs failureText (when given) and returns false.
bool write_error_element(xml_sink &out, const ReturnCode *error, const wchar_t *failureText) {
    ReturnCode *replacement;
    bool written = write_error(out, written_error(error, &replacement));
    freeReturnCode(replacement);
    if (!written && failureText != nullptr) cimPrintMessage(CIM_LOG_ERROR, L"%ls", failureText);
    return written;
}

// Messages of a response element whose NAME start tag cannot be written.
struct response_texts {
    const wchar_t *nameMissing;
    const wchar_t *attributeFailed;
};

// "<element NAME=\"method\">\n"; false after logging the matching text.
bool write_named_start(xml_sink &out, const char *element, const CIMString *methodName,
                       const response_texts &texts) {
    // Texts of the export response carry "%s, %d": every text gets the place.
    if (methodName == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, texts.nameMissing, __FILE_NAME__, __LINE__);
        return false;
    }
    std::size_t mark = out.mark();
    out.put("<");
    out.put(element);
    if (!put_string_attribute(out, "NAME", methodName) || !out.ok()) {
        cimPrintMessage(CIM_LOG_ERROR, texts.attributeFailed, __FILE_NAME__, __LINE__);
        return drop_element(out, mark);
    }
    out.put(">\n");
    return true;
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
    property_values,      // VALUE.REFERENCE, VALUE.ARRAY or VALUE of a property
    instances_with_path,  // VALUE.INSTANCEWITHPATH
    instance_paths,       // INSTANCEPATH
    plain_instances       // INSTANCE
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
                 {"ExecQuery", entry_form::value_objects},
                 {"OpenEnumerateInstances", entry_form::instances_with_path},
                 {"OpenReferenceInstances", entry_form::instances_with_path},
                 {"OpenAssociatorInstances", entry_form::instances_with_path},
                 {"PullInstancesWithPath", entry_form::instances_with_path},
                 {"OpenEnumerateInstancePaths", entry_form::instance_paths},
                 {"OpenReferenceInstancePaths", entry_form::instance_paths},
                 {"OpenAssociatorInstancePaths", entry_form::instance_paths},
                 {"PullInstancePaths", entry_form::instance_paths},
                 {"OpenQueryInstances", entry_form::plain_instances},
                 {"PullInstances", entry_form::plain_instances}};
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
    case entry_form::named_instances:
    case entry_form::instances_with_path:
    case entry_form::plain_instances: return listType == CIMLIST_INSTANCE;
    case entry_form::instance_paths: return listType == CIMLIST_OBJECTPATH;
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
    case entry_form::instances_with_path:
        return write_instancewithpath(out, static_cast<const CIMInstance *>(entry));
    case entry_form::instance_paths: return write_instancepath(out, static_cast<const CIMObjectPath *>(entry));
    case entry_form::plain_instances: return write_instance(out, static_cast<const CIMInstance *>(entry));
    }
    return false;
}

// Writes every entry that can be written, in list order; each entry leaves
// the writer as soon as it is written.
void write_results(xml_sink &out, const char *method, const CIMList *results) {
    entry_form form = form_of(method);
    int listType = getListType(results);
    if (!list_fits(form, listType)) return;
    bool classes = listType == CIMLIST_CLASS;
    int count = getLength(results);
    for (int i = 0; i < count; ++i) {
        const void *entry = getElementAt(results, i);
        if (entry != nullptr && write_entry(out, form, entry, classes)) out.flush();
    }
}

void write_declarations(xml_sink &out, const char *method, const CIMQualifierTypeList *declarations) {
    if (std::strcmp(method, "EnumerateQualifiers") != 0 && std::strcmp(method, "GetQualifier") != 0) return;
    int listType = getListType(declarations);
    if (listType != CIMLIST_QUALIFIERTYPE && listType != CIMLIST_POINTER) return;
    int count = getLength(declarations);
    for (int i = 0; i < count; ++i) {
        const auto *declaration = static_cast<const CIMQualifierType *>(getElementAt(declarations, i));
        if (write_qualifierdeclaration(out, declaration)) out.flush();
    }
}

// A PARAMVALUE for each output parameter whose value is not NULL, in list order.
void write_set_parameters(xml_sink &out, const CIMPropertyList *parameters) {
    int count = getCIMPropertyListLength(parameters);
    for (int i = 0; i < count; ++i) {
        const CIMProperty *parameter = getCIMPropertyAt(parameters, i);
        if (parameter != nullptr && !isCIMValueNull(propertyGetValue(parameter))) write_paramvalue(out, parameter);
    }
}

bool write_returnvalue(xml_sink &out, const CIMProperty *returnValue) {
    if (returnValue == nullptr) return false;
    int type = propertyGetType(returnValue);
    const char *embedded = embedded_object_kind(returnValue);
    std::size_t mark = out.mark();
    out.put("<RETURNVALUE");
    if (embedded) {
        put_fixed_attribute(out, "EmbeddedObject", embedded);
        put_fixed_attribute(out, "PARAMTYPE", "string");
    } else {
        put_fixed_attribute(out, "PARAMTYPE", typeNameText(isArrayType(type) ? scalarTypeOf(type) : type));
    }
    out.put(">\n");
    const CIMValue *value = propertyGetValue(returnValue);
    if (isArrayType(type)) {
        // An array return value is written without its value.
    } else if (propertyIsRefType(returnValue)) {
        write_valuereference(out, value);
    } else if (embedded) {
        write_embedded_value(out, value);
    } else {
        write_value(out, value);
    }
    out.put("</RETURNVALUE>\n");
    return END_ELEMENT(out, mark);
}

thread_local result_source *current_source = nullptr;
thread_local const CIMPropertyList *current_output_parameters = nullptr;

int write_ireturnvalue(xml_sink &out, const CIMString *methodName, const CIMList *results,
                       const CIMQualifierTypeList *qualifierDeclarations) {
    int count = results ? getLength(results) : qualifierDeclarations ? getLength(qualifierDeclarations) : 0;
    if (!out.expect(static_cast<std::size_t>(count), 2048)) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_ireturnvalue_toxml - failed; unable to allocate memory for return");
        return 0;
    }
    char *method = createCharFromCIMString(methodName);
    if (method == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_ireturnvalue_toxml - failed; methodname is NULL");
        return 0;
    }
    out.put("<IRETURNVALUE>\n");
    if (result_source *source = current_source; source != nullptr && results == nullptr)
        source->write(out, method);
    else if (qualifierDeclarations == nullptr && results != nullptr)
        write_results(out, method, results);
    else if (qualifierDeclarations != nullptr)
        write_declarations(out, method, qualifierDeclarations);
    out.put("</IRETURNVALUE>\n");
    cimxml_free(method, CIMXML_ATOMIC);
    return KEPT_UP(out);
}

// The operations that return nothing: strict writes no IRETURNVALUE for them.
bool returns_nothing(const CIMString *methodName) {
    static const wchar_t *const names[] = {L"CreateClass",    L"ModifyClass",  L"DeleteClass",
                                           L"ModifyInstance", L"DeleteInstance", L"SetQualifier",
                                           L"DeleteQualifier", L"SetProperty", L"ExportIndication",
                                           L"CloseEnumeration"};
    const wchar_t *name = getCIMStringBuffer(methodName);
    if (name == nullptr) return false;
    for (const wchar_t *each : names)
        if (local_wcscasecmp(name, each) == 0) return true;
    return false;
}

int write_imethodresponse(xml_sink &out, const CIMString *methodName, const CIMList *results,
                          const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error) {
    static const response_texts texts{L"cim_imethodresponse_toxml - failed, method name is NULL!!",
                                      L"cim_imethodresponse_toxml - cimname_encodeformat failed!!"};
    if (!write_named_start(out, "IMETHODRESPONSE", methodName, texts)) return 0;
    if (error != nullptr) {
        if (!write_error_element(out, error, L"cim_imethodresponse_toxml - cim_error_toxml failed!!")) return 0;
    } else {
        if (!(strict_profile() && returns_nothing(methodName)))
            write_ireturnvalue(out, methodName, results, qualifierDeclarations);
        if (const CIMPropertyList *parameters = current_output_parameters) write_intrinsic_outputs(out, parameters);
    }
    out.put("</IMETHODRESPONSE>\n");
    return KEPT_UP(out);
}

int write_methodresponse(xml_sink &out, const CIMString *methodName, const CIMProperty *returnValue,
                         const CIMPropertyList *outputParameters, const ReturnCode *error) {
    static const response_texts texts{L"cim_methodresponse_toxml - failed, method name is NULL!",
                                      L"cim_methodresponse_toxml - cimname_encodeformat failed!"};
    if (!write_named_start(out, "METHODRESPONSE", methodName, texts)) return 0;
    if (error != nullptr) {
        if (!write_error_element(out, error, nullptr)) return 0;
    } else {
        // The strict profile leaves out what is NULL (the DTD allows both to
        // be absent); some clients fail on the empty elements instead.
        bool skipNull = strict_profile();
        if (returnValue != nullptr && !(skipNull && isCIMValueNull(propertyGetValue(returnValue))))
            write_returnvalue(out, returnValue);
        if (skipNull)
            write_set_parameters(out, outputParameters);
        else if (has_items(outputParameters))
            write_paramvalue_elements(out, outputParameters);
    }
    out.put("</METHODRESPONSE>\n");
    return KEPT_UP(out);
}

int write_expmethodresponse(xml_sink &out, const CIMString *methodName, const CIMList *results,
                            const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error) {
    static const response_texts texts{L"cim_expmethodresponse_toxml - failed, method name is NULL!!",
                                      L"cim_expmethodresponse_toxml - failed: %s, %d"};
    if (!write_named_start(out, "EXPMETHODRESPONSE", methodName, texts)) return 0;
    if (error != nullptr) {
        if (!write_error_element(out, error, nullptr)) return 0;
    } else if (strict_profile() && returns_nothing(methodName)) {
        // ExportIndication returns nothing.
    } else if (write_ireturnvalue(out, methodName, results, qualifierDeclarations) == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expmethodresponse_toxml-cim_ireturnvalue_toxml failed: %s, %d",
                        __FILE_NAME__, __LINE__);
    }
    out.put("</EXPMETHODRESPONSE>\n");
    return KEPT_UP(out);
}

// Runs write on a sink over the pool; 0 for a NULL pool.
template <typename Write>
int write_to_pool(PoolString *pool, Write write) {
    if (pool == nullptr) return 0;
    xml_sink out(pool);
    return write(out);
}

}  // namespace

void set_result_source(result_source *source) { current_source = source; }

void set_output_parameters(const CIMPropertyList *parameters) { current_output_parameters = parameters; }

void write_result_entries(xml_sink &out, const char *method, const CIMList *results) {
    write_results(out, method, results);
}

char *cim_returnvalue_toxml(const CIMProperty *returnValue) {
    return written_fragment([&](xml_sink &out) { return write_returnvalue(out, returnValue); });
}

int cim_ireturnvalue_toxml(const CIMString *methodName, const CIMList *results,
                           const CIMQualifierTypeList *qualifierDeclarations, PoolString *pool) {
    if (pool == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_ireturnvalue_toxml - failed; unable to allocate memory for return");
        return 0;
    }
    return write_to_pool(pool, [&](xml_sink &out) {
        return write_ireturnvalue(out, methodName, results, qualifierDeclarations);
    });
}

int cim_imethodresponse_toxml(const CIMString *methodName, const CIMList *results,
                              const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                              PoolString *pool) {
    return write_to_pool(pool, [&](xml_sink &out) {
        return write_imethodresponse(out, methodName, results, qualifierDeclarations, error);
    });
}

int cim_methodresponse_toxml(const CIMString *methodName, const CIMProperty *returnValue,
                             const CIMPropertyList *outputParameters, const ReturnCode *error, PoolString *pool) {
    return write_to_pool(pool, [&](xml_sink &out) {
        return write_methodresponse(out, methodName, returnValue, outputParameters, error);
    });
}

int write_simplersp(xml_sink &out, const CIMString *methodName, const CIMProperty *returnValue,
                    const CIMList *results, const CIMQualifierTypeList *qualifierDeclarations,
                    const ReturnCode *error, int intrinsic) {
    out.put("<SIMPLERSP>\n");
    int body = intrinsic ? write_imethodresponse(out, methodName, results, qualifierDeclarations, error)
                         : write_methodresponse(out, methodName, returnValue, results, error);
    if (body == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_simplersp_toxml: failed - %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    out.put("</SIMPLERSP>\n");
    return KEPT_UP(out);
}

int write_simpleexprsp(xml_sink &out, const CIMString *methodName, const CIMList *results,
                       const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error) {
    out.put("<SIMPLEEXPRSP>\n");
    if (write_expmethodresponse(out, methodName, results, qualifierDeclarations, error) == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_expmethodresponse_toxml: failed -  %s, %d.", __FILE_NAME__, __LINE__);
        return 0;
    }
    out.put("</SIMPLEEXPRSP>\n");
    return KEPT_UP(out);
}

int cim_simplersp_toxml(const CIMString *methodName, const CIMProperty *returnValue, const CIMList *results,
                        const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                        int intrinsic, PoolString *pool) {
    return write_to_pool(pool, [&](xml_sink &out) {
        return write_simplersp(out, methodName, returnValue, results, qualifierDeclarations, error, intrinsic);
    });
}

int cim_simpleexprsp_toxml(const CIMString *methodName, const CIMList *results,
                           const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                           const void *unused, PoolString *pool) {
    (void)unused;
    return write_to_pool(pool, [&](xml_sink &out) {
        return write_simpleexprsp(out, methodName, results, qualifierDeclarations, error);
    });
}
