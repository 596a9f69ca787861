// client_error.cpp - CIM status names and one-line error messages.
#include "client_error.h"

#include <cimobj/cimobj_status.h>

namespace remote {

std::string cimStatusName(int code) {
    if (code == 0) return "CIM_ERR_OK";
    const char *name = cimStatusCodeName(code);
    return name != nullptr ? name : "CIM status " + std::to_string(code);
}

std::string oneLine(std::string text) {
    std::string out;
    for (char c : text) {
        bool lineBreak = c == '\r' || c == '\n';
        if (!lineBreak)
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
        out.pop_back();
    return out;
}

ClientError cimError(int code, const std::string &description) {
    std::string message = cimStatusName(code);
    // Named codes (1..17, and 20..28 of the pulled enumerations) with their number.
    if (code != 0 && cimStatusCodeName(code) != nullptr) message += " (" + std::to_string(code) + ")";
    std::string text = oneLine(description);
    if (!text.empty()) message += ": " + text;
    return ClientError(code >= 1 && code < exitUsage ? code : exitProtocol, message);
}

}  // namespace remote
