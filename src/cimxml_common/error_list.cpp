// error_list.cpp - the process-wide list of the errors threads hold.
#include "cimxml_common/error_list.h"

#include <mutex>
#include <new>

namespace {

// A doubly linked list of the entries; threads link and unlink their own
// entries under the lock.
std::mutex list_mutex;
ErrorListEntry *first_entry = nullptr;
ErrorListEntry *last_entry = nullptr;
int entry_count = 0;

}  // namespace

ErrorListEntry *error_list_add(ReturnCode *error) {
    auto *entry = new (std::nothrow) ErrorListEntry{error, nullptr, nullptr};
    if (entry == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(list_mutex);
    entry->previous = last_entry;
    if (last_entry != nullptr)
        last_entry->next = entry;
    else
        first_entry = entry;
    last_entry = entry;
    ++entry_count;
    return entry;
}

void error_list_replace(ErrorListEntry *entry, ReturnCode *error) {
    ReturnCode *old = entry->error;
    entry->error = error;
    freeReturnCode(old);
}

void error_list_remove(ErrorListEntry *entry) {
    if (entry == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(list_mutex);
        if (entry->previous != nullptr)
            entry->previous->next = entry->next;
        else
            first_entry = entry->next;
        if (entry->next != nullptr)
            entry->next->previous = entry->previous;
        else
            last_entry = entry->previous;
        --entry_count;
    }
    freeReturnCode(entry->error);
    delete entry;
}

int error_list_length() {
    std::lock_guard<std::mutex> lock(list_mutex);
    return entry_count;
}
