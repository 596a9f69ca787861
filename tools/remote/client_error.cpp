// client_error.cpp - CIM status names and one-line error messages.
#include "client_error.h"

#include <array>

namespace remote {

std::string cimStatusName(int code) {
    static const std::array<const char *, 18> names = {"CIM_ERR_OK",
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
                                                       "CIM_ERR_METHOD_NOT_FOUND"};
    if (code >= 1 && code < static_cast<int>(names.size())) return names[code];
    return "CIM status " + std::to_string(code);
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
    if (code >= 1 && code <= 17) message += " (" + std::to_string(code) + ")";
    std::string text = oneLine(description);
    if (!text.empty()) message += ": " + text;
    return ClientError(code >= 1 && code < exitUsage ? code : exitProtocol, message);
}

}  // namespace remote
