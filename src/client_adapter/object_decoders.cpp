// object_decoders.cpp - the decoders whose result is one object:
// CreateInstance, GetInstance, GetClass, GetQualifier, GetProperty, and the
// output of an extrinsic method call.
#include <cimxml/cimxml_client.h>

#include "client_adapter/decoder_support.h"

using namespace client_responses;

namespace {

// The frame of the single-object decoders: the first return value, of
// type, gives the caller its object; every return value must be of type.
template <typename T>
ReturnCode *decode_single(const char *response, const decoder &d, int type, const char *wanted, T **out) {
    *out = nullptr;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    int count = return_value_count(message.get());
    for (int i = 0; i < count; ++i) {
        int found = getCIMValueType(return_value_at(message.get(), i));
        if (found != type) return failure(d, "the response holds " + kind_of(found) + " where " + wanted + " belongs.");
    }
    *out = count > 0 ? static_cast<T *>(take_content(return_value_at(message.get(), 0))) : nullptr;
    return *out ? success() : failure(d, std::string("the response holds nothing where ") + wanted + " belongs.");
}

// Takes item out of list (its first node, found at once); the caller owns it.
template <typename T>
T *taken_from(CIMList *list, T *item) {
    if (item) removeFromList(list, item);
    return item;
}

}  // namespace

ReturnCode *CIMXMLdecode_createInstance(const char *response, CIMObjectPath **instancePath) {
    static const decoder d{"CIMXMLdecode_createInstance", "CreateInstance", answer_kind::intrinsic};
    return decode_single(response, d, CIM_REFERENCE, "a path", instancePath);
}

ReturnCode *CIMXMLdecode_getInstance(const char *response, CIMInstance **instance) {
    static const decoder d{"CIMXMLdecode_getInstance", "GetInstance", answer_kind::intrinsic};
    return decode_single(response, d, CIM_OBJECT, "an instance", instance);
}

ReturnCode *CIMXMLdecode_getClass(const char *response, CIMClass **cimClass) {
    static const decoder d{"CIMXMLdecode_getClass", "GetClass", answer_kind::intrinsic};
    return decode_single(response, d, CIM_CLASS, "a class", cimClass);
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
    *declaration = taken_from(message->qualifierTypes, getCIMQualifierTypeAt(message->qualifierTypes, 0));
    return *declaration ? success() : failure(d, "the response holds nothing where a qualifier declaration belongs.");
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
    *value = taken_from(message->returnValues, return_value_at(message.get(), 0));
    return success();
}

ReturnCode *CIMXMLdecode_invokeMethod(const char *response, CIMPropertyList **outParameters, CIMValue **returnValue) {
    static const decoder d{"CIMXMLdecode_invokeMethod", "InvokeMethod", answer_kind::extrinsic};
    *outParameters = nullptr;
    *returnValue = nullptr;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    *outParameters = message->outParameters;
    message->outParameters = nullptr;
    *returnValue = taken_from(message->returnValues, return_value_at(message.get(), 0));
    return success();
}
