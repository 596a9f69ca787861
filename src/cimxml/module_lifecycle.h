// module_lifecycle.h - process-wide state made when the module is loaded.
#pragma once

#include <cimobj/cimobj.h>
#include <zellib/zelstats.h>

// Statistics context of the request handler.
extern ZelStatsContext *cimxmlStats;

// Statistics names: index 0 "CIMXML Unknown", index 1 "CIMXML Handle".
enum { CIMXML_STATS_UNKNOWN = 0, CIMXML_STATS_HANDLE = 1, CIMXML_STATS_NAME_COUNT = 2 };
extern const wchar_t *const cimxmlStatsNames[CIMXML_STATS_NAME_COUNT];

// Run when the library is loaded and unloaded. Attach reads the profile
// (CIMXML_PROFILE), makes the slot and the statistics context, and lets
// threads register with the collector; detach writes the statistics through
// the log printer (one line per name at info level), ends them and frees
// the slot. Both are idempotent, so a program that links the module
// statically may call them itself.
void cimxml_process_attach();
void cimxml_process_detach();
// 1 between attach and detach.
int cimxml_is_attached();
