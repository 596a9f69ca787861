// status_codes.cpp - the CIM status codes the module knows (1..17).
#include "cimxml_common/status_codes.h"

int statusCodeFromName(const char *name) {
    if (name == nullptr) return CIM_ERR_FAILED;
    for (int code = CIM_ERR_FAILED; code <= CIM_ERR_METHOD_NOT_FOUND; ++code)
        if (local_strcasecmp(name, cimStatusCodeName(code)) == 0) return code;
    return CIM_ERR_FAILED;
}

// New string the caller frees with freeCIMString; NULL only when memory is
// exhausted.
CIMString *statusCodeText(int code) {
    static constexpr const wchar_t *texts[] = {
        L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9",
        L"10", L"11", L"12", L"13", L"14", L"15", L"16", L"17"};
    static_assert(sizeof texts / sizeof texts[0] == CIM_ERR_METHOD_NOT_FOUND);
    return newCIMString(texts[isValidStatusCode(code) ? code - 1 : 0]);
}

int isValidStatusCode(int code) {
    return code >= CIM_ERR_FAILED && code <= CIM_ERR_METHOD_NOT_FOUND;
}
