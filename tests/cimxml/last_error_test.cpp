// Tests of the per-thread last error and the shared error list.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <thread>

#include "cimxml/last_error.h"
#include "cimxml/module_lifecycle.h"

namespace {

struct ReturnCodeDeleter {
    void operator()(ReturnCode *rc) const { freeReturnCode(rc); }
};
using ReturnCodePtr = std::unique_ptr<ReturnCode, ReturnCodeDeleter>;

ReturnCodePtr make_error(int code, const wchar_t *description) {
    return ReturnCodePtr(newReturnCode(code, description));
}

std::wstring description_of(const ReturnCode *rc) {
    const wchar_t *text = getCIMStringBuffer(getReturnCodeDescription(rc));
    return text != nullptr ? text : L"(none)";
}

// Runs body on a thread of its own, which starts without a last error.
template <typename Body>
void on_fresh_thread(Body body) {
    std::thread(body).join();
}

TEST(LastError, ModuleIsAttachedWhenLoaded) {
    EXPECT_EQ(cimxml_is_attached(), 1);
    EXPECT_NE(xmlErrorList, nullptr);
    EXPECT_EQ(getListType(xmlErrorList), CIMLIST_POINTER);
    EXPECT_NE(cimxmlStats, nullptr);
    EXPECT_STREQ(cimxmlStatsNames[CIMXML_STATS_UNKNOWN], L"CIMXML Unknown");
    EXPECT_STREQ(cimxmlStatsNames[CIMXML_STATS_HANDLE], L"CIMXML Handle");
}

TEST(LastError, ThreadWithoutErrorReadsNull) {
    on_fresh_thread([] { EXPECT_EQ(cimxml_getlasterror(), nullptr); });
}

TEST(LastError, ReadsGiveSeparateEqualCopies) {
    on_fresh_thread([] {
        ReturnCodePtr error = make_error(6, L"Instance not found");
        cimxml_setlasterror(error.get());
        ReturnCodePtr first(cimxml_getlasterror());
        ReturnCodePtr second(cimxml_getlasterror());
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_NE(first.get(), second.get());
        EXPECT_NE(first.get(), error.get());
        EXPECT_NE(getReturnCodeDescription(first.get()), getReturnCodeDescription(second.get()));
        for (const ReturnCode *copy : {first.get(), second.get()}) {
            EXPECT_EQ(getErrorFromRetCode(copy), 6);
            EXPECT_EQ(description_of(copy), L"Instance not found");
        }
        // The caller's record stays its own and intact.
        EXPECT_EQ(description_of(error.get()), L"Instance not found");
        error.reset();
        ReturnCodePtr third(cimxml_getlasterror());
        EXPECT_EQ(description_of(third.get()), L"Instance not found");
    });
}

TEST(LastError, SecondStoreReplacesTheFirstInSlotAndList) {
    int before = getLength(xmlErrorList);
    on_fresh_thread([before] {
        cimxml_setlasterror(make_error(4, L"first").get());
        EXPECT_EQ(getLength(xmlErrorList), before + 1);
        cimxml_setlasterror(make_error(7, nullptr).get());
        EXPECT_EQ(getLength(xmlErrorList), before + 1);
        ReturnCodePtr stored(cimxml_getlasterror());
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(getErrorFromRetCode(stored.get()), 7);
        EXPECT_EQ(getReturnCodeDescription(stored.get()), nullptr);
        // The list holds the stored record itself, not another copy.
        auto *entry = static_cast<ReturnCode *>(getElementAt(xmlErrorList, before));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(getErrorFromRetCode(entry), 7);
    });
    // The error outlives its thread, in the list too.
    EXPECT_EQ(getLength(xmlErrorList), before + 1);
}

TEST(LastError, NullStoresNothing) {
    on_fresh_thread([] {
        cimxml_setlasterror(make_error(2, L"kept").get());
        int length = getLength(xmlErrorList);
        cimxml_setlasterror(nullptr);
        EXPECT_EQ(getLength(xmlErrorList), length);
        ReturnCodePtr stored(cimxml_getlasterror());
        EXPECT_EQ(description_of(stored.get()), L"kept");
    });
}

TEST(LastError, EachThreadReadsItsOwn) {
    on_fresh_thread([] {
        cimxml_setlasterror(make_error(3, L"outer").get());
        on_fresh_thread([] {
            EXPECT_EQ(cimxml_getlasterror(), nullptr);
            cimxml_setlasterror(make_error(5, L"inner").get());
        });
        ReturnCodePtr stored(cimxml_getlasterror());
        EXPECT_EQ(description_of(stored.get()), L"outer");
    });
}

TEST(ModuleLifecycle, AttachAndDetachAreIdempotent) {
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
    EXPECT_EQ(cimxml_is_attached(), 1);
    EXPECT_EQ(xmlErrorList, list);  // kept across the detach
    EXPECT_NE(cimxmlStats, nullptr);
    on_fresh_thread([] {
        cimxml_setlasterror(make_error(9, L"after").get());
        ReturnCodePtr stored(cimxml_getlasterror());
        EXPECT_EQ(description_of(stored.get()), L"after");
    });
}

}  // namespace
