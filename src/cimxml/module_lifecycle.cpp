// module_lifecycle.cpp - process-wide state made when the module is loaded.
#include "cimxml/module_lifecycle.h"

#include <gc/gc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "cimxml_common/last_error.h"
#include "cimxml_common/profile.h"

ZelStatsContext *cimxmlStats = nullptr;
const wchar_t *const cimxmlStatsNames[CIMXML_STATS_NAME_COUNT] = {L"CIMXML Unknown", L"CIMXML Handle"};

namespace {

// Serialises attach and detach; the flag is read without the lock by the
// entry points.
std::mutex lifecycle_mutex;
std::atomic<int> attached{0};

// Writes the statistics through the log printer, one message per name, at
// info level: the host decides where its log goes, and they are no failure.
void log_statistics(ZelStatsContext *stats) {
    char *text = nullptr;
    std::size_t size = 0;
    FILE *stream = open_memstream(&text, &size);
    if (stream == nullptr) return;
    zelStatsDumpTo(stats, -1, stream);
    std::fclose(stream);
    for (char *line = text, *end; line != nullptr && *line != '\0'; line = end ? end + 1 : nullptr) {
        end = std::strchr(line, '\n');
        if (end != nullptr) *end = '\0';
        cimPrintMessage(CIM_LOG_INFO, L"%s", line);
    }
    std::free(text);
}

}  // namespace

// Reads the profile and makes the last-error slot and the statistics
// context, and lets the host's threads register with the collector. A
// second call while attached does nothing. Failures are logged or ignored:
// the module works without the statistics. Without a slot the module stays
// detached (a later call tries again).
void cimxml_process_attach() {
    std::lock_guard<std::mutex> lock(lifecycle_mutex);
    if (attached.load()) return;
    load_profile();
    GC_INIT();
    GC_allow_register_threads();
    if (!cimxml_open_last_error_slot()) {
        cimPrintMessage(CIM_LOG_ERROR, L"cimxml_process_attach - unable to allocate the last error slot");
        return;
    }
    zelStatsInitialize(CIMXML_STATS_NAME_COUNT, cimxmlStatsNames, &cimxmlStats);
    attached.store(1);
}

// Logs and ends the statistics and frees the slot. The errors that live
// threads stored stay allocated (and in the list); nothing reads them
// afterwards, and their threads no longer remove them when they end.
void cimxml_process_detach() {
    std::lock_guard<std::mutex> lock(lifecycle_mutex);
    if (!attached.load()) return;
    attached.store(0);
    log_statistics(cimxmlStats);
    zelStatsDeinitialize(cimxmlStats);
    cimxmlStats = nullptr;
    cimxml_close_last_error_slot();
}

int cimxml_is_attached() {
    return attached.load(std::memory_order_acquire);
}

namespace {

// The loader runs these when the library (or a program linking the module
// statically) is loaded and unloaded.
__attribute__((constructor)) void cimxml_on_load() {
    cimxml_process_attach();
}

__attribute__((destructor)) void cimxml_on_unload() {
    cimxml_process_detach();
}

}  // namespace
