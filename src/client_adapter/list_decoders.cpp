// list_decoders.cpp - the decoders whose results are lists: the
// enumerations, ExecQuery, the association operations and the qualifier
// enumeration.
#include <cstdint>
#include <cwchar>
#include <string>
#include <utility>

#include <cimxml/cimxml_client.h>

#include "client_adapter/decoder_support.h"
#include "client_adapter/list_items.h"

using namespace client_responses;

namespace {

// Moves the object of every return value to *list (made when NULL). Every
// value must be of the kind: the first one that is not fails the whole
// decode, before anything is moved.
ReturnCode *deliver(const decoder &d, MessageData *message, CIMList **list, const list_kind &kind) {
    int count = return_value_count(message);
    for (int i = 0; i < count; ++i)
        if (ReturnCode *wrong = misfit(d, return_value_at(message, i), kind)) return wrong;
    if (!*list) *list = newList(kind.listType);
    for (int i = 0; *list && i < count; ++i) {
        void *item = item_of(return_value_at(message, i), kind);
        if (!item || !isSuccessfulFree(appendToList(*list, item))) {
            if (item) free_item(item, kind);
            return failure(d, "memory is exhausted.");
        }
    }
    return *list ? success() : failure(d, "memory is exhausted.");
}

// The frame of every list decoder: an error empties the caller's list.
ReturnCode *decode_list(const char *response, const decoder &d, CIMList **list, const list_kind &kind) {
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (message) {
        if (*list && getListType(*list) != kind.listType)
            result = failure(d, "the list given holds other items than the results.");
        else
            result = deliver(d, message.get(), list, kind);
    }
    if (getErrorFromRetCode(result) != 0) drop_list(list);
    return result;
}

// The kind of objects the caller asks for by its list, or, without a list,
// the kind the response holds (instances unless its first object is a class).
ReturnCode *decode_objects(const char *response, const decoder &d, CIMList **objects) {
    if (*objects)
        return decode_list(response, d, objects, getListType(*objects) == CIMLIST_CLASS ? class_items : instance_items);
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    result = deliver(d, message.get(), objects, objects_like(return_value_at(message.get(), 0)));
    if (getErrorFromRetCode(result) != 0) drop_list(objects);
    return result;
}

// The output parameter named name (caseless), lent; NULL without one.
const CIMProperty *output_named(const MessageData *message, const wchar_t *name) {
    int count = getCIMPropertyListLength(message->outParameters);
    for (int i = 0; i < count; ++i) {
        const CIMProperty *parameter = getCIMPropertyAt(message->outParameters, i);
        const wchar_t *given = getCIMStringBuffer(propertyGetName(parameter));
        if (given && local_wcscasecmp(given, name) == 0) return parameter;
    }
    return nullptr;
}

// EndOfSequence as a boolean, or as the text TRUE or FALSE when it came
// without PARAMTYPE: 1 or 0, -1 when absent or neither.
int end_of_sequence(const MessageData *message) {
    const CIMValue *value = propertyGetValue(output_named(message, L"EndOfSequence"));
    void *content = nullptr;
    int type = CIM_NULL;
    if (value == nullptr || isCIMValueNull(value) || !isSuccessfulFree(getCIMValue(value, &content, &type)))
        return -1;
    if (type == CIM_BOOLEAN) return *static_cast<int *>(content) ? 1 : 0;
    if (type != CIM_STRING) return -1;
    const wchar_t *buffer = getCIMStringBuffer(static_cast<CIMString *>(content));
    std::wstring text = buffer ? buffer : L"";
    std::size_t first = text.find_first_not_of(L" \t\r\n"), last = text.find_last_not_of(L" \t\r\n");
    text = first == std::wstring::npos ? std::wstring() : text.substr(first, last - first + 1);
    if (local_wcscasecmp(text.c_str(), L"TRUE") == 0) return 1;
    if (local_wcscasecmp(text.c_str(), L"FALSE") == 0) return 0;
    return -1;
}

// A piece of a pulled enumeration: its objects of the kind into *list, its
// EndOfSequence, and its EnumerationContext (a copy; NULL once ended).
ReturnCode *decode_piece(const char *response, const decoder &d, CIMList **list, const list_kind &kind,
                         CIMString **context, int *endOfSequence) {
    *context = nullptr;
    *endOfSequence = 0;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (message) {
        int ended = end_of_sequence(message.get());
        const CIMValue *value = propertyGetValue(output_named(message.get(), L"EnumerationContext"));
        void *content = nullptr;
        int type = CIM_NULL;
        bool hasContext = value && !isCIMValueNull(value) && isSuccessfulFree(getCIMValue(value, &content, &type)) &&
                          type == CIM_STRING;
        if (ended < 0)
            result = failure(d, "the response has no EndOfSequence of TRUE or FALSE.");
        else if (ended == 0 && !hasContext)
            result = failure(d, "the response goes on without an EnumerationContext.");
        else if (*list && getListType(*list) != kind.listType)
            result = failure(d, "the list given holds other items than the results.");
        else if (getErrorFromRetCode(result = deliver(d, message.get(), list, kind)) == 0) {
            *endOfSequence = ended;
            if (!ended) *context = copyCIMString(static_cast<CIMString *>(content));
        }
    }
    if (getErrorFromRetCode(result) != 0) drop_list(list);
    return result;
}

}  // namespace

