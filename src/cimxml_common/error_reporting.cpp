// error_reporting.cpp - the three ways the module records a failure as the
// thread's last error.
#include "cimxml_common/error_reporting.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "cimxml_common/last_error.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_common/status_codes.h"

namespace {

// Stores a new ReturnCode (code, narrow description) as the last error and
// hands it to log (when given); the record is freed afterwards. A
// description that cannot be converted leaves the record without one.
void record_error(int code, const char *description, void (*log)(const ReturnCode *)) {
    wchar_t *wide = createWideFromChar(description);
    ReturnCode *rc = newReturnCode(code, wide);
    cimxml_free(wide, CIMXML_ATOMIC);
    if (rc == nullptr) return;
    cimxml_setlasterror(rc);
    if (log != nullptr) log(rc);
    freeReturnCode(rc);
}

// One of the two decoding texts that carry the place of detection, filled
// in with it. Only these fixed formats are ever used, never caller text.
std::string with_place(bool allocation, const char *file, int line) {
    if (file == nullptr) file = "unknown";
    auto format = [&](char *out, std::size_t size) {
        return allocation ? std::snprintf(out, size, CIMXML_ALLOCATION_ERROR_TEXT, file, line)
                          : std::snprintf(out, size, CIMXML_DECODING_ERROR_TEXT, file, line);
    };
    int length = format(nullptr, 0);
    if (length < 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    format(text.data(), text.size());
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

// Stores a copy of rc as the last error and logs it; the caller keeps rc.
void reportReturnCode(const ReturnCode *rc) {
    if (rc == nullptr) return;
    cimxml_setlasterror(rc);
    logReturnCode(rc);
}

void reportObjectManagerStatus(const ReturnCode *rc) {
    if (rc == nullptr) return;
    cimxml_setlasterror(rc);
    cimPrintRetCode(objectManagerStatusLevel(), rc);
}

int objectManagerStatusLevel() { return strict_profile() ? CIM_LOG_INFO : CIM_LOG_ERROR; }

// Records (status, text) as the last error and logs the text at level.
void reportOperationFailure(int level, const char *text, int status) {
    int code = isValidStatusCode(status) ? status : CIM_ERR_FAILED;
    const char *description = text != nullptr ? text : " Requested operation failed.";
    record_error(code, description, nullptr);
    cimPrintMessage(level, L"%s", description);
}

// Records (1, text) as the last error and logs it; see the header for the
// texts that are filled in with file and line.
void reportDecodingError(const char *text, const char *file, int line) {
    if (text == nullptr) {
        record_error(CIM_ERR_FAILED, "CIMXML operation failed.", logReturnCode);
    } else if (std::strcmp(text, CIMXML_DECODING_ERROR_TEXT) == 0) {
        record_error(CIM_ERR_FAILED, with_place(false, file, line).c_str(), logReturnCode);
    } else if (std::strcmp(text, CIMXML_ALLOCATION_ERROR_TEXT) == 0) {
        record_error(CIM_ERR_FAILED, with_place(true, file, line).c_str(), logReturnCode);
    } else {
        record_error(CIM_ERR_FAILED, text, logReturnCode);
    }
}
