// class_requests.cpp - the client requests of the class operations:
// DeleteClass, EnumerateClassNames, EnumerateClasses, GetClass, ModifyClass
// and CreateClass.
#include <cimxml/cimxml_client.h>

#include "client_adapter/request_framing.h"

using namespace client_requests;

namespace {

// CreateClass and ModifyClass: the class as the one parameter name.
char *class_request(const request_call &call, const CIMObjectPath *path, const CIMClass *cimClass, const wchar_t *name,
                    int withoutHeader) {
    enter_client();
    if (refuse_null(call, path) || refuse_null(call, cimClass)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.cimclass(name, cimClass);
    return frame_request(call, path, parameters.list(), nullptr, withoutHeader);
}

}  // namespace

char *CIMXMLencode_deleteClass(const CIMObjectPath *classPath, int withoutHeader) {
    static const request_call call{"CIMXMLencode_deleteClass", L"DeleteClass", "DeleteClass", 1};
    enter_client();
    if (refuse_null(call, classPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.class_name(classPath);
    return frame_request(call, classPath, parameters.list(), nullptr, withoutHeader);
}

// The two class enumerations have no null-parameter line of their own.
char *CIMXMLencode_enumerateClassNames(const CIMObjectPath *classPath, int deepInheritance, int withoutHeader) {
    static const request_call call{"CIMXMLencode_enumerateClassNames", L"EnumerateClassNames", "EnumerateClassNames",
                                   1};
    enter_client();
    if (!classPath) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.class_name(classPath).boolean(L"DeepInheritance", deepInheritance);
    return frame_request(call, classPath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_enumerateClasses(const CIMObjectPath *classPath, int deepInheritance, int localOnly,
                                    int includeQualifiers, int includeClassOrigin, int withoutHeader) {
    static const request_call call{"CIMXMLencode_enumerateClasses", L"EnumerateClasses", "EnumerateClasses", 1};
    enter_client();
    if (!classPath) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.class_name(classPath)
        .boolean(L"DeepInheritance", deepInheritance)
        .boolean(L"LocalOnly", localOnly)
        .boolean(L"IncludeQualifiers", includeQualifiers)
        .boolean(L"IncludeClassOrigin", includeClassOrigin);
    return frame_request(call, classPath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_getClass(const CIMObjectPath *classPath, int localOnly, int includeQualifiers,
                            int includeClassOrigin, const CIMStringList *propertyList, int withoutHeader) {
    static const request_call call{"CIMXMLencode_getClass", L"GetClass", "getClass", 1};
    enter_client();
    if (refuse_null(call, classPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.class_name(classPath)
        .boolean(L"LocalOnly", localOnly)
        .boolean(L"IncludeQualifiers", includeQualifiers)
        .boolean(L"IncludeClassOrigin", includeClassOrigin)
        .string_list(L"PropertyList", propertyList);
    return frame_request(call, classPath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_modifyClass(const CIMObjectPath *path, const CIMClass *modifiedClass, int withoutHeader) {
    static const request_call call{"CIMXMLencode_modifyClass", L"ModifyClass", "ModifyClass", 1};
    return class_request(call, path, modifiedClass, L"ModifiedClass", withoutHeader);
}

char *CIMXMLencode_createClass(const CIMObjectPath *path, const CIMClass *newClass, int withoutHeader) {
    static const request_call call{"CIMXMLencode_createClass", L"CreateClass", "CreateClass", 1};
    return class_request(call, path, newClass, L"NewClass", withoutHeader);
}
