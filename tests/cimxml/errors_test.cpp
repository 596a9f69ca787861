// Tests of the three error recorders (what they store and what they log),
// the per-thread last error, the shared error list, and the module's attach
// and detach. Threads under the collector are the request handler's test.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "cimxml_common/error_list.h"
#include "cimxml_common/error_reporting.h"
#include "cimxml_common/last_error.h"
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
    testsupport::LogCapture log;
    reportOperationFailure(1, "warning text", 17);
    EXPECT_EQ(last_error(), "17: warning text");
    reportOperationFailure(0, "bad status", 18);
    EXPECT_EQ(last_error(), "1: bad status");
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_TRUE(log.contains("warning text", 1) && log.contains("bad status", 0));
}

TEST(ReportDecodingError, FillsInPlaceholdersOrKeepsTheTextAsItIs) {
    testsupport::LogCapture log;
    int line = __LINE__ + 1;
    REPORT_DECODING_ERROR();
    std::string expected =
        std::string("CIMXML decoding error in ") + __FILE_NAME__ + " at line " + std::to_string(line) + ".";
    EXPECT_EQ(last_error(), "1: " + expected);
    EXPECT_TRUE(log.contains("status 1: " + expected, 0));

    reportDecodingError(CIMXML_ALLOCATION_ERROR_TEXT, "handlers.cpp", 7);
    EXPECT_EQ(last_error(), "1: Memory allocation failed in handlers.cpp at line 7.");
    reportDecodingError(nullptr, "x.cpp", 7);
    EXPECT_EQ(last_error(), "1: CIMXML operation failed.");
    reportDecodingError("a %s \xc2\xbbthat\xc2\xab looks like a format %d", "x.cpp", 7);
    EXPECT_EQ(last_error(), "1: a %s \xc2\xbbthat\xc2\xab looks like a format %d");
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
void on_fresh_thread(const std::function<void()> &body) { std::thread(body).join(); }

TEST(LastError, ReadsGiveSeparateCopiesUntilTheNextStoreReplacesIt) {
    int before = error_list_length();
    on_fresh_thread([before] {
        EXPECT_EQ(cimxml_getlasterror(), nullptr);
        ReturnCodePtr error = make_error(6, L"Instance not found");
        cimxml_setlasterror(error.get());
        error.reset();  // the slot holds its own copy
        ReturnCodePtr first = stored_error(), second = stored_error();
        ASSERT_NE(first, nullptr);
        EXPECT_NE(getReturnCodeDescription(first.get()), getReturnCodeDescription(second.get()));
        EXPECT_EQ(getErrorFromRetCode(second.get()), 6);
        EXPECT_EQ(error_list_length(), before + 1);
        cimxml_setlasterror(nullptr);  // stores nothing
        EXPECT_EQ(description_of(stored_error().get()), L"Instance not found");
        cimxml_setlasterror(make_error(7, nullptr).get());
        EXPECT_EQ(error_list_length(), before + 1);
        EXPECT_EQ(getReturnCodeDescription(stored_error().get()), nullptr);
        on_fresh_thread([] { EXPECT_EQ(cimxml_getlasterror(), nullptr); });  // each thread has its own
        cimxml_clearlasterror();
        EXPECT_EQ(cimxml_getlasterror(), nullptr);
        cimxml_setlasterror(make_error(8, nullptr).get());
    });
    // A thread that ends takes its entry with it.
    EXPECT_EQ(error_list_length(), before);
}

// Detach writes the statistics through the log printer, at info level.
TEST(ModuleLifecycle, LoadingAttachesAndAttachAndDetachAreIdempotent) {
    EXPECT_EQ(cimxml_is_attached(), 1);
    EXPECT_STREQ(cimxmlStatsNames[CIMXML_STATS_HANDLE], L"CIMXML Handle");
    cimxml_process_attach();
    on_fresh_thread([] {
        testsupport::LogCapture log(CIM_LOG_INFO);
        cimxml_process_detach();
        cimxml_process_detach();
        ASSERT_EQ(log.lines().size(), 2u);
        EXPECT_EQ(log.lines()[0].text, "CIMXML Unknown: count 0, total 0 ns, min 0 ns, max 0 ns, mean 0 ns");
        EXPECT_EQ(log.lines()[1].level, CIM_LOG_INFO);
        EXPECT_EQ(log.lines()[1].text.rfind("CIMXML Handle: count ", 0), 0u);
        EXPECT_EQ(cimxml_is_attached(), 0);
        EXPECT_EQ(cimxmlStats, nullptr);
        cimxml_setlasterror(make_error(1, L"while detached").get());  // ignored
        EXPECT_EQ(cimxml_getlasterror(), nullptr);
        cimxml_process_attach();
        cimxml_process_attach();
    });
    EXPECT_NE(cimxmlStats, nullptr);
}

}  // namespace