#define CIMXML_PIECE_DECODER(function, operation, listType, kind)                                               \
    ReturnCode *function(const char *response, listType **objects, CIMString **context, int *endOfSequence) { \
        static const decoder d{#function, operation, answer_kind::intrinsic};                                 \
        return decode_piece(response, d, objects, kind, context, endOfSequence);                              \
    }

CIMXML_PIECE_DECODER(CIMXMLdecode_openEnumerateInstances, "OpenEnumerateInstances", CIMInstanceList, instance_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_openEnumerateInstancePaths, "OpenEnumerateInstancePaths", CIMObjectPathList,
                     path_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_openReferenceInstances, "OpenReferenceInstances", CIMInstanceList, instance_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_openReferenceInstancePaths, "OpenReferenceInstancePaths", CIMObjectPathList,
                     path_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_openAssociatorInstances, "OpenAssociatorInstances", CIMInstanceList, instance_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_openAssociatorInstancePaths, "OpenAssociatorInstancePaths", CIMObjectPathList,
                     path_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_openQueryInstances, "OpenQueryInstances", CIMInstanceList, instance_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_pullInstancesWithPath, "PullInstancesWithPath", CIMInstanceList, instance_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_pullInstancePaths, "PullInstancePaths", CIMObjectPathList, path_items)
CIMXML_PIECE_DECODER(CIMXMLdecode_pullInstances, "PullInstances", CIMInstanceList, instance_items)

ReturnCode *CIMXMLdecode_queryResultClass(const char *response, CIMClass **resultClass) {
    static const decoder d{"CIMXMLdecode_queryResultClass", "OpenQueryInstances", answer_kind::intrinsic};
    *resultClass = nullptr;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    const CIMProperty *parameter = output_named(message.get(), L"QueryResultClass");
    if (!parameter) return success();
    const CIMValue *value = propertyGetValue(parameter);
    void *content = nullptr;
    int type = CIM_NULL;
    if (!value || isCIMValueNull(value) || !isSuccessfulFree(getCIMValue(value, &content, &type)) || type != CIM_CLASS)
        return failure(d, "QueryResultClass holds no class.");
    *resultClass = copyCIMClass(static_cast<CIMClass *>(content));
    return *resultClass ? success() : failure(d, "memory is exhausted.");
}

ReturnCode *CIMXMLdecode_enumerationCount(const char *response, unsigned long long *count) {
    static const decoder d{"CIMXMLdecode_enumerationCount", "EnumerationCount", answer_kind::intrinsic};
    *count = 0;
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    const CIMValue *value = return_value_at(message.get(), 0);
    void *content = nullptr;
    int type = CIM_NULL;
    if (return_value_count(message.get()) != 1 || !value || isCIMValueNull(value) ||
        !isSuccessfulFree(getCIMValue(value, &content, &type)))
        return failure(d, "the response holds no count.");
    // Without a type the count comes as its decimal text.
    if (type == CIM_UINT64) {
        *count = *static_cast<std::uint64_t *>(content);
    } else if (type == CIM_STRING) {
        const wchar_t *text = getCIMStringBuffer(static_cast<CIMString *>(content));
        wchar_t *end = nullptr;
        unsigned long long number = text ? std::wcstoull(text, &end, 10) : 0;
        if (!text || end == text) return failure(d, "the count is not a number.");
        *count = number;
    } else {
        return failure(d, "the response holds " + kind_of(type) + " where a count belongs.");
    }
    return success();
}

ReturnCode *CIMXMLdecode_enumerateInstanceNames(const char *response, CIMObjectPathList **paths) {
    static const decoder d{"CIMXMLdecode_enumerateInstanceNames", "EnumerateInstanceNames", answer_kind::intrinsic};
    return decode_list(response, d, paths, path_items);
}

ReturnCode *CIMXMLdecode_enumerateInstances(const char *response, CIMInstanceList **found) {
    static const decoder d{"CIMXMLdecode_enumerateInstances", "EnumerateInstances", answer_kind::intrinsic};
    return decode_list(response, d, found, instance_items);
}

ReturnCode *CIMXMLdecode_enumerateClassNames(const char *response, CIMObjectPathList **classPaths) {
    static const decoder d{"CIMXMLdecode_enumerateClassNames", "EnumerateClassNames", answer_kind::intrinsic};
    return decode_list(response, d, classPaths, class_name_items);
}

ReturnCode *CIMXMLdecode_enumerateClasses(const char *response, CIMClassList **found) {
    static const decoder d{"CIMXMLdecode_enumerateClasses", "EnumerateClasses", answer_kind::intrinsic};
    return decode_list(response, d, found, class_items);
}

ReturnCode *CIMXMLdecode_associatorNames(const char *response, CIMObjectPathList **found) {
    static const decoder d{"CIMXMLdecode_associatorNames", "AssociatorNames", answer_kind::intrinsic};
    return decode_list(response, d, found, path_items);
}

ReturnCode *CIMXMLdecode_referenceNames(const char *response, CIMObjectPathList **found) {
    static const decoder d{"CIMXMLdecode_referenceNames", "ReferenceNames", answer_kind::intrinsic};
    return decode_list(response, d, found, path_items);
}

ReturnCode *CIMXMLdecode_execQuery(const char *response, CIMList **objects) {
    static const decoder d{"CIMXMLdecode_execQuery", "ExecQuery", answer_kind::intrinsic};
    return decode_objects(response, d, objects);
}

ReturnCode *CIMXMLdecode_associators(const char *response, CIMList **objects) {
    static const decoder d{"CIMXMLdecode_associators", "Associators", answer_kind::intrinsic};
    return decode_objects(response, d, objects);
}

ReturnCode *CIMXMLdecode_references(const char *response, CIMList **objects) {
    static const decoder d{"CIMXMLdecode_references", "References", answer_kind::intrinsic};
    return decode_objects(response, d, objects);
}

ReturnCode *CIMXMLdecode_enumerateQualifiers(const char *response, CIMQualifierTypeList **declarations) {
    static const decoder d{"CIMXMLdecode_enumerateQualifiers", "EnumerateQualifiers", answer_kind::intrinsic};
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (message) {
        if (return_value_count(message.get()) > 0) {
            result = failure(d, "the response holds " + kind_of(getCIMValueType(return_value_at(message.get(), 0))) +
                                    " where a qualifier declaration belongs.");
        } else if (*declarations && getListType(*declarations) != CIMLIST_QUALIFIERTYPE) {
            result = failure(d, "the list given holds other items than the results.");
        } else {
            // The declarations move to the caller, the whole list when it has none.
            if (!*declarations) std::swap(*declarations, message->qualifierTypes);
            if (!*declarations) *declarations = newCIMQualifierTypeList();
            bool complete = *declarations != nullptr;
            while (complete && getCIMQualifierTypeListLength(message->qualifierTypes) > 0) {
                CIMQualifierType *moved = getCIMQualifierTypeAt(message->qualifierTypes, 0);
                removeFromList(message->qualifierTypes, moved);
                complete = isSuccessfulFree(appendToCIMQualifierTypeList(*declarations, moved));
                if (!complete) freeQualifierType(moved);
            }
            result = complete ? success() : failure(d, "memory is exhausted.");
        }
    }
    if (getErrorFromRetCode(result) != 0) drop_list(declarations);
    return result;
}
