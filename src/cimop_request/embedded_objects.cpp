// embedded_objects.cpp - decoding of instances and classes carried as text.
#include "cimop_request/embedded_objects.h"

#include <cstring>
#include <string>

#include "cimop_request/request_routing.h"
#include "cimxml_common/error_reporting.h"
#include "cimxml_common/last_error.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/xml_primitives.h"

namespace {

// Synthetic messages being decoded on this thread, one inside the other.
thread_local int tEmbeddedDepth = 0;
// The namespace of the message whose embedded objects this thread decodes
// (lent from its target path while they are decoded). The synthetic
// messages of deeper levels carry a placeholder namespace of their own.
thread_local const CIMString *tOutermostNamespace = nullptr;

struct OutermostNamespace {
    const CIMString *saved = tOutermostNamespace;
    explicit OutermostNamespace(const CIMString *nameSpace) {
        if (tEmbeddedDepth == 0) tOutermostNamespace = nameSpace;
    }
    ~OutermostNamespace() { tOutermostNamespace = saved; }
    OutermostNamespace(const OutermostNamespace &) = delete;
    OutermostNamespace &operator=(const OutermostNamespace &) = delete;
};

struct DepthGuard {
    DepthGuard() { ++tEmbeddedDepth; }
    ~DepthGuard() { --tEmbeddedDepth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;
};

// Texts the object parsers log, each with the source file and line.
struct ParseTexts {
    const wchar_t *nullParameter;
    const wchar_t *parseFailed;
    const wchar_t *failed;
};

// The content of the value of the first parameter named name (caseless),
// lent, when the value has the expected type; NULL otherwise. The type check
// keeps a parameter that decoded to another kind of object from being taken
// for the one asked for.
void *parameter_content(const CIMPropertyList *parameters, const wchar_t *name, int expectedType) {
    const CIMValue *value = propertyGetValue(findCIMProperty(parameters, name));
    if (getCIMValueType(value) != expectedType) return nullptr;
    void *content = nullptr;
    freeReturnCode(getCIMValue(value, &content, nullptr));
    return content;
}

// The common path of the three object parsers: decode text as the parameter
// parameterName and return a copy of its content.
template <typename Object>
Object *parse_embedded(const char *text, const char *parameterName, const wchar_t *wideName, int expectedType,
                       Object *(*copy)(const Object *), const ParseTexts &texts) {
    if (!text) {
        cimPrintMessage(CIM_LOG_ERROR, texts.nullParameter, __FILE_NAME__, __LINE__);
        return nullptr;
    }
    MessageData *msgData = cimxmlParseObject(text, parameterName);
    if (!msgData) {
        if (ReturnCode *error = cimxml_getlasterror()) {
            cimPrintRetCode(CIM_LOG_ERROR, error);
            freeReturnCode(error);
        } else {
            cimPrintMessage(CIM_LOG_ERROR, texts.parseFailed, __FILE_NAME__, __LINE__);
        }
        return nullptr;
    }
    CIMPropertyList *parameters = msgData->method ? getMethodParameters(msgData->method) : nullptr;
    CIMPropertyList *copied = parameters ? copyCIMPropertyList(parameters) : nullptr;
    auto *content = static_cast<Object *>(copied ? parameter_content(copied, wideName, expectedType) : nullptr);
    Object *result = content ? copy(content) : nullptr;
    if (!result) cimPrintMessage(CIM_LOG_ERROR, texts.failed, __FILE_NAME__, __LINE__);
    freeCIMPropertyList(copied);
    freeMessageData(msgData);
    return result;
}

}  // namespace

int embeddedObjectDepth() { return tEmbeddedDepth; }

int isEmbeddedObjectText(const char *text) {
    if (!text) return 0;
    static const char *const markers[] = {"<INSTANCE", "</INSTANCE>", "<CLASS", "</CLASS>"};
    for (const char *marker : markers)
        if (std::strstr(text, marker)) return 1;
    return 0;
}

char *unescapeQuotes(const char *text) {
    if (!text) return nullptr;
    std::size_t length = std::strlen(text);
    auto *result = static_cast<char *>(CIMXML_MALLOC(length + 1, 1, CIMXML_ATOMIC));
    if (!result) return nullptr;
    std::size_t n = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\\' && text[i + 1] == '"') continue;
        result[n++] = text[i];
    }
    result[n] = '\0';
    return result;
}

