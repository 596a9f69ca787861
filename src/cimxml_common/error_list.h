// error_list.h - the process-wide list of the errors threads hold as their
// last error.
//
// One entry per thread that has stored an error. The thread keeps a pointer
// to its own entry (in its last-error slot), so storing an error never
// searches the list, and the entry leaves the list when the thread ends. A
// lock guards the links, taken once when a thread stores its first error and
// once when it ends; an entry's error is read and changed only by its own
// thread, without the lock. Every operation is O(1).
#pragma once

#include <cimobj/cimobj.h>

// One thread's entry. Ordinary heap memory; the collector never sees it.
struct ErrorListEntry {
    ReturnCode *error;  // the thread's last error (owned), NULL after a clear
    ErrorListEntry *previous;
    ErrorListEntry *next;
};

// A new entry holding error (taken), linked at the end of the list. NULL
// when memory is exhausted; error is then still the caller's.
ErrorListEntry *error_list_add(ReturnCode *error);

// Puts error (taken; NULL empties the entry) into entry and frees the error
// it held. The entry stays in the list. Only the entry's own thread calls it.
void error_list_replace(ErrorListEntry *entry, ReturnCode *error);

// Unlinks entry and frees it with its error. NULL does nothing.
void error_list_remove(ErrorListEntry *entry);

// Number of entries in the list.
int error_list_length();
