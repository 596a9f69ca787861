// status_codes.cpp - the CIM status codes the module knows (1..17).
#include "cimxml_common/status_codes.h"

namespace {

// Index i holds the name of code i + 1.
constexpr const char *status_names[] = {
    "CIM_ERR_FAILED",
    "CIM_ERR_ACCESS_DENIED",
    "CIM_ERR_INVALID_NAMESPACE",
    "CIM_ERR_INVALID_PARAMETER",
    "CIM_ERR_INVALID_CLASS",
    "CIM_ERR_NOT_FOUND",
    "CIM_ERR_NOT_SUPPORTED",
    "CIM_ERR_CLASS_HAS_CHILDREN",
    "CIM_ERR_CLASS_HAS_INSTANCES",
    "CIM_ERR_INVALID_SUPERCLASS",
    "CIM_ERR_ALREADY_EXISTS",
    "CIM_ERR_NO_SUCH_PROPERTY",
    "CIM_ERR_TYPE_MISMATCH",
    "CIM_ERR_QUERY_LANGUAGE_NOT_SUPPORTED",
    "CIM_ERR_INVALID_QUERY",
    "CIM_ERR_METHOD_NOT_AVAILABLE",
    "CIM_ERR_METHOD_NOT_FOUND",
};

constexpr int status_count = sizeof status_names / sizeof status_names[0];
static_assert(status_count == CIM_ERR_METHOD_NOT_FOUND);

}  // namespace

int statusCodeFromName(const char *name) {
    if (name == nullptr) return CIM_ERR_FAILED;
    for (int i = 0; i < status_count; ++i)
        if (local_strcasecmp(name, status_names[i]) == 0) return i + 1;
    return CIM_ERR_FAILED;
}

// New string the caller frees with freeCIMString; NULL only when memory is
// exhausted.
CIMString *statusCodeText(int code) {
    static constexpr const wchar_t *texts[] = {
        L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9",
        L"10", L"11", L"12", L"13", L"14", L"15", L"16", L"17"};
    static_assert(sizeof texts / sizeof texts[0] == status_count);
    return newCIMString(texts[isValidStatusCode(code) ? code - 1 : 0]);
}

int isValidStatusCode(int code) {
    return code >= CIM_ERR_FAILED && code <= CIM_ERR_METHOD_NOT_FOUND;
}
