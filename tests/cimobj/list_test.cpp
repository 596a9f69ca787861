// Lists: order, node walks, index access, removal, refusals, copies by list type.
// (Borrowing lists are exercised by the module's error list.)
#include <gtest/gtest.h>

#include <vector>

#include "test_helpers.h"

using namespace cimobjtest;

namespace {

// The list's texts by node walk, then the same by index, so that both must agree.
std::vector<std::wstring> walk_and_index(const CIMStringList *list) {
    std::vector<std::wstring> seen;
    for (CIMListNode *n = getFirstCIMString(list); n; n = getNextCIMString(n))
        seen.push_back(wide(getCurrentCIMString(n)));
    for (int i = 0; i < getCIMStringListLength(list); ++i) EXPECT_EQ(wide(getCIMStringAt(list, i)), seen.at(i));
    EXPECT_EQ(wide(getCurrentCIMString(getLastCIMString(list))), seen.back());
    return seen;
}

CIMStringList *letters_list(const wchar_t *letters) {
    CIMStringList *list = newCIMStringList();
    for (const wchar_t *c = letters; *c; ++c) {
        wchar_t one[2] = {*c, 0};
        EXPECT_EQ(isSuccessfulFree(appendToCIMStringList(list, str(one))), 1);
    }
    return list;
}

TEST(List, KeepsInsertionOrderThroughRemovalsAndAppends) {
    CIMStringList *list = letters_list(L"abcde");
    EXPECT_EQ(walk_and_index(list), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"}));
    EXPECT_EQ(getCIMStringAt(list, 5), nullptr);
    EXPECT_EQ(getCIMStringAt(list, -1), nullptr);
    CIMString *removed[] = {getCIMStringAt(list, 2), getCIMStringAt(list, 4), getCIMStringAt(list, 0)};
    for (CIMString *item : removed) EXPECT_EQ(removeFromList(list, item), 1);
    EXPECT_EQ(removeFromList(list, removed[0]), 0) << "already gone";
    EXPECT_EQ(walk_and_index(list), (std::vector<std::wstring>{L"b", L"d"}));
    for (CIMString *item : removed) freeCIMString(item);  // removed items are the caller's
    EXPECT_EQ(isSuccessfulFree(appendToCIMStringList(list, str(L"f"))), 1);
    EXPECT_EQ(walk_and_index(list), (std::vector<std::wstring>{L"b", L"d", L"f"}));
    freeCIMStringList(list);
}

TEST(List, EmptyNullAndRefusedAppendsTakeNothing) {
    CIMPropertyList *properties = newCIMPropertyList();
    EXPECT_EQ(isEmptyCIMPropertyList(properties), 1);
    EXPECT_EQ(getFirstCIMProperty(properties), nullptr);
    EXPECT_EQ(getCIMPropertyListLength(nullptr), 0);
    EXPECT_EQ(copyCIMPropertyList(nullptr), nullptr);
    EXPECT_EQ(newList(10), nullptr);
    EXPECT_EQ(getListType(nullptr), -1);
    EXPECT_EQ(statusOf(appendToCIMPropertyList(properties, nullptr)), 4);
    EXPECT_EQ(statusOf(appendToList(nullptr, nullptr)), 4);
    CIMValueList *values = newCIMValueList();
    CIMProperty *p = newProperty(str(L"P"), nullptr, nullptr, CIM_STRING, nullptr, 0);
    EXPECT_EQ(statusOf(appendToCIMPropertyList(values, p)), 4);
    EXPECT_EQ(isSuccessfulFree(appendToCIMValueList(values, u32Value(3))), 1);
    EXPECT_EQ(getCIMPropertyAt(values, 0), nullptr) << "a value is never handed out as a property";
    freeCIMProperty(p);  // still ours
    freeCIMValueList(values);
    freeCIMPropertyList(properties);
}

// One list of each owning type, with two items.
CIMList *filled_list(int type) {
    CIMList *list = newList(type);
    for (int i = 0; i < 2; ++i) {
        void *item = nullptr;
        switch (type) {
        case CIMLIST_CLASS: item = newCIMClass(str(L"C"), nullptr); break;
        case CIMLIST_PROPERTY: item = newProperty(str(L"P"), str(L"C"), u32Value(i), CIM_UINT32, nullptr, 0); break;
        case CIMLIST_INSTANCE: item = newInstance(str(L"C"), str(L"ns"), nullptr); break;
        case CIMLIST_OBJECTPATH: item = twoKeyPath(L"C", L"n", static_cast<uint32_t>(i)); break;
        case CIMLIST_QUALIFIER: item = newQualifier(str(L"Key"), 0, boolValue(1), CIM_BOOLEAN, 0); break;
        case CIMLIST_QUALIFIERTYPE:
            item = newQualifierType(str(L"Q"), 1, nullptr, CIM_STRING, -1, CIM_SCOPE_ANY);
            break;
        case CIMLIST_METHOD: item = newMethod(str(L"M"), nullptr, 0, nullptr, CIM_UINT32, nullptr); break;
        case CIMLIST_VALUE: item = stringValue(L"v"); break;
        case CIMLIST_STRING: item = str(L"s"); break;
        case CIMLIST_RETURNCODE: item = newReturnCode(i, L"r"); break;
        }
        EXPECT_EQ(isSuccessfulFree(appendToList(list, item)), 1);
    }
    return list;
}

TEST(List, CopiesEveryOwningListTypeDeeply) {
    for (int type : {CIMLIST_CLASS, CIMLIST_PROPERTY, CIMLIST_INSTANCE, CIMLIST_OBJECTPATH, CIMLIST_QUALIFIER,
                     CIMLIST_QUALIFIERTYPE, CIMLIST_METHOD, CIMLIST_VALUE, CIMLIST_STRING, CIMLIST_RETURNCODE}) {
        CIMList *original = filled_list(type);
        CIMList *copy = copyList(original);
        ASSERT_NE(copy, nullptr) << type;
        EXPECT_EQ(getListType(copy), type);
        ASSERT_EQ(getLength(copy), 2);
        EXPECT_NE(getElementAt(copy, 0), getElementAt(original, 0)) << type;
        freeList(original);  // the copy must not share anything with it
        if (type == CIMLIST_OBJECTPATH) {
            CIMObjectPath *expected = twoKeyPath(L"C", L"n", 1);
            EXPECT_TRUE(isEqualObjectPath(getCIMObjectPathAt(copy, 1), expected));
            freeCIMObjectPath(expected);
        }
        freeList(copy);
    }
}

}  // namespace
