// association_requests.cpp - the client requests of the association
// operations: Associators, AssociatorNames, References and ReferenceNames.
// Their target, ObjectName, is an instance when the path has keys and a
// class otherwise.
#include <cimxml/cimxml_client.h>

#include "client_adapter/request_framing.h"

using namespace client_requests;

char *CIMXMLencode_associators(const CIMObjectPath *objectPath, const CIMString *assocClass,
                               const CIMString *resultClass, const CIMString *role, const CIMString *resultRole,
                               int includeQualifiers, int includeClassOrigin, const CIMStringList *propertyList,
                               int withoutHeader) {
    static const request_call call{"CIMXMLencode_associators", L"Associators", "Associators", 1};
    enter_client();
    if (refuse_null(call, objectPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"ObjectName", objectPath)
        .class_name(L"AssocClass", assocClass)
        .class_name(L"ResultClass", resultClass)
        .string(L"Role", role)
        .string(L"ResultRole", resultRole)
        .boolean(L"IncludeQualifiers", includeQualifiers)
        .boolean(L"IncludeClassOrigin", includeClassOrigin)
        .string_list(L"PropertyList", propertyList);
    return frame_request(call, objectPath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_associatorNames(const CIMObjectPath *objectPath, const CIMString *assocClass,
                                   const CIMString *resultClass, const CIMString *role, const CIMString *resultRole,
                                   int withoutHeader) {
    static const request_call call{"CIMXMLencode_associatorNames", L"AssociatorNames", "AssociatorNames", 1};
    enter_client();
    if (refuse_null(call, objectPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"ObjectName", objectPath)
        .class_name(L"AssocClass", assocClass)
        .class_name(L"ResultClass", resultClass)
        .string(L"Role", role)
        .string(L"ResultRole", resultRole);
    return frame_request(call, objectPath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_references(const CIMObjectPath *objectPath, const CIMString *resultClass, const CIMString *role,
                              int includeQualifiers, int includeClassOrigin, const CIMStringList *propertyList,
                              int withoutHeader) {
    static const request_call call{"CIMXMLencode_references", L"References", "References", 1};
    enter_client();
    if (refuse_null(call, objectPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"ObjectName", objectPath)
        .class_name(L"ResultClass", resultClass)
        .string(L"Role", role)
        .boolean(L"IncludeQualifiers", includeQualifiers)
        .boolean(L"IncludeClassOrigin", includeClassOrigin)
        .string_list(L"PropertyList", propertyList);
    return frame_request(call, objectPath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_referenceNames(const CIMObjectPath *objectPath, const CIMString *resultClass, const CIMString *role,
                                  int withoutHeader) {
    static const request_call call{"CIMXMLencode_referenceNames", L"ReferenceNames", "ReferenceNames", 1};
    enter_client();
    if (refuse_null(call, objectPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"ObjectName", objectPath).class_name(L"ResultClass", resultClass).string(L"Role", role);
    return frame_request(call, objectPath, parameters.list(), nullptr, withoutHeader);
}