MessageData *cimxmlParseObject(const char *text, const char *parameterName) {
    if (!text || !parameterName) {
        reportOperationFailure(CIM_LOG_ERROR, "cimxmlParseObject failed - Null parameter(s).", 1);
        return nullptr;
    }
    if (!isEmbeddedObjectText(text)) {
        cimPrintMessage(CIM_LOG_ERROR,
                        L"cimxmlParseObject failed - This format is not supported for embedded objects, %s, %d.",
                        __FILE_NAME__, __LINE__);
        return nullptr;
    }
    char *object = unescapeQuotes(text);
    if (!object) {
        cimPrintMessage(CIM_LOG_ERROR, L"cimxmlParseObject failed - Insufficient memory while formatting quotes");
        return nullptr;
    }
    char *head = message_head_toxml(nullptr);
    char *tail = message_tail_toxml();
    if (!head || !tail) {
        cimxml_free(object, CIMXML_ATOMIC);
        cimxml_free(head, CIMXML_ATOMIC);
        cimxml_free(tail, CIMXML_ATOMIC);
        reportOperationFailure(CIM_LOG_ERROR, "cimxmlParseObject failed - Could not build the message.", 1);
        return nullptr;
    }

    // The object as the only parameter of a call: decoded as a request is.
    std::string message = std::string(head) +
                          "<SIMPLEREQ>\n"
                          "<IMETHODCALL NAME=\"Null\">\n"
                          "<LOCALNAMESPACEPATH>\n"
                          "<NAMESPACE NAME=\"Null\" />\n"
                          "</LOCALNAMESPACEPATH>\n"
                          "<IPARAMVALUE NAME=\"" +
                          parameterName + "\">\n" + object +
                          "</IPARAMVALUE>\n"
                          "</IMETHODCALL>\n"
                          "</SIMPLEREQ>\n" +
                          tail;
    cimxml_free(object, CIMXML_ATOMIC);
    cimxml_free(head, CIMXML_ATOMIC);
    cimxml_free(tail, CIMXML_ATOMIC);
    cimPrintMessage(CIM_LOG_TRACE, L"%s", message.c_str());
    DepthGuard depth;
    return cimxmlParseMessage(message.c_str(), &cimxml_request_handlers);
}

CIMInstance *cimxmlParseInstance(const char *text) {
    static const ParseTexts texts = {L"cimxmlParseInstance failed - Null parameter(s), %s, %d.",
                                     L"cimxmlParseInstance: cimxmlParaseObject failed, %s, %d.",
                                     L"cimxmlParseInstance failed - %s, %d."};
    return parse_embedded<CIMInstance>(text, "NewInstance", L"NewInstance", CIM_OBJECT, copyCIMInstance, texts);
}

CIMClass *cimxmlParseClass(const char *text) {
    static const ParseTexts texts = {L"cimxmlParseClass failed - Null parameter(s), %s, %d.",
                                     L"cimxmlParseClass: cimxmlParaseObject failed, %s, %d.",
                                     L"cimxmlParseClass failed - %s, %d."};
    return parse_embedded<CIMClass>(text, "NewClass", L"NewClass", CIM_CLASS, copyCIMClass, texts);
}

CIMObjectPath *cimxmlParseObjectPath(const char *text) {
    static const ParseTexts texts = {L"cimxmlParseObjectPath failed - Null parameter(s), %s, %d.",
                                     L"cimxmlParseObjectPath: cimxmlParaseObject failed, %s, %d.",
                                     L"cimxmlParseObjectPath failed - %s, %d."};
    return parse_embedded<CIMObjectPath>(text, "ObjectName", L"ObjectName", CIM_REFERENCE, copyObjectPath, texts);
}

namespace {

// The value of type that holds an embedded instance or class just parsed
// (NULL: it did not parse, which is logged); it takes nameSpace when it
// names none. The object is the value's, or freed.
template <class Object>
CIMValue *embedded_value(Object *object, int type, const CIMString *nameSpace,
                         CIMString *(*nameSpaceOf)(const Object *), int (*setNameSpace)(Object *, CIMString *),
                         void (*release)(Object *)) {
    if (!object) {
        cimPrintMessage(CIM_LOG_ERROR, L"getEmbeddedObjectValue - Could not parse embedded object string.");
        return nullptr;
    }
    if (isEmptyCIMString(nameSpaceOf(object)) && nameSpace) {
        CIMString *copy = copyCIMString(nameSpace);
        if (copy && !setNameSpace(object, copy)) freeCIMString(copy);
    }
    CIMValue *value = newCIMValue(type, object);
    if (!value) release(object);
    return value;
}

}  // namespace

CIMValue *getEmbeddedObjectValue(const CIMObjectPath *contextPath, int type, const char *text) {
    const CIMString *nameSpace = getObjectPathNameSpace(contextPath);
    // Classic gives an object nested deeper than one level the placeholder
    // namespace of the synthetic message around it.
    if (tEmbeddedDepth > 0 && strict_profile()) nameSpace = tOutermostNamespace;
    OutermostNamespace outermost(nameSpace);
    if (!isEmbeddedObjectText(text)) {
        cimPrintMessage(CIM_LOG_ERROR, L"getEmbeddedObjectValue - Embedded object string is of wrong format.");
        return nullptr;
    }
    if (type != CIM_OBJECT && type != CIM_CLASS) return nullptr;
    if (embeddedObjectDepth() >= kMaxEmbeddedObjectDepth) {
        REPORT_DECODING_TEXT("getEmbeddedObjectValue - Embedded objects nested deeper than 32 levels.");
        return nullptr;
    }

    if (type == CIM_OBJECT)
        return embedded_value(cimxmlParseInstance(text), CIM_OBJECT, nameSpace, getInstanceNameSpace,
                              setInstanceNameSpace, freeCIMInstance);
    return embedded_value(cimxmlParseClass(text), CIM_CLASS, nameSpace, getClassNameSpace, setClassNameSpace,
                          freeCIMClass);
}
