// last_error.cpp - the calling thread's last error.
#include "cimxml/last_error.h"

#include <mutex>

#include "cimxml/module_lifecycle.h"

namespace {

// The object library's lists are not safe for concurrent use, and every
// thread that records an error updates xmlErrorList.
std::mutex error_list_mutex;

void list_remove(ReturnCode *error) {
    std::lock_guard<std::mutex> lock(error_list_mutex);
    if (xmlErrorList != nullptr) removeFromList(xmlErrorList, error);
}

void list_append(ReturnCode *error) {
    std::lock_guard<std::mutex> lock(error_list_mutex);
    if (xmlErrorList != nullptr) freeReturnCode(appendToList(xmlErrorList, error));
}

}  // namespace

// Replaces the calling thread's last error by a copy of error (also entered
// in xmlErrorList). The previous error is removed from the list and freed
// first, so a failed copy leaves the slot empty (and is logged). NULL, or a
// module that is not attached, does nothing. The caller keeps error.
void cimxml_setlasterror(const ReturnCode *error) {
    if (error == nullptr || !cimxml_is_attached()) return;
    auto *old = static_cast<ReturnCode *>(pthread_getspecific(lastErrorSlot));
    if (old != nullptr) {
        list_remove(old);
        freeReturnCode(old);
        pthread_setspecific(lastErrorSlot, nullptr);
    }
    ReturnCode *copy = copyReturnCode(error);
    if (copy == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cimxml_setlasterror - failed to store passed in error!");
        cimPrintRetCode(CIM_LOG_ERROR, error);
        return;
    }
    list_append(copy);
    if (pthread_setspecific(lastErrorSlot, copy) != 0) {
        list_remove(copy);
        freeReturnCode(copy);
    }
}

// New copy of the calling thread's last error, owned by the caller; NULL
// when it has none (or the module is not attached, or memory is exhausted).
ReturnCode *cimxml_getlasterror() {
    if (!cimxml_is_attached()) return nullptr;
    auto *stored = static_cast<const ReturnCode *>(pthread_getspecific(lastErrorSlot));
    return stored != nullptr ? copyReturnCode(stored) : nullptr;
}
