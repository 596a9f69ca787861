// object_decoders.cpp - the decoders whose result is one object:
// CreateInstance, GetInstance, GetClass, GetQualifier, GetProperty, and the
// output of an extrinsic method call.
#include <cimxml/cimxml_client.h>

#include "client_adapter/decoder_support.h"

using namespace client_responses;

namespace {

// The content of the first return value when it is of type; every return
// value must be. NULL with *result set to the failure otherwise.
void *single_content(const decoder &d, const MessageData *message, int type, const char *wanted,
                     ReturnCode **result) {
    int count = return_value_count(message);
    for (int i = 0; i < count; ++i) {
        int found = getCIMValueType(return_value_at(message, i));
        if (found != type) {
            *result = failure(d, "the response holds " + kind_of(found) + " where " + wanted + " belongs.");
            return nullptr;
        }
    }
    void *content = nullptr;
    if (count > 0) freeReturnCode(getCIMValue(return_value_at(message, 0), &content, nullptr));
    if (!content) *result = failure(d, std::string("the response holds nothing where ") + wanted + " belongs.");
    return content;
}

// The frame of the single-object decoders: copy makes the caller's object
// from the content of the first return value of type.
template <typename T, typename Copy>
ReturnCode *decode_single(const char *response, const decoder &d, int type, const char *wanted, T **out,
                          Copy copy) {
    *out = nullptr;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    auto *content = static_cast<T *>(single_content(d, message.get(), type, wanted, &result));
    if (!content) return result;
    *out = copy(content);
    return *out ? success() : failure(d, "memory is exhausted.");
}

}  // namespace

ReturnCode *CIMXMLdecode_createInstance(const char *response, CIMObjectPath **instancePath) {
    static const decoder d{"CIMXMLdecode_createInstance", "CreateInstance", answer_kind::intrinsic};
    return decode_single(response, d, CIM_REFERENCE, "a path", instancePath, copyObjectPath);
}

ReturnCode *CIMXMLdecode_getInstance(const char *response, CIMInstance **instance) {
    static const decoder d{"CIMXMLdecode_getInstance", "GetInstance", answer_kind::intrinsic};
    return decode_single(response, d, CIM_OBJECT, "an instance", instance, copyCIMInstance);
}

ReturnCode *CIMXMLdecode_getClass(const char *response, CIMClass **cimClass) {
    static const decoder d{"CIMXMLdecode_getClass", "GetClass", answer_kind::intrinsic};
    return decode_single(response, d, CIM_CLASS, "a class", cimClass, copyCIMClass);
}

ReturnCode *CIMXMLdecode_getQualifier(const char *response, CIMQualifierType **declaration) {
    static const decoder d{"CIMXMLdecode_getQualifier", "GetQualifier", answer_kind::intrinsic};
    *declaration = nullptr;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    if (return_value_count(message.get()) > 0)
        return failure(d, "the response holds " + kind_of(getCIMValueType(return_value_at(message.get(), 0))) +
                              " where a qualifier declaration belongs.");
    const CIMQualifierType *found = getCIMQualifierTypeAt(message->qualifierTypes, 0);
    if (!found) return failure(d, "the response holds nothing where a qualifier declaration belongs.");
    *declaration = copyQualifierType(found);
    return *declaration ? success() : failure(d, "memory is exhausted.");
}

// A property's value comes back as the response carries it; an empty
// IRETURNVALUE is the value of a NULL property.
ReturnCode *CIMXMLdecode_getProperty(const char *response, CIMValue **value) {
    static const decoder d{"CIMXMLdecode_getProperty", "GetProperty", answer_kind::intrinsic};
    *value = nullptr;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    if (!message->returnValues) return failure(d, "Value list is NULL.");
    if (return_value_count(message.get()) == 0) return success();
    *value = copyCIMValue(return_value_at(message.get(), 0));
    return *value ? success() : failure(d, "memory is exhausted.");
}

ReturnCode *CIMXMLdecode_invokeMethod(const char *response, CIMPropertyList **outParameters,
                                      CIMValue **returnValue) {
    static const decoder d{"CIMXMLdecode_invokeMethod", "InvokeMethod", answer_kind::extrinsic};
    *outParameters = nullptr;
    *returnValue = nullptr;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    CIMValue *returned = return_value_at(message.get(), 0);
    *outParameters = message->outParameters ? copyCIMPropertyList(message->outParameters) : nullptr;
    *returnValue = returned ? copyCIMValue(returned) : nullptr;
    if ((message->outParameters && !*outParameters) || (returned && !*returnValue)) {
        freeCIMPropertyList(*outParameters);
        freeCIMValue(*returnValue);
        *outParameters = nullptr;
        *returnValue = nullptr;
        return failure(d, "memory is exhausted.");
    }
    return success();
}
