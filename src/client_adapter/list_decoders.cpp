// list_decoders.cpp - the decoders whose results are lists: the
// enumerations, ExecQuery, the association operations and the qualifier
// enumeration.
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

}  // namespace

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
