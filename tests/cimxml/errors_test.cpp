// Tests of the three error recorders (what they store and what they log),
// the per-thread last error, the shared error list and the module's attach
// and detach.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "cimxml/error_reporting.h"
#include "cimxml/last_error.h"
#include "cimxml/module_lifecycle.h"
#include "support/log_capture.h"

namespace {

// The calling thread's last error as "code: description".
std::string last_error() {
    ReturnCode *rc = cimxml_getlasterror();
    if (rc == nullptr) return "(no error)";
    char *text = createCharFromCIMString(getReturnCodeDescription(rc));
    std::string stored = std::to_string(getErrorFromRetCode(rc)) + ": " + (text != nullptr ? text : "(none)");
    freeReturnCode(rc);
    return stored;
}

TEST(ReportReturnCode, StoresACopyAndLogsIt) {
    testsupport::LogCapture log;
    ReturnCode *rc = newReturnCode(5, L"Invalid class \u00e9");
    reportReturnCode(rc);
    EXPECT_EQ(getErrorFromRetCode(rc), 5);  // still the caller's, intact
    freeReturnCode(rc);
    EXPECT_EQ(last_error(), "5: Invalid class \xc3\xa9");
    EXPECT_TRUE(log.contains("status 5: Invalid class \xc3\xa9", 0));
    reportReturnCode(nullptr);
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(ReportOperationFailure, StoresTheStatusAndLogsTheTextAtItsLevel) {
    const struct {
        int level;
        const char *text;
        int status;
        const char *stored;
    } cases[] = {
        {1, "warning text", 17, "17: warning text"},
        {0, "bad status", 18, "1: bad status"},
    };
    for (const auto &c : cases) {
        testsupport::LogCapture log;
        reportOperationFailure(c.level, c.text, c.status);
        std::string stored = last_error();
        EXPECT_EQ(stored, c.stored);
        auto lines = log.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].text, stored.substr(stored.find(": ") + 2));
        EXPECT_EQ(lines[0].level, c.level);
    }
}

TEST(ReportDecodingError, FillsInPlaceholdersOrKeepsTheTextAsItIs) {
    testsupport::LogCapture log;
    int line = __LINE__ + 1;
    REPORT_DECODING_ERROR();
    std::string expected = "CIMXML decoding error in errors_test.cpp at line " + std::to_string(line) + ".";
    EXPECT_EQ(last_error(), "1: " + expected);
    EXPECT_TRUE(log.contains("status 1: " + expected, 0));

    const struct {
        const char *text;
        const char *file;
        std::string stored;
    } cases[] = {
        {CIMXML_ALLOCATION_ERROR_TEXT, "handlers.cpp", "1: Memory allocation failed in handlers.cpp at line 7."},
        {nullptr, "x.cpp", "1: CIMXML operation failed."},
        {"a %s \xc2\xbbthat\xc2\xab looks like a format %d", "x.cpp",
         "1: a %s \xc2\xbbthat\xc2\xab looks like a format %d"},
    };
    for (const auto &c : cases) {
        reportDecodingError(c.text, c.file, 7);
        EXPECT_EQ(last_error(), c.stored);
    }
}

using ReturnCodePtr = std::unique_ptr<ReturnCode, void (*)(ReturnCode *)>;

ReturnCodePtr make_error(int code, const wchar_t *description) {
    return ReturnCodePtr(newReturnCode(code, description), freeReturnCode);
}

ReturnCodePtr stored_error() { return ReturnCodePtr(cimxml_getlasterror(), freeReturnCode); }

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
        ReturnCodePtr first = stored_error(), second = stored_error();
        ASSERT_NE(first, nullptr);
        EXPECT_NE(getReturnCodeDescription(first.get()), getReturnCodeDescription(second.get()));
        EXPECT_EQ(getErrorFromRetCode(second.get()), 6);
        EXPECT_EQ(getLength(xmlErrorList), before + 1);
        cimxml_setlasterror(nullptr);  // stores nothing
        EXPECT_EQ(description_of(stored_error().get()), L"Instance not found");
        cimxml_setlasterror(make_error(7, nullptr).get());
        EXPECT_EQ(getLength(xmlErrorList), before + 1);
        // The list holds the stored record itself.
        auto *entry = static_cast<ReturnCode *>(getElementAt(xmlErrorList, before));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(getErrorFromRetCode(entry), 7);
        EXPECT_EQ(getReturnCodeDescription(stored_error().get()), nullptr);
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
        EXPECT_EQ(description_of(stored_error().get()), L"after");
    });
}

}  // namespace
