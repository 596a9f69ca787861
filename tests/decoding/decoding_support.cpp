// decoding_support.cpp - helpers of the decoding tests.
#include "decoding/decoding_support.h"

#include <gc/gc.h>

#include "cimxml/last_error.h"
#include "common_handlers/parse_driver.h"

namespace decoding {

void MessageDataDeleter::operator()(MessageData *msgData) const { freeMessageData(msgData); }

Message parse(const std::string &document) { return Message(cimxmlParseMessage(document.c_str())); }

std::string request(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n" +
           body + "</MESSAGE>\n</CIM>\n";
}

std::string intrinsic(const std::string &name, const std::string &nameSpace, const std::string &params) {
    std::string path = "<LOCALNAMESPACEPATH>";
    std::size_t start = 0;
    while (start <= nameSpace.size() && !nameSpace.empty()) {
        std::size_t slash = nameSpace.find('/', start);
        std::string part = nameSpace.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        path += "<NAMESPACE NAME=\"" + part + "\"/>";
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    path += "</LOCALNAMESPACEPATH>\n";
    return request("<SIMPLEREQ>\n<IMETHODCALL NAME=\"" + name + "\">\n" + path + params +
                   "</IMETHODCALL>\n</SIMPLEREQ>\n");
}

std::string narrow(const CIMString *text) {
    if (!text || !getCIMStringBuffer(text)) return {};
    char *chars = createCharFromCIMString(text);
    std::string result = chars ? chars : "";
    GC_free(chars);
    return result;
}

std::string narrow_or_null(const CIMString *text) {
    if (!text || !getCIMStringBuffer(text)) return "(null)";
    return narrow(text);
}

void mark_last_error() {
    ReturnCode *marker = newReturnCode(0, L"unchanged");
    cimxml_setlasterror(marker);
    freeReturnCode(marker);
}

std::string last_error() {
    ReturnCode *rc = cimxml_getlasterror();
    if (!rc) return "(none)";
    std::string description = narrow_or_null(getReturnCodeDescription(rc));
    int code = getErrorFromRetCode(rc);
    freeReturnCode(rc);
    if (code == 0 && description == "unchanged") return "unchanged";
    return std::to_string(code) + ": " + description;
}

std::string method_name(const MessageData *msgData) {
    return msgData && msgData->method ? narrow_or_null(getMethodName(msgData->method)) : "(no method)";
}

std::vector<CIMProperty *> parameters(const MessageData *msgData) {
    std::vector<CIMProperty *> result;
    if (!msgData || !msgData->method) return result;
    CIMPropertyList *list = getMethodParameters(msgData->method);
    for (int i = 0; i < getCIMPropertyListLength(list); ++i) result.push_back(getCIMPropertyAt(list, i));
    return result;
}

CIMProperty *parameter(const MessageData *msgData, const std::string &name) {
    for (CIMProperty *p : parameters(msgData))
        if (narrow(propertyGetName(p)) == name) return p;
    return nullptr;
}

int value_type(const CIMValue *value) { return getCIMValueType(value); }

void *content(const CIMValue *value) {
    void *data = nullptr;
    freeReturnCode(getCIMValue(value, &data, nullptr));
    return data;
}

std::string string_value(const CIMValue *value) { return narrow_or_null(static_cast<CIMString *>(content(value))); }

int bool_value(const CIMValue *value) {
    auto *data = static_cast<int *>(content(value));
    return data ? *data : -1;
}

std::vector<CIMValue *> elements(const CIMValue *value) {
    std::vector<CIMValue *> result;
    auto *list = static_cast<CIMValueList *>(content(value));
    for (int i = 0; i < getCIMValueListLength(list); ++i) result.push_back(getCIMValueAt(list, i));
    return result;
}

std::string value_text(const CIMValue *value) {
    if (!value || isCIMValueNull(value)) return "(null)";
    char *text = getCharFromCIMValue(value);
    std::string result = text ? text : "(no text)";
    GC_free(text);
    return result;
}

std::vector<std::string> keys(const CIMObjectPath *path) {
    std::vector<std::string> result;
    CIMPropertyList *list = getObjectPathKeys(path);
    for (int i = 0; i < getCIMPropertyListLength(list); ++i) {
        CIMProperty *key = getCIMPropertyAt(list, i);
        CIMValue *value = propertyGetValue(key);
        std::string text;
        if (getCIMValueType(value) == CIM_REFERENCE) {
            auto *reference = static_cast<CIMObjectPath *>(content(value));
            text = "[ref " + narrow_or_null(getObjectPathName(reference)) + "]";
        } else {
            text = value_text(value);
        }
        result.push_back(narrow(propertyGetName(key)) + "=" + text);
    }
    return result;
}

}  // namespace decoding
