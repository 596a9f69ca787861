// Tests of the status table and its lookups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "cimxml_common/status_codes.h"

namespace {

const char *const status_names[] = {
    "CIM_ERR_FAILED",           "CIM_ERR_ACCESS_DENIED",        "CIM_ERR_INVALID_NAMESPACE",
    "CIM_ERR_INVALID_PARAMETER", "CIM_ERR_INVALID_CLASS",       "CIM_ERR_NOT_FOUND",
    "CIM_ERR_NOT_SUPPORTED",    "CIM_ERR_CLASS_HAS_CHILDREN",   "CIM_ERR_CLASS_HAS_INSTANCES",
    "CIM_ERR_INVALID_SUPERCLASS", "CIM_ERR_ALREADY_EXISTS",     "CIM_ERR_NO_SUCH_PROPERTY",
    "CIM_ERR_TYPE_MISMATCH",    "CIM_ERR_QUERY_LANGUAGE_NOT_SUPPORTED", "CIM_ERR_INVALID_QUERY",
    "CIM_ERR_METHOD_NOT_AVAILABLE", "CIM_ERR_METHOD_NOT_FOUND",
};

std::wstring code_text(int code) {
    std::unique_ptr<CIMString, void (*)(CIMString *)> text(statusCodeText(code), freeCIMString);
    const wchar_t *buffer = getCIMStringBuffer(text.get());
    return buffer != nullptr ? buffer : L"(null)";
}

TEST(StatusCodes, NamesTextsAndValidityOfEveryCode) {
    for (int code = -2; code <= 20; ++code) {
        bool known = code >= 1 && code <= 17;
        EXPECT_EQ(isValidStatusCode(code), known ? 1 : 0) << code;
        EXPECT_EQ(code_text(code), known ? std::to_wstring(code) : L"1") << code;
        if (!known) continue;
        std::string name = status_names[code - 1];
        EXPECT_EQ(statusCodeFromName(name.c_str()), code) << name;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_EQ(statusCodeFromName(name.c_str()), code) << name;
    }
    EXPECT_EQ(code_text(-2147483647 - 1), L"1");
    for (const char *name : {"6", "", "CIM_ERR_NOT_FOUND ", "CIM_ERR", "SUCCESS", static_cast<const char *>(nullptr)})
        EXPECT_EQ(statusCodeFromName(name), 1) << (name ? name : "(null)");
}

}  // namespace
