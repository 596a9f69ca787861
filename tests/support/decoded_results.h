// decoded_results.h - what a client decoder gives, as one text:
// "status[: description]|results". Header-only: only suites that link the
// client functions include it.
#pragma once

#include <cimxml/cimxml_client.h>

#include <functional>
#include <string>

#include "support/cimom_double.h"
#include "support/object_builders.h"

namespace testsupport {

using DecodedText = std::function<std::string(const char *response)>;

// "0", or "code: description"; the record is freed.
inline std::string outcome(ReturnCode *rc) {
    std::string text = std::to_string(getErrorFromRetCode(rc));
    if (getReturnCodeDescription(rc)) text += ": " + narrowText(getReturnCodeDescription(rc));
    freeReturnCode(rc);
    return text;
}

// The object's text ("(null)" for none); the object is freed.
template <typename T, typename Text>
std::string taken(T *object, Text text) {
    fixtures::Owned<T> owner(object);
    return object ? text(object) : "(null)";
}

// A single-object decoder: its outcome and its object's text.
template <typename T, typename Decode, typename Text>
DecodedText single(Decode decode, Text text) {
    return [=](const char *response) {
        T *result = nullptr;
        std::string status = outcome(decode(response, &result));
        return status + "|" + taken(result, text);
    };
}
// A list decoder, given no list or a new list of listType: its outcome and its list's text.
template <typename Decode, typename Text>
DecodedText listed(Decode decode, Text text, int listType = -1) {
    return [=](const char *response) {
        CIMList *result = listType < 0 ? nullptr : newList(listType);
        std::string status = outcome(decode(response, &result));
        return status + "|" + taken(result, text);
    };
}
// A status-only decoder: its outcome, and no results.
template <typename Decode>
DecodedText status_only(Decode decode) {
    return [=](const char *response) { return outcome(decode(response)) + "|(null)"; };
}

}  // namespace testsupport
