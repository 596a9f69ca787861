// return_code.cpp - ReturnCode: a status code and an optional description.
#include <cstring>
#include <string>

#include "internal.h"

namespace {

// The one success record the library hands out: status 0 without text,
// never freed. It lies in read-only memory, so a caller that writes into a
// record it did not make fails at once instead of changing every success.
const ReturnCode kSuccess = {0, nullptr};

bool isShared(const ReturnCode *rc) { return rc == &kSuccess; }

}  // namespace

namespace cimobj {

ReturnCode *statusOnly(int code) {
    if (code == 0) return const_cast<ReturnCode *>(&kSuccess);
    return newReturnCode(code, nullptr);
}

ReturnCode *statusWithText(int code, const char *text) {
    ReturnCode *rc = allocRecord<ReturnCode>();
    if (!rc) return nullptr;
    rc->rc = code;
    if (text) {
        rc->description = createCIMStringFromChar(text);
        if (!rc->description) {
            std::free(rc);
            return nullptr;
        }
    }
    return rc;
}

}  // namespace cimobj

extern "C" {

/* New record with code and a copy of description (NULL: no description).
 * NULL when memory is exhausted. */
ReturnCode *newReturnCode(int code, const wchar_t *description) {
    ReturnCode *rc = cimobj::allocRecord<ReturnCode>();
    if (!rc) return nullptr;
    rc->rc = code;
    if (description) {
        rc->description = newCIMString(description);
        if (!rc->description) {
            std::free(rc);
            return nullptr;
        }
    }
    return rc;
}

/* Deep copy; NULL in, NULL out (also when memory is exhausted). */
ReturnCode *copyReturnCode(const ReturnCode *rc) {
    if (!rc) return nullptr;
    if (isShared(rc)) return const_cast<ReturnCode *>(rc);
    ReturnCode *copy = cimobj::allocRecord<ReturnCode>();
    if (!copy) return nullptr;
    copy->rc = rc->rc;
    if (!cimobj::copyOptionalString(rc->description, &copy->description)) {
        std::free(copy);
        return nullptr;
    }
    return copy;
}

void freeReturnCode(ReturnCode *rc) {
    if (!rc || isShared(rc)) return;
    freeCIMString(rc->description);
    std::free(rc);
}

int getErrorFromRetCode(const ReturnCode *rc) { return rc ? rc->rc : 1; }

CIMString *getReturnCodeDescription(const ReturnCode *rc) {
    return rc ? rc->description : nullptr;
}

int isSuccessfulFree(ReturnCode *rc) {
    int ok = (rc && rc->rc == 0) ? 1 : 0;
    freeReturnCode(rc);
    return ok;
}

/* "status <code>: <description>", or "status <code>" without description. */
void cimPrintRetCode(int level, const ReturnCode *rc) {
    if (level > cimGetLogLevel()) return;
    if (!rc) {
        cimPrintMessage(level, L"status record missing");
    } else if (rc->description && rc->description->buffer) {
        cimPrintMessage(level, L"status %d: %ls", rc->rc, rc->description->buffer);
    } else {
        cimPrintMessage(level, L"status %d", rc->rc);
    }
}

void logReturnCode(const ReturnCode *rc) { cimPrintRetCode(CIM_LOG_ERROR, rc); }

}  // extern "C"
