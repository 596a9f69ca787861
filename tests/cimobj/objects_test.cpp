// Properties, qualifiers, declarations, methods, classes, instances, paths,
// status records and lists: typing rules, copies, frees, lookups, order and
// log lines (borrowing lists are exercised by the module's error list).
#include <gtest/gtest.h>

#include "support/log_capture.h"
#include "test_helpers.h"

using namespace cimobjtest;

namespace {

TEST(Property, AddValueReplacesValueAndRetypes) {
    // A key binding starts without a type and takes its value's.
    CIMProperty *key = newPropertyKey(str(L"Name"), nullptr, newCIMValueEmpty());
    EXPECT_EQ(propertyGetType(key), CIM_EMPTY);
    EXPECT_EQ(propertyIsKey(key), 1);
    EXPECT_EQ(isSuccessfulFree(propertyAddValue(key, stringValue(L"disk0"))), 1);
    EXPECT_EQ(propertyGetType(key), CIM_STRING);
    EXPECT_EQ(wide(propertyGetValue(key)->data.string), L"disk0");
    freeCIMProperty(key);
    // A reference-typed parameter that received a class name as a string.
    CIMProperty *param =
        newProperty(str(L"ObjectName"), nullptr, newCIMValueNULL(CIM_REFERENCE), CIM_REFERENCE, nullptr, 0);
    EXPECT_EQ(propertyIsRefType(param), 1);
    EXPECT_EQ(isSuccessfulFree(propertyAddValue(param, stringValue(L"CIM_Foo"))), 1);
    EXPECT_EQ(propertyIsRefType(param), 0);
    freeCIMProperty(param);
}

TEST(Property, FailedAddersTakeNothing) {
    CIMValue *v = u32Value(1);
    CIMQualifier *q = newQualifier(str(L"Key"), 0, boolValue(1), CIM_BOOLEAN, 0);
    CIMProperty *p = newProperty(str(L"P"), nullptr, nullptr, CIM_UINT32, nullptr, 0);
    EXPECT_EQ(statusOf(propertyAddValue(nullptr, v)), 4);
    EXPECT_EQ(statusOf(propertyAddQualifier(nullptr, q)), 4);
    EXPECT_EQ(statusOf(instanceAddProperty(nullptr, p)), 4);
    EXPECT_EQ(statusOf(objectPathAddKey(nullptr, p)), 4);
    EXPECT_EQ(statusOf(setQualifierValue(q, nullptr)), 4);
    // Everything passed is still the caller's.
    freeCIMValue(v);
    freeCIMQualifier(q);
    freeCIMProperty(p);
}

TEST(Copies, AreDeepForEveryRecordKind) {
    CIMProperty *p = newProperty(str(L"Size"), str(L"CIM_Disk"), u32Value(512), CIM_UINT32, nullptr, 1);
    EXPECT_EQ(propertySetQualifiers(p, newCIMQualifierList()), 1);
    isSuccessfulFree(propertyAddQualifier(p, newQualifier(str(L"Units"), 8, stringValue(L"bytes"), CIM_STRING, 0)));
    CIMProperty *property = copyCIMProperty(p);
    freeCIMProperty(p);
    EXPECT_EQ(wide(propertyGetClassOrigin(property)), L"CIM_Disk");
    EXPECT_EQ(propertyGetValue(property)->data.u32, 512u);
    EXPECT_EQ(getQualifierFlavors(getCIMQualifierAt(propertyGetQualifiers(property), 0)), 8);
    freeCIMProperty(property);

    CIMQualifierType *d = newQualifierType(str(L"ValueMap"), CIM_FLAVOR_TOSUBCLASS, nullptr, CIM_STRING,
                                           CIM_SIZE_UNLIMITED, CIM_SCOPE_ANY);
    EXPECT_EQ(setQualifierTypeScope(d, CIM_SCOPE_PROPERTY | CIM_SCOPE_METHOD), 1);
    EXPECT_EQ(isSuccessfulFree(setQualifierValue(d, newCIMValue(CIM_ARRAY + CIM_STRING, newCIMValueList()))), 1);
    CIMQualifierType *declaration = copyQualifierType(d);
    freeQualifierType(d);
    EXPECT_EQ(getQualifierTypeValueType(declaration), 108) << "the value retypes the declaration";
    EXPECT_EQ(getQualifierTypeScope(declaration), CIM_SCOPE_PROPERTY | CIM_SCOPE_METHOD);
    EXPECT_EQ(getQualifierTypeArraySize(declaration), CIM_SIZE_UNLIMITED);
    freeQualifierType(declaration);

    CIMClass *c = newCIMClassEmpty();
    EXPECT_EQ(setClassName(c, str(L"CIM_Disk")) + setClassSuperName(c, str(L"CIM_Device")), 2);
    setClassNameSpace(c, str(L"root/cimv2"));
    CIMPropertyList *params = newCIMPropertyList();
    isSuccessfulFree(
        appendToCIMPropertyList(params, newProperty(str(L"In"), nullptr, nullptr, CIM_UINT32, nullptr, 0)));
    isSuccessfulFree(
        appendToCIMPropertyList(params, newProperty(str(L"Out"), nullptr, nullptr, CIM_REFERENCE, nullptr, 0)));
    CIMMethodList *methods = newCIMMethodList();
    CIMMethod *m = newMethod(str(L"Reset"), str(L"CIM_Device"), 1, nullptr, CIM_UINT32, nullptr);
    EXPECT_EQ(setMethodParameters(m, params), 1);
    isSuccessfulFree(appendToCIMMethodList(methods, m));
    setClassMethods(c, methods);
    setClassQualifiers(c, newCIMQualifierList());
    isSuccessfulFree(appendToCIMQualifierList(getClassQualifiers(c),
                                              newQualifier(str(L"Abstract"), 0, boolValue(1), CIM_BOOLEAN, 0)));
    CIMClass *copy = copyCIMClass(c);
    freeCIMClass(c);
    EXPECT_EQ(wide(getClassName(copy)), L"CIM_Disk");
    EXPECT_EQ(wide(getClassSuperName(copy)), L"CIM_Device");
    EXPECT_EQ(wide(getClassNameSpace(copy)), L"root/cimv2");
    const CIMMethod *method = getCIMMethodAt(getClassMethods(copy), 0);
    EXPECT_EQ(getMethodReturnType(method), CIM_UINT32);
    EXPECT_EQ(wide(propertyGetName(getCIMPropertyAt(method->parameters, 1))), L"Out");
    EXPECT_EQ(isBoolQualEnabledInList(getClassQualifiers(copy), L"abstract"), 1);
    freeCIMClass(copy);

    ReturnCode *rc = newReturnCode(4, L"bad parameter");
    ReturnCode *rcCopy = copyReturnCode(rc);
    freeReturnCode(rc);
    EXPECT_EQ(getErrorFromRetCode(rcCopy), 4);
    EXPECT_EQ(wide(rcCopy->description), L"bad parameter");
    freeReturnCode(rcCopy);
    EXPECT_EQ(copyReturnCode(nullptr), nullptr);
}

TEST(ObjectPath, FromInstanceTakesKeysHostAndNames) {
    CIMInstance *i = newInstanceEmpty();
    EXPECT_EQ(setInstanceName(i, str(L"CIM_Disk")) + setInstanceNameSpace(i, str(L"root/cimv2")), 2);
    CIMObjectPath *own = twoKeyPath(L"CIM_Disk", L"old", 7);
    setObjectPathHost(own, str(L"server1"));
    setInstancePath(i, own);
    isSuccessfulFree(instanceAddProperty(i, keyProperty(L"DeviceID", stringValue(L"disk0"))));
    isSuccessfulFree(instanceAddProperty(i, newProperty(str(L"Size"), nullptr, u32Value(5), CIM_UINT32, nullptr, 0)));
    CIMProperty *byQualifier = newProperty(str(L"Slot"), nullptr, u32Value(3), CIM_UINT32, nullptr, 0);
    isSuccessfulFree(propertyAddQualifier(byQualifier, newQualifier(str(L"Key"), 0, boolValue(1), CIM_BOOLEAN, 0)));
    isSuccessfulFree(instanceAddProperty(i, byQualifier));

    CIMObjectPath *p = newObjectPathFromInst(i);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(wide(p->nameSpace) + L" " + wide(p->host), L"root/cimv2 server1");
    ASSERT_EQ(getCIMPropertyListLength(p->mkeys), 2);
    EXPECT_EQ(wide(propertyGetName(getCIMPropertyAt(p->mkeys, 0))), L"DeviceID");
    EXPECT_EQ(wide(propertyGetName(getCIMPropertyAt(p->mkeys, 1))), L"Slot");
    freeCIMObjectPath(p);
    freeCIMInstance(i);
    EXPECT_EQ(newObjectPathFromInst(nullptr), nullptr);
}

TEST(ObjectPath, EqualityIgnoresNameCaseKeyOrderHostAndNamespace) {
    CIMObjectPath *a = twoKeyPath(L"CIM_Disk", L"d", 1);
    CIMObjectPath *b = newObjectPathWithName(str(L"cim_disk"));
    isSuccessfulFree(objectPathAddKey(b, keyProperty(L"ID", u32Value(1))));
    isSuccessfulFree(objectPathAddKey(b, keyProperty(L"name", stringValue(L"d"))));
    setObjectPathHost(b, str(L"elsewhere"));
    setObjectPathNameSpace(b, str(L"root/other"));
    CIMObjectPath *copy = copyObjectPath(b);
    freeCIMObjectPath(b);
    EXPECT_EQ(isEqualObjectPath(a, copy), 1);
    EXPECT_EQ(isEqualObjectPath(a, nullptr), 0);
    for (CIMObjectPath *p : {a, copy}) freeCIMObjectPath(p);
}

TEST(ReturnCodeRecord, SuccessTestFreesAndLogLineWithoutDescriptionIsTheCodeAlone) {
    EXPECT_NE(isSuccessfulFree(newReturnCode(0, L"fine")), 0);
    EXPECT_EQ(isSuccessfulFree(newReturnCode(1, nullptr)), 0);
    EXPECT_EQ(isSuccessfulFree(nullptr), 0);
    EXPECT_EQ(getErrorFromRetCode(nullptr), 1);
    testsupport::LogCapture capture(2);
    ReturnCode *bare = newReturnCode(5, nullptr);
    cimPrintRetCode(1, bare);
    EXPECT_TRUE(capture.contains("status 5", 1));
    freeReturnCode(bare);
}

// The list's texts by node walk, checked against the same by index.
std::wstring walk_and_index(const CIMStringList *list) {
    std::wstring seen;
    for (CIMListNode *n = getFirstCIMString(list); n; n = getNextCIMString(n)) seen += wide(getCurrentCIMString(n));
    for (int i = 0; i < getCIMStringListLength(list); ++i) EXPECT_EQ(wide(getCIMStringAt(list, i)), seen.substr(i, 1));
    EXPECT_EQ(wide(getCurrentCIMString(getLastCIMString(list))), seen.substr(seen.size() - 1));
    return seen;
}

TEST(List, KeepsInsertionOrderThroughRemovalsAndAppends) {
    CIMStringList *list = newCIMStringList();
    for (const wchar_t *letter : {L"a", L"b", L"c", L"d", L"e"})
        EXPECT_EQ(isSuccessfulFree(appendToCIMStringList(list, str(letter))), 1);
    EXPECT_EQ(walk_and_index(list), L"abcde");
    EXPECT_EQ(getCIMStringAt(list, 5), nullptr);
    EXPECT_EQ(getCIMStringAt(list, -1), nullptr);
    CIMString *removed[] = {getCIMStringAt(list, 2), getCIMStringAt(list, 4), getCIMStringAt(list, 0)};
    for (CIMString *item : removed) EXPECT_EQ(removeFromList(list, item), 1);
    EXPECT_EQ(removeFromList(list, removed[0]), 0) << "already gone";
    EXPECT_EQ(walk_and_index(list), L"bd");
    for (CIMString *item : removed) freeCIMString(item);  // removed items are the caller's
    EXPECT_EQ(isSuccessfulFree(appendToCIMStringList(list, str(L"f"))), 1);
    EXPECT_EQ(walk_and_index(list), L"bdf");
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

}  // namespace
