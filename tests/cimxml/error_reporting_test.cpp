// Tests of the three error recorders: what they store and what they log.
#include <gtest/gtest.h>

#include <string>

#include "cimxml/error_reporting.h"
#include "cimxml/last_error.h"
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
        {0, "CIMOMhdle_getClass - failed.", 6, "6: CIMOMhdle_getClass - failed."},
        {1, "warning text", 17, "17: warning text"},
        {0, "bad status", 18, "1: bad status"},
        {2, "keeps %s and %d as they are", 0, "1: keeps %s and %d as they are"},
        {0, nullptr, 7, "7:  Requested operation failed."},
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
    std::string expected = "CIMXML decoding error in error_reporting_test.cpp at line " + std::to_string(line) + ".";
    EXPECT_EQ(last_error(), "1: " + expected);
    EXPECT_TRUE(log.contains("status 1: " + expected, 0));

    const std::string longFile(2000, 'f');
    const struct {
        const char *text;
        const char *file;
        std::string stored;
    } cases[] = {
        {CIMXML_ALLOCATION_ERROR_TEXT, "handlers.cpp", "1: Memory allocation failed in handlers.cpp at line 7."},
        {CIMXML_DECODING_ERROR_TEXT, nullptr, "1: CIMXML decoding error in unknown at line 7."},
        {CIMXML_DECODING_ERROR_TEXT, longFile.c_str(), "1: CIMXML decoding error in " + longFile + " at line 7."},
        {"a %s \xc2\xbbthat\xc2\xab looks like a format %d", "x.cpp",
         "1: a %s \xc2\xbbthat\xc2\xab looks like a format %d"},
        {nullptr, "x.cpp", "1: CIMXML operation failed."},
    };
    for (const auto &c : cases) {
        reportDecodingError(c.text, c.file, 7);
        EXPECT_EQ(last_error(), c.stored);
    }
}

}  // namespace
