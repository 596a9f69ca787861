// status_codes.cpp - the CIM status codes the module knows: 1..17, and in
// the strict profile also 20..28 (those of namespaces and pulled
// enumerations).
#include "cimxml_common/status_codes.h"

#include <string>

#include "cimxml_common/profile.h"

int statusCodeFromName(const char *name) {
    if (name == nullptr) return CIM_ERR_FAILED;
    for (int code = CIM_ERR_FAILED; code <= CIM_ERR_SERVER_IS_SHUTTING_DOWN; ++code) {
        const char *known = isValidStatusCode(code) ? cimStatusCodeName(code) : nullptr;
        if (known != nullptr && local_strcasecmp(name, known) == 0) return code;
    }
    return CIM_ERR_FAILED;
}

// New string the caller frees with freeCIMString; NULL only when memory is
// exhausted.
CIMString *statusCodeText(int code) {
    return newCIMString(std::to_wstring(isValidStatusCode(code) ? code : CIM_ERR_FAILED).c_str());
}

int isValidStatusCode(int code) {
    if (code >= CIM_ERR_FAILED && code <= CIM_ERR_METHOD_NOT_FOUND) return 1;
    return strict_profile() && code >= CIM_ERR_NAMESPACE_NOT_EMPTY && code <= CIM_ERR_SERVER_IS_SHUTTING_DOWN ? 1 : 0;
}
