// last_error.cpp - the calling thread's last error.
#include "cimxml/last_error.h"

#include "cimxml/error_list.h"
#include "cimxml/module_lifecycle.h"

namespace {

// The calling thread's entry in the error list, NULL before its first error
// (or while the module is not attached).
ErrorListEntry *own_entry() {
    if (!cimxml_is_attached()) return nullptr;
    return static_cast<ErrorListEntry *>(pthread_getspecific(lastErrorSlot));
}

}  // namespace

// Replaces the calling thread's last error by a copy of error. A failed
// copy leaves the thread without one (and is logged). NULL, or a module that is not attached, does nothing. The
// caller keeps error.
void cimxml_setlasterror(const ReturnCode *error) {
    if (error == nullptr || !cimxml_is_attached()) return;
    ErrorListEntry *entry = own_entry();
    ReturnCode *copy = copyReturnCode(error);
    if (copy == nullptr) {
        if (entry != nullptr) error_list_replace(entry, nullptr);
        cimPrintMessage(CIM_LOG_ERROR, L"cimxml_setlasterror - failed to store passed in error!");
        cimPrintRetCode(CIM_LOG_ERROR, error);
        return;
    }
    if (entry != nullptr) {
        error_list_replace(entry, copy);
        return;
    }
    // The thread's first error: its entry is made once and found through the
    // slot from then on; it leaves the list when the thread ends.
    entry = error_list_add(copy);
    if (entry == nullptr) {
        freeReturnCode(copy);
        cimPrintMessage(CIM_LOG_ERROR, L"cimxml_setlasterror - failed to store passed in error!");
        return;
    }
    if (pthread_setspecific(lastErrorSlot, entry) != 0) error_list_remove(entry);
}

// New copy of the calling thread's last error, owned by the caller; NULL
// when it has none (or the module is not attached, or memory is exhausted).
// Only the owning thread touches its entry's error, so reading it needs no lock.
ReturnCode *cimxml_getlasterror() {
    const ErrorListEntry *entry = own_entry();
    return entry != nullptr && entry->error != nullptr ? copyReturnCode(entry->error) : nullptr;
}

void cimxml_clearlasterror() {
    if (ErrorListEntry *entry = own_entry()) error_list_replace(entry, nullptr);
}
