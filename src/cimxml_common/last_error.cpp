// last_error.cpp - the calling thread's last error.
#include "cimxml_common/last_error.h"

#include <pthread.h>

#include <atomic>

#include "cimxml_common/error_list.h"

namespace {

// Thread-local slot that holds each thread's entry of the error list; it
// exists while slot_open is set.
pthread_key_t last_error_slot;
std::atomic<bool> slot_open{false};

// A thread that ends takes its entry out of the error list.
void remove_thread_entry(void *entry) { error_list_remove(static_cast<ErrorListEntry *>(entry)); }

// The calling thread's entry in the error list, NULL before its first error
// (or while there is no slot).
ErrorListEntry *own_entry() {
    if (!slot_open.load(std::memory_order_acquire)) return nullptr;
    return static_cast<ErrorListEntry *>(pthread_getspecific(last_error_slot));
}

}  // namespace

int cimxml_open_last_error_slot() {
    if (slot_open.load()) return 1;
    if (pthread_key_create(&last_error_slot, remove_thread_entry) != 0) return 0;
    slot_open.store(true, std::memory_order_release);
    return 1;
}

void cimxml_close_last_error_slot() {
    if (!slot_open.exchange(false)) return;
    pthread_key_delete(last_error_slot);
}

namespace {

// Errors can be stored as soon as the code is loaded, also in a program
// that never attaches the module.
__attribute__((constructor)) void open_slot_on_load() { cimxml_open_last_error_slot(); }

}  // namespace

// Replaces the calling thread's last error by a copy of error. A failed
// copy leaves the thread without one (and is logged). NULL, or no slot (a
// module that is not attached), does nothing. The caller keeps error.
void cimxml_setlasterror(const ReturnCode *error) {
    if (error == nullptr || !slot_open.load(std::memory_order_acquire)) return;
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
    if (pthread_setspecific(last_error_slot, entry) != 0) error_list_remove(entry);
}

// New copy of the calling thread's last error, owned by the caller; NULL
// when it has none (or there is no slot, or memory is exhausted).
// Only the owning thread touches its entry's error, so reading it needs no lock.
ReturnCode *cimxml_getlasterror() {
    const ErrorListEntry *entry = own_entry();
    return entry != nullptr && entry->error != nullptr ? copyReturnCode(entry->error) : nullptr;
}

void cimxml_clearlasterror() {
    if (ErrorListEntry *entry = own_entry()) error_list_replace(entry, nullptr);
}
