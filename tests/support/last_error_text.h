// last_error_text.h - the calling thread's last error as text, and a marker
// that tells whether a step recorded anything. Header-only: only suites
// that link the module include it.
#pragma once

#include <string>

#include "cimxml_common/last_error.h"
#include "support/cimom_double.h"

namespace testsupport {

// Stores code and description as the thread's last error.
inline void setLastError(int code, const std::string &description) {
    CIMString *text = createCIMStringFromChar(description.c_str());
    ReturnCode *error = newReturnCode(code, getCIMStringBuffer(text));
    cimxml_setlasterror(error);
    freeReturnCode(error);
    freeCIMString(text);
}

// The thread's last error as "code: description" ("code" alone without a
// description, "(none)" when the thread has none).
inline std::string lastError() {
    ReturnCode *error = cimxml_getlasterror();
    if (error == nullptr) return "(none)";
    std::string text = std::to_string(getErrorFromRetCode(error));
    if (CIMString *description = getReturnCodeDescription(error)) text += ": " + narrowText(description);
    freeReturnCode(error);
    return text;
}

// The marker a test sets before a step and finds again when the step recorded nothing.
inline const std::string unchanged = "0: unchanged";
inline void markLastError() { setLastError(0, "unchanged"); }

}  // namespace testsupport
