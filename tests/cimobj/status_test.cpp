// Status records and their log lines.
#include <gtest/gtest.h>

#include "support/log_capture.h"
#include "test_helpers.h"

using namespace cimobjtest;

namespace {

TEST(ReturnCodeRecord, KeepsCodeThenDescriptionInPlace) {
    // The module reads the first two members directly.
    EXPECT_EQ(offsetof(ReturnCode, rc), 0u);
    EXPECT_EQ(offsetof(ReturnCode, description), sizeof(void *));
    ReturnCode *rc = newReturnCode(6, L"Object not found \u00FC");
    ASSERT_NE(rc, nullptr);
    EXPECT_EQ(rc->rc, 6);
    EXPECT_EQ(wide(rc->description), L"Object not found \u00FC");
    EXPECT_EQ(getReturnCodeDescription(rc), rc->description);
    freeReturnCode(rc);

    ReturnCode *bare = newReturnCode(0, nullptr);
    EXPECT_EQ(bare->description, nullptr);
    freeReturnCode(bare);
}

TEST(ReturnCodeRecord, CopyIsDeep) {
    ReturnCode *rc = newReturnCode(4, L"bad parameter");
    ReturnCode *copy = copyReturnCode(rc);
    freeReturnCode(rc);
    EXPECT_EQ(getErrorFromRetCode(copy), 4);
    EXPECT_EQ(wide(copy->description), L"bad parameter");
    freeReturnCode(copy);
    EXPECT_EQ(copyReturnCode(nullptr), nullptr);
}

TEST(ReturnCodeRecord, SuccessTestFreesAndTreatsNullAsFailure) {
    EXPECT_NE(isSuccessfulFree(newReturnCode(0, L"fine")), 0);
    EXPECT_EQ(isSuccessfulFree(newReturnCode(1, nullptr)), 0);
    EXPECT_EQ(isSuccessfulFree(nullptr), 0);
    EXPECT_EQ(getErrorFromRetCode(nullptr), 1);
}

TEST(ReturnCodeRecord, LogsCodeAndDescription) {
    testsupport::LogCapture capture(2);
    ReturnCode *rc = newReturnCode(17, L"Method \u65E5 not found");
    logReturnCode(rc);
    cimPrintRetCode(2, rc);
    ReturnCode *bare = newReturnCode(5, nullptr);
    cimPrintRetCode(1, bare);
    auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].level, 0);
    EXPECT_EQ(lines[0].text, "status 17: Method \xE6\x97\xA5 not found");
    EXPECT_EQ(lines[1].level, 2);
    EXPECT_EQ(lines[2].text, "status 5");
    freeReturnCode(rc);
    freeReturnCode(bare);
}

}  // namespace
