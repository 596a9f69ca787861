// Tests of the three error recorders: what they store and what they log.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "cimxml/error_reporting.h"
#include "cimxml/last_error.h"
#include "support/log_capture.h"

namespace {

struct Stored {
    int code;
    std::wstring description;
};

// The calling thread's last error, read back.
Stored last_error() {
    ReturnCode *rc = cimxml_getlasterror();
    if (rc == nullptr) return {-1, L"(no error)"};
    const wchar_t *text = getCIMStringBuffer(getReturnCodeDescription(rc));
    Stored stored{getErrorFromRetCode(rc), text != nullptr ? text : L"(none)"};
    freeReturnCode(rc);
    return stored;
}

TEST(ReportReturnCode, StoresACopyAndLogsIt) {
    testsupport::LogCapture log;
    ReturnCode *rc = newReturnCode(5, L"Invalid class");
    reportReturnCode(rc);
    EXPECT_EQ(getErrorFromRetCode(rc), 5);  // still the caller's, intact
    freeReturnCode(rc);
    Stored stored = last_error();
    EXPECT_EQ(stored.code, 5);
    EXPECT_EQ(stored.description, L"Invalid class");
    EXPECT_TRUE(log.contains("status 5: Invalid class", 0));
    reportReturnCode(nullptr);
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(ReportOperationFailure, StoresTheStatusAndLogsTheTextAtItsLevel) {
    struct Case {
        int level;
        const char *text;
        int status;
        int storedCode;
        const char *storedText;
    };
    const Case cases[] = {
        {0, "CIMOMhdle_getClass - failed.", 6, 6, "CIMOMhdle_getClass - failed."},
        {1, "warning text", 17, 17, "warning text"},
        {0, "bad status", 0, 1, "bad status"},
        {0, "bad status", 18, 1, "bad status"},
        {2, "negative", -4, 1, "negative"},
        {0, nullptr, 7, 7, " Requested operation failed."},
        {0, "keeps %s and %d as they are", 1, 1, "keeps %s and %d as they are"},
    };
    for (const Case &c : cases) {
        testsupport::LogCapture log;
        reportOperationFailure(c.level, c.text, c.status);
        Stored stored = last_error();
        EXPECT_EQ(stored.code, c.storedCode) << c.status;
        std::string expected = c.storedText;
        EXPECT_EQ(stored.description, std::wstring(expected.begin(), expected.end()));
        auto lines = log.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].text, expected);
        EXPECT_EQ(lines[0].level, c.level);
    }
}

TEST(ReportDecodingError, FillsInThePlaceOfThePlaceholderTexts) {
    testsupport::LogCapture log;
    int line = __LINE__ + 1;
    REPORT_DECODING_ERROR();
    std::string expected = "CIMXML decoding error in error_reporting_test.cpp at line " + std::to_string(line) + ".";
    Stored stored = last_error();
    EXPECT_EQ(stored.code, 1);
    EXPECT_EQ(stored.description, std::wstring(expected.begin(), expected.end()));
    EXPECT_TRUE(log.contains("status 1: " + expected, 0));

    reportDecodingError("Memory allocation failed in %s at line %d.", "handlers.cpp", 812);
    EXPECT_EQ(last_error().description, L"Memory allocation failed in handlers.cpp at line 812.");

    reportDecodingError(CIMXML_DECODING_ERROR_TEXT, nullptr, 3);
    EXPECT_EQ(last_error().description, L"CIMXML decoding error in unknown at line 3.");

    std::string longFile(2000, 'f');
    reportDecodingError(CIMXML_DECODING_ERROR_TEXT, longFile.c_str(), 1);
    std::string longExpected = "CIMXML decoding error in " + longFile + " at line 1.";
    EXPECT_EQ(last_error().description, std::wstring(longExpected.begin(), longExpected.end()));
}

TEST(ReportDecodingError, OtherTextsStandAsTheyAre) {
    testsupport::LogCapture log;
    reportDecodingError("common_value_reference_endhandler: stack is empty", "x.cpp", 9);
    Stored stored = last_error();
    EXPECT_EQ(stored.code, 1);
    EXPECT_EQ(stored.description, L"common_value_reference_endhandler: stack is empty");
    EXPECT_TRUE(log.contains("status 1: common_value_reference_endhandler: stack is empty", 0));

    REPORT_DECODING_TEXT("a %s that looks like a format %d");
    EXPECT_EQ(last_error().description, L"a %s that looks like a format %d");

    reportDecodingError(nullptr, "x.cpp", 9);
    stored = last_error();
    EXPECT_EQ(stored.code, 1);
    EXPECT_EQ(stored.description, L"CIMXML operation failed.");
}

TEST(ReportDecodingError, UnicodeTextSurvives) {
    testsupport::LogCapture log;
    std::thread([] {
        reportDecodingError("Eigenschaft \xc2\xbbName\xc2\xab fehlt", "x.cpp", 1);
        EXPECT_EQ(last_error().description, L"Eigenschaft \u00bbName\u00ab fehlt");
    }).join();
}

}  // namespace
