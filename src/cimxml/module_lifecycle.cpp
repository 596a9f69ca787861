// module_lifecycle.cpp - process-wide state made when the module is loaded.
#include "cimxml/module_lifecycle.h"

#include <gc/gc.h>

#include <atomic>
#include <mutex>

pthread_key_t lastErrorSlot;
CIMList *xmlErrorList = nullptr;
ZelStatsContext *cimxmlStats = nullptr;
const wchar_t *const cimxmlStatsNames[CIMXML_STATS_NAME_COUNT] = {L"CIMXML Unknown", L"CIMXML Handle"};

namespace {

// Serialises attach and detach; the flag is read without the lock on every
// store and read of a last error.
std::mutex lifecycle_mutex;
std::atomic<int> attached{0};

}  // namespace

// Makes the last-error slot, the error list (kept across a detach, so that
// a later attach does not lose the errors threads still hold) and the
// statistics context, and lets the host's threads register with the
// collector. A second call while attached does nothing. Failures are
// logged or ignored: the module works without the list and the statistics.
// Without a slot the module stays detached (a later call tries again).
void cimxml_process_attach() {
    std::lock_guard<std::mutex> lock(lifecycle_mutex);
    if (attached.load()) return;
    GC_INIT();
    GC_allow_register_threads();
    // No destructor: a thread's last error deliberately outlives the thread.
    if (pthread_key_create(&lastErrorSlot, nullptr) != 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"cimxml_process_attach - unable to allocate the last error slot");
        return;
    }
    if (xmlErrorList == nullptr) {
        xmlErrorList = newList(CIMLIST_POINTER);
        if (xmlErrorList == nullptr) cimPrintMessage(CIM_LOG_ERROR, L"Unable to create XML error list");
    }
    zelStatsInitialize(CIMXML_STATS_NAME_COUNT, cimxmlStatsNames, &cimxmlStats);
    attached.store(1);
}

// Dumps and ends the statistics and frees the slot. The errors the threads
// stored stay allocated (and in the list); nothing reads them afterwards.
void cimxml_process_detach() {
    std::lock_guard<std::mutex> lock(lifecycle_mutex);
    if (!attached.load()) return;
    attached.store(0);
    zelStatsDump(cimxmlStats, -1);
    zelStatsDeinitialize(cimxmlStats);
    cimxmlStats = nullptr;
    pthread_key_delete(lastErrorSlot);
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
