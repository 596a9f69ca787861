// request_framing.cpp - parameter lists and the framing of client requests.
#include "client_adapter/request_framing.h"

#include <cctype>
#include <cstring>
#include <string>

#include "cimxml_common/error_reporting.h"
#include "cimxml/module_lifecycle.h"
#include "cimxml/operation_parameters.h"
#include "cimxml_schema/message_framing.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/xml_sink.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/request_body.h"

namespace client_requests {

namespace {

// Releases a collected text at the end of a scope.
struct text_owner {
    char *text;
    ~text_owner() { cimxml_free(text, CIMXML_ATOMIC); }
};

// The message for body with a fresh id, and, unless withoutHeader, the
// header made for its length in front of it (with the empty line).
template <typename MakeHeader>
char *frame(const char *body, int withoutHeader, MakeHeader make_header) {
    text_owner id{get_message_id()};
    char *message = join_header_and_message(nullptr, body, id.text);
    if (message == nullptr || withoutHeader) return message;
    text_owner owned{message};
    text_owner header{make_header(std::strlen(message))};
    if (header.text == nullptr) return nullptr;
    return joined_fragment({header.text, "\r\n", message});
}

}  // namespace

void enter_client() {
    if (!cimxml_is_attached()) cimxml_process_attach();
    cimxml_enter_collector();
}

void log_failure(const char *encoder, const char *text) { cimPrintMessage(CIM_LOG_ERROR, L"%s%s", encoder, text); }

bool refuse_null(const request_call &call, const void *argument) {
    if (argument != nullptr) return false;
    log_failure(call.encoder, " - failed; Null parameter.");
    return true;
}

request_parameters::request_parameters(const char *encoder)
    : encoder_(encoder), list_(newCIMPropertyList()), failed_(list_ == nullptr) {
    if (failed_) log_failure(encoder_, " - newCIMPropertyList failed");
}

request_parameters::~request_parameters() { freeCIMPropertyList(list_); }

void request_parameters::add(const wchar_t *name, int type, CIMValue *value) {
    if (failed_) {
        freeCIMValue(value);
        return;
    }
    CIMString *parameterName = newCIMString(name);
    CIMProperty *parameter =
        parameterName && value ? newProperty(parameterName, nullptr, value, type, nullptr, 0) : nullptr;
    if (parameter == nullptr) {
        freeCIMString(parameterName);
        freeCIMValue(value);
        log_failure(encoder_, " - newProperty failed.");
        failed_ = true;
        return;
    }
    ReturnCode *rc = appendToCIMPropertyList(list_, parameter);
    if (rc == nullptr || rc->rc != 0) {
        if (rc != nullptr) reportReturnCode(rc);
        log_failure(encoder_, " - appendToCIMPropertyList failed.");
        freeCIMProperty(parameter);
        failed_ = true;
    }
    freeReturnCode(rc);
}

request_parameters &request_parameters::reference(const wchar_t *name, const CIMObjectPath *path) {
    CIMObjectPath *copy = copyObjectPath(path);
    CIMValue *value = newCIMValue(CIM_REFERENCE, copy);
    if (value == nullptr) freeCIMObjectPath(copy);
    add(name, CIM_REFERENCE, value);
    return *this;
}

request_parameters &request_parameters::class_name(const CIMObjectPath *path) {
    CIMObjectPath *copy = copyObjectPath(path);
    removePseudoClassName(copy);
    class_name(L"ClassName", getObjectPathName(copy));
    freeCIMObjectPath(copy);
    return *this;
}

request_parameters &request_parameters::class_name(const wchar_t *name, const CIMString *className) {
    // Servers read a class-name parameter as a CLASSNAME element (written for
    // a reference to a path holding only the class name); classic sends the
    // name as a string value, as it always has.
    if (!strict_profile() || isEmptyCIMString(className)) return string(name, className);
    CIMObjectPath *path = newObjectPathWithName(copyCIMString(className));
    reference(name, path);
    freeCIMObjectPath(path);
    return *this;
}

request_parameters &request_parameters::string(const wchar_t *name, const CIMString *text) {
    CIMString *copy = copyCIMString(text);
    CIMValue *value = newCIMValue(CIM_STRING, copy);
    if (value == nullptr) freeCIMString(copy);
    add(name, CIM_STRING, value);
    return *this;
}

request_parameters &request_parameters::boolean(const wchar_t *name, int flag) {
    add(name, CIM_BOOLEAN, newCIMValue(CIM_BOOLEAN, &flag));
    return *this;
}

request_parameters &request_parameters::string_list(const wchar_t *name, const CIMStringList *list) {
    if (list == nullptr) return *this;
    CIMValueList *values = newCIMValueList();
    bool complete = values != nullptr;
    for (CIMListNode *node = getFirstCIMString(list); complete && node != nullptr; node = getNextCIMString(node)) {
        CIMString *copy = copyCIMString(getCurrentCIMString(node));
        CIMValue *element = copy ? newCIMValue(CIM_STRING, copy) : nullptr;
        if (element == nullptr) freeCIMString(copy);
        complete = element != nullptr && isSuccessfulFree(appendToCIMValueList(values, element));
        if (element != nullptr && !complete) freeCIMValue(element);
    }
    CIMValue *value = complete ? newCIMValue(CIM_STRING + CIM_ARRAY, values) : nullptr;
    if (value == nullptr) freeCIMValueList(values);
    add(name, CIM_STRING + CIM_ARRAY, value);
    return *this;
}

request_parameters &request_parameters::instance(const wchar_t *name, const CIMInstance *instance) {
    CIMInstance *copy = copyCIMInstance(instance);
    CIMValue *value = newCIMValue(CIM_OBJECT, copy);
    if (value == nullptr) freeCIMInstance(copy);
    add(name, CIM_OBJECT, value);
    return *this;
}

request_parameters &request_parameters::cimclass(const wchar_t *name, const CIMClass *cimClass) {
    CIMClass *copy = copyCIMClass(cimClass);
    CIMValue *value = newCIMValue(CIM_CLASS, copy);
    if (value == nullptr) freeCIMClass(copy);
    add(name, CIM_CLASS, value);
    return *this;
}

request_parameters &request_parameters::value(const wchar_t *name, const CIMValue *value) {
    CIMValue *copy = value ? copyCIMValue(value) : newCIMValueNULL(CIM_STRING);
    add(name, getCIMValueType(copy), copy);
    return *this;
}

char *frame_request(const request_call &call, const CIMObjectPath *target, const CIMPropertyList *parameters,
                    const CIMQualifierType *declaration, int withoutHeader) {
    CIMString *methodName = newCIMString(call.method);
    text_owner body{cim_simplereq_toxml(methodName, target, parameters, declaration, call.intrinsic)};
    freeCIMString(methodName);
    char *request = nullptr;
    if (body.text != nullptr) {
        // Servers check CIMMethod and CIMObject against the call: strict names
        // the operation as the call element does and an extrinsic call's object
        // by its path; classic keeps the lines the module always wrote.
        bool strict = strict_profile();
        text_owner object{strict && !call.intrinsic ? object_header_text(target)
                                                    : createCharFromCIMString(getObjectPathNameSpace(target))};
        text_owner method{strict ? createCharFromWide(call.method) : nullptr};
        request = frame(body.text, withoutHeader, [&](std::size_t length) {
            return build_cimRequest_header(strict ? method.text : call.headerMethod, object.text, length, 0);
        });
    }
    if (request == nullptr) log_failure(call.encoder, " - failed.");
    return request;
}

char *frame_export_request(const char *encoder, const char *methodName, const CIMPropertyList *parameters,
                           int withoutHeader) {
    CIMString *name = createCIMStringFromChar(methodName);
    text_owner body{cim_simpleexpreq_toxml(name, parameters)};
    freeCIMString(name);
    if (body.text == nullptr) {
        log_failure(encoder, " - Could not encode the request body.");
        return nullptr;
    }
    bool headerFailed = false;
    char *request = frame(body.text, withoutHeader, [&](std::size_t length) {
        char *header = build_cimexpRequest_header(methodName, length, 0);
        headerFailed = header == nullptr;
        return header;
    });
    if (headerFailed) log_failure(encoder, " - Could not build the request header.");
    return request;
}

namespace {

// Appends the path text of object_header_text, before its escaping.
void append_path_text(std::string &out, const CIMObjectPath *path);

void append_quoted(std::string &out, const std::string &text) {
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    out += '"';
}

void append_key_value(std::string &out, const CIMValue *value) {
    int type = getCIMValueType(value);
    if (type == CIM_REFERENCE) {
        std::string inner;
        append_path_text(inner, static_cast<const CIMObjectPath *>(cim_value_content(value)));
        append_quoted(out, inner);
        return;
    }
    text_owner text{getCharFromCIMValue(value)};
    std::string plain = text.text ? text.text : "";
    if (type == CIM_STRING || type == CIM_DATETIME || type == CIM_CHAR16)
        append_quoted(out, plain);
    else
        out += plain;
}

void append_path_text(std::string &out, const CIMObjectPath *path) {
    text_owner nameSpace{createCharFromCIMString(getObjectPathNameSpace(path))};
    text_owner className{createCharFromCIMString(getObjectPathName(path))};
    if (nameSpace.text) out.append(nameSpace.text).append(":");
    if (className.text) out.append(className.text);
    const char *separator = ".";
    for (CIMListNode *node = getFirstCIMProperty(getObjectPathKeys(path)); node; node = getNextCIMProperty(node)) {
        const CIMProperty *key = getCurrentCIMProperty(node);
        text_owner name{createCharFromCIMString(propertyGetName(key))};
        out.append(separator).append(name.text ? name.text : "").append("=");
        append_key_value(out, propertyGetValue(key));
        separator = ",";
    }
}

}  // namespace

char *object_header_text(const CIMObjectPath *path) {
    std::string text;
    append_path_text(text, path);
    static const char safe[] = "-_.~/:=,\"'";
    static const char hex[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : text) {
        if (std::isalnum(c) || (c != '\0' && std::strchr(safe, c))) {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += hex[c >> 4];
            escaped += hex[c & 15];
        }
    }
    return joined_fragment({escaped});
}

CIMObjectPath *class_and_namespace(const char *encoder, const CIMObjectPath *path) {
    CIMString *className = copyCIMString(getObjectPathName(path));
    CIMObjectPath *fresh = newObjectPathWithName(className);
    if (fresh == nullptr) {
        freeCIMString(className);
        log_failure(encoder, " - setObjectPathName failed.");
        return nullptr;
    }
    removePseudoClassName(fresh);
    CIMString *nameSpace = copyCIMString(getObjectPathNameSpace(path));
    if (nameSpace != nullptr && !setObjectPathNameSpace(fresh, nameSpace)) {
        freeCIMString(nameSpace);
        freeCIMObjectPath(fresh);
        log_failure(encoder, " - setObjectPathName failed.");
        return nullptr;
    }
    return fresh;
}

}  // namespace client_requests
