// Tests of the per-thread last error, the shared error list and the module's
// attach and detach.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "cimxml/last_error.h"
#include "cimxml/module_lifecycle.h"

namespace {

using ReturnCodePtr = std::unique_ptr<ReturnCode, void (*)(ReturnCode *)>;

ReturnCodePtr make_error(int code, const wchar_t *description) {
    return ReturnCodePtr(newReturnCode(code, description), freeReturnCode);
}

ReturnCodePtr last_error() { return ReturnCodePtr(cimxml_getlasterror(), freeReturnCode); }

std::wstring description_of(const ReturnCode *rc) {
    const wchar_t *text = getCIMStringBuffer(getReturnCodeDescription(rc));
    return text != nullptr ? text : L"(none)";
}

// Runs body on a thread of its own, which starts without a last error.
template <typename Body>
void on_fresh_thread(Body body) {
    std::thread(body).join();
}

TEST(LastError, ReadsGiveSeparateCopiesUntilTheNextStoreReplacesIt) {
    int before = getLength(xmlErrorList);
    on_fresh_thread([before] {
        EXPECT_EQ(cimxml_getlasterror(), nullptr);
        ReturnCodePtr error = make_error(6, L"Instance not found");
        cimxml_setlasterror(error.get());
        error.reset();  // the slot holds its own copy
        ReturnCodePtr first = last_error(), second = last_error();
        ASSERT_NE(first, nullptr);
        EXPECT_NE(getReturnCodeDescription(first.get()), getReturnCodeDescription(second.get()));
        EXPECT_EQ(getErrorFromRetCode(second.get()), 6);
        EXPECT_EQ(getLength(xmlErrorList), before + 1);
        cimxml_setlasterror(nullptr);  // stores nothing
        EXPECT_EQ(description_of(last_error().get()), L"Instance not found");
        cimxml_setlasterror(make_error(7, nullptr).get());
        EXPECT_EQ(getLength(xmlErrorList), before + 1);
        // The list holds the stored record itself.
        auto *entry = static_cast<ReturnCode *>(getElementAt(xmlErrorList, before));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(getErrorFromRetCode(entry), 7);
        EXPECT_EQ(getReturnCodeDescription(last_error().get()), nullptr);
        on_fresh_thread([] { EXPECT_EQ(cimxml_getlasterror(), nullptr); });  // each thread has its own
    });
    // The error outlives its thread, in the list too.
    EXPECT_EQ(getLength(xmlErrorList), before + 1);
}

TEST(ModuleLifecycle, LoadingAttachesAndAttachAndDetachAreIdempotent) {
    EXPECT_EQ(cimxml_is_attached(), 1);
    ASSERT_NE(xmlErrorList, nullptr);
    EXPECT_EQ(getListType(xmlErrorList), CIMLIST_POINTER);
    EXPECT_STREQ(cimxmlStatsNames[CIMXML_STATS_UNKNOWN], L"CIMXML Unknown");
    EXPECT_STREQ(cimxmlStatsNames[CIMXML_STATS_HANDLE], L"CIMXML Handle");
    CIMList *list = xmlErrorList;
    cimxml_process_attach();
    EXPECT_EQ(xmlErrorList, list);
    on_fresh_thread([] {
        cimxml_process_detach();
        cimxml_process_detach();
        EXPECT_EQ(cimxml_is_attached(), 0);
        EXPECT_EQ(cimxmlStats, nullptr);
        cimxml_setlasterror(make_error(1, L"while detached").get());  // ignored
        EXPECT_EQ(cimxml_getlasterror(), nullptr);
        cimxml_process_attach();
        cimxml_process_attach();
    });
    EXPECT_EQ(xmlErrorList, list);  // kept across the detach
    EXPECT_NE(cimxmlStats, nullptr);
    on_fresh_thread([] {
        cimxml_setlasterror(make_error(9, L"after").get());
        EXPECT_EQ(description_of(last_error().get()), L"after");
    });
}

}  // namespace
