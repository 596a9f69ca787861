// last_error.h - the calling thread's last error.
#pragma once

#include <cimobj/cimobj.h>

// Makes the thread-local slot the last errors are found through (done when
// the code is loaded, and again when the module is attached after a
// detach). Returns 1 when the slot exists afterwards, 0 when it cannot be
// made; without the slot every call below does nothing.
int cimxml_open_last_error_slot();
// Frees the slot (at detach). The errors live threads stored stay in the
// error list; their threads no longer remove them when they end.
void cimxml_close_last_error_slot();

// Stores a copy of error as the calling thread's last error, replacing (and
// freeing) the one before; the thread's entry in the process-wide error list
// holds the copy. NULL does nothing. The caller keeps error. A failed copy
// logs "cimxml_setlasterror - failed to store passed in error!" and leaves
// the thread without a last error.
void cimxml_setlasterror(const ReturnCode *error);

// New copy of the calling thread's last error, which the caller frees; NULL
// when the thread has none. The stored error stays.
ReturnCode *cimxml_getlasterror();

// Frees the calling thread's last error; afterwards the thread has none.
// Cannot fail.
void cimxml_clearlasterror();
