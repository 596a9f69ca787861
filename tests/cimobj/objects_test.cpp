// Properties, qualifiers, declarations, methods, classes, instances and paths:
// layout the module relies on, typing rules, copies, frees and lookups.
#include <gtest/gtest.h>

#include <cstddef>

#include "test_helpers.h"

using namespace cimobjtest;

namespace {

TEST(RecordLayout, MembersReadDirectlyStayInPlace) {
    const size_t word = sizeof(void *);
    EXPECT_EQ(offsetof(CIMObjectPath, className), 0 * word);
    EXPECT_EQ(offsetof(CIMObjectPath, nameSpace), 1 * word);
    EXPECT_EQ(offsetof(CIMObjectPath, host), 2 * word);
    EXPECT_EQ(offsetof(CIMObjectPath, mkeys), 3 * word);
    EXPECT_EQ(offsetof(CIMClass, path), 0u);
    EXPECT_EQ(offsetof(CIMInstance, path), 0u);
    EXPECT_EQ(offsetof(CIMMethod, parameters), 5 * word) << "sixth member";
}

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
    CIMProperty *param = newProperty(str(L"ObjectName"), nullptr, newCIMValueNULL(CIM_REFERENCE),
                                     CIM_REFERENCE, nullptr, 0);
    EXPECT_EQ(propertyIsRefType(param), 1);
    EXPECT_EQ(isSuccessfulFree(propertyAddValue(param, stringValue(L"CIM_Foo"))), 1);
    EXPECT_EQ(propertyGetType(param), CIM_STRING);
    EXPECT_EQ(propertyIsRefType(param), 0);
    freeCIMProperty(param);

    CIMProperty *untyped = newPropertyKey(nullptr, nullptr, nullptr);
    EXPECT_EQ(propertyGetType(untyped), CIM_EMPTY);
    freeCIMProperty(untyped);
}

TEST(Property, FailedAddersTakeNothing) {
    CIMValue *v = u32Value(1);
    ReturnCode *rc = propertyAddValue(nullptr, v);
    EXPECT_EQ(getErrorFromRetCode(rc), 4);
    freeReturnCode(rc);
    CIMQualifier *q = newQualifier(str(L"Key"), 0, boolValue(1), CIM_BOOLEAN, 0);
    rc = propertyAddQualifier(nullptr, q);
    EXPECT_EQ(getErrorFromRetCode(rc), 4);
    freeReturnCode(rc);
    CIMProperty *p = newProperty(str(L"P"), nullptr, nullptr, CIM_UINT32, nullptr, 0);
    rc = instanceAddProperty(nullptr, p);
    EXPECT_EQ(getErrorFromRetCode(rc), 4);
    freeReturnCode(rc);
    rc = objectPathAddKey(nullptr, p);
    EXPECT_EQ(getErrorFromRetCode(rc), 4);
    freeReturnCode(rc);
    rc = setQualifierValue(q, nullptr);
    EXPECT_EQ(getErrorFromRetCode(rc), 4);
    freeReturnCode(rc);
    // Everything passed is still the caller's.
    freeCIMValue(v);
    freeCIMQualifier(q);
    freeCIMProperty(p);
}

TEST(Property, ReferenceClassComesFromValueOrItsPath) {
    CIMProperty *p = newProperty(str(L"Antecedent"), nullptr, nullptr, CIM_REFERENCE, nullptr, 0);
    EXPECT_EQ(propertyGetReferenceClass(p), nullptr);
    isSuccessfulFree(propertyAddValue(p, newCIMValue(CIM_REFERENCE, twoKeyPath(L"CIM_Disk", L"d", 1))));
    EXPECT_EQ(wide(propertyGetReferenceClass(p)), L"CIM_Disk");
    setCIMValueReferenceType(propertyGetValue(p), str(L"CIM_LogicalDevice"));
    EXPECT_EQ(wide(propertyGetReferenceClass(p)), L"CIM_LogicalDevice");

    CIMValueList *refs = newCIMValueList();
    isSuccessfulFree(appendToCIMValueList(refs, newCIMValue(CIM_REFERENCE, twoKeyPath(L"CIM_A", L"a", 1))));
    isSuccessfulFree(appendToCIMValueList(refs, newCIMValue(CIM_REFERENCE, twoKeyPath(L"CIM_B", L"b", 2))));
    isSuccessfulFree(propertyAddValue(p, newCIMValue(CIM_ARRAY + CIM_REFERENCE, refs)));
    EXPECT_EQ(wide(propertyGetReferenceClass(p)), L"CIM_A");
    freeCIMProperty(p);
}

TEST(Property, CopyIsDeepWithQualifiers) {
    CIMProperty *p = newProperty(str(L"Size"), str(L"CIM_Disk"), u32Value(512), CIM_UINT32, nullptr, 1);
    isSuccessfulFree(propertyAddQualifier(p, newQualifier(str(L"Units"), 8, stringValue(L"bytes"), CIM_STRING, 0)));
    CIMProperty *copy = copyCIMProperty(p);
    freeCIMProperty(p);
    EXPECT_EQ(wide(propertyGetName(copy)), L"Size");
    EXPECT_EQ(wide(propertyGetClassOrigin(copy)), L"CIM_Disk");
    EXPECT_EQ(isPropertyPropagated(copy), 1);
    EXPECT_EQ(propertyGetValue(copy)->data.u32, 512u);
    CIMQualifier *q = getCIMQualifierAt(propertyGetQualifiers(copy), 0);
    EXPECT_EQ(wide(getQualifierName(q)), L"Units");
    EXPECT_EQ(getQualifierFlavors(q), 8);
    freeCIMProperty(copy);
}

TEST(Qualifiers, BooleanQualifierIsEnabledOnlyWhenTrue) {
    CIMQualifierList *list = newCIMQualifierList();
    isSuccessfulFree(appendToCIMQualifierList(list, newQualifier(str(L"EMBEDDEDOBJECT"), 2, boolValue(1), CIM_BOOLEAN, 0)));
    isSuccessfulFree(appendToCIMQualifierList(list, newQualifier(str(L"Key"), 0, boolValue(0), CIM_BOOLEAN, 0)));
    isSuccessfulFree(appendToCIMQualifierList(list, newQualifier(str(L"Description"), 0, stringValue(L"true"), CIM_STRING, 0)));
    isSuccessfulFree(appendToCIMQualifierList(list, newQualifier(str(L"Abstract"), 0, newCIMValueNULL(CIM_BOOLEAN), CIM_BOOLEAN, 0)));
    EXPECT_EQ(isBoolQualEnabledInList(list, L"EmbeddedObject"), 1);
    EXPECT_EQ(isBoolQualEnabledInList(list, L"Key"), 0);
    EXPECT_EQ(isBoolQualEnabledInList(list, L"Description"), 0);
    EXPECT_EQ(isBoolQualEnabledInList(list, L"Abstract"), 0);
    EXPECT_EQ(isBoolQualEnabledInList(list, L"EmbeddedInstance"), 0);
    EXPECT_EQ(isBoolQualEnabledInList(nullptr, L"Key"), 0);
    freeCIMQualifierList(list);
}

TEST(Qualifiers, SetValueRetypesAndDeclarationsKeepScopeAndSize) {
    CIMQualifierType *decl = newQualifierType(str(L"ValueMap"), CIM_FLAVOR_TOSUBCLASS, nullptr, CIM_STRING,
                                              CIM_SIZE_UNLIMITED, CIM_SCOPE_PROPERTY | CIM_SCOPE_METHOD);
    CIMValueList *defaults = newCIMValueList();
    isSuccessfulFree(appendToCIMValueList(defaults, stringValue(L"0")));
    EXPECT_EQ(isSuccessfulFree(setQualifierValue(decl, newCIMValue(CIM_ARRAY + CIM_STRING, defaults))), 1);
    EXPECT_EQ(getQualifierTypeValueType(decl), 108);
    setQualifierTypeScope(decl, CIM_SCOPE_ANY);
    CIMQualifierType *copy = copyQualifierType(decl);
    freeQualifierType(decl);
    EXPECT_EQ(wide(getQualifierTypeName(copy)), L"ValueMap");
    EXPECT_EQ(getQualifierTypeScope(copy), CIM_SCOPE_ANY);
    EXPECT_EQ(getQualifierTypeArraySize(copy), CIM_SIZE_UNLIMITED);
    EXPECT_EQ(getQualifierTypeFlavors(copy), CIM_FLAVOR_TOSUBCLASS);
    EXPECT_EQ(getCIMValueNumElements(getQualifierTypeValue(copy)), 1);
    freeQualifierType(copy);
}

TEST(Properties, FindIgnoresCase) {
    CIMPropertyList *list = newCIMPropertyList();
    isSuccessfulFree(appendToCIMPropertyList(list, newProperty(str(L"Name"), nullptr, stringValue(L"1"), CIM_STRING, nullptr, 0)));
    isSuccessfulFree(appendToCIMPropertyList(list, newProperty(str(L"name"), nullptr, stringValue(L"2"), CIM_STRING, nullptr, 0)));
    CIMProperty *found = findCIMProperty(list, L"NAME");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(wide(propertyGetValue(found)->data.string), L"1") << "the first match wins";
    EXPECT_EQ(findCIMProperty(list, L"Nam"), nullptr);
    EXPECT_EQ(findCIMProperty(nullptr, L"Name"), nullptr);
    freeCIMPropertyList(list);
}

TEST(Method, CopyKeepsParametersInOrder) {
    CIMPropertyList *params = newCIMPropertyList();
    isSuccessfulFree(appendToCIMPropertyList(params, newProperty(str(L"In"), nullptr, nullptr, CIM_UINT32, nullptr, 0)));
    isSuccessfulFree(appendToCIMPropertyList(params, newProperty(str(L"Out"), nullptr, nullptr, CIM_REFERENCE, nullptr, 0)));
    CIMMethod *m = newMethod(str(L"Reset"), str(L"CIM_Device"), 1, nullptr, CIM_UINT32, params);
    CIMMethod *copy = copyMethod(m);
    freeMethod(m);
    EXPECT_EQ(wide(getMethodName(copy)), L"Reset");
    EXPECT_EQ(getMethodReturnType(copy), CIM_UINT32);
    ASSERT_EQ(getCIMPropertyListLength(copy->parameters), 2);
    EXPECT_EQ(wide(propertyGetName(getCIMPropertyAt(copy->parameters, 1))), L"Out");
    EXPECT_EQ(setMethodParameters(copy, nullptr), 1);
    EXPECT_EQ(getMethodParameters(copy), nullptr);
    freeMethod(copy);
}

TEST(ClassObject, PathHoldsNameAndNamespaceAndCopyIsDeep) {
    CIMClass *empty = newCIMClassEmpty();
    ASSERT_NE(empty->path, nullptr);
    EXPECT_EQ(getClassName(empty), nullptr);
    EXPECT_EQ(setClassName(empty, str(L"CIM_Disk")), 1);
    EXPECT_EQ(setClassNameSpace(empty, str(L"root/cimv2")), 1);
    EXPECT_EQ(setClassSuperName(empty, str(L"CIM_Device")), 1);
    EXPECT_EQ(wide(empty->path->className), L"CIM_Disk");
    EXPECT_EQ(wide(getClassNameSpace(empty)), L"root/cimv2");
    CIMMethodList *methods = newCIMMethodList();
    isSuccessfulFree(appendToCIMMethodList(methods, newMethod(str(L"Reset"), nullptr, 0, nullptr, CIM_UINT32, nullptr)));
    setClassMethods(empty, methods);
    setClassQualifiers(empty, newCIMQualifierList());
    isSuccessfulFree(appendToCIMQualifierList(getClassQualifiers(empty),
                                              newQualifier(str(L"Abstract"), 0, boolValue(1), CIM_BOOLEAN, 0)));
    CIMClass *copy = copyCIMClass(empty);
    freeCIMClass(empty);
    EXPECT_EQ(wide(getClassName(copy)), L"CIM_Disk");
    EXPECT_EQ(wide(getClassSuperName(copy)), L"CIM_Device");
    EXPECT_EQ(wide(getMethodName(getCIMMethodAt(getClassMethods(copy), 0))), L"Reset");
    EXPECT_EQ(isBoolQualEnabledInList(getClassQualifiers(copy), L"abstract"), 1);
    freeCIMClass(copy);
}

TEST(InstanceObject, NamespaceFallsBackToItsPath) {
    CIMInstance *i = newInstanceEmpty();
    EXPECT_EQ(getInstanceNameSpace(i), nullptr);
    CIMObjectPath *own = newObjectPathWithName(str(L"CIM_Disk"));
    setObjectPathNameSpace(own, str(L"root/path"));
    setInstancePath(i, own);
    EXPECT_EQ(wide(getInstanceNameSpace(i)), L"root/path");
    setInstanceNameSpace(i, str(L"root/own"));
    EXPECT_EQ(wide(getInstanceNameSpace(i)), L"root/own");
    EXPECT_EQ(wide(getInstanceName(i)), L"CIM_Disk");
    setInstanceName(i, str(L"CIM_LogicalDisk"));
    CIMInstance *copy = copyCIMInstance(i);
    freeCIMInstance(i);
    EXPECT_EQ(wide(getInstanceName(copy)), L"CIM_LogicalDisk");
    EXPECT_EQ(wide(getObjectPathNameSpace(getInstancePath(copy))), L"root/path");
    freeCIMInstance(copy);
}

TEST(ObjectPath, FromInstanceTakesKeysHostAndNames) {
    CIMInstance *i = newInstance(str(L"CIM_Disk"), str(L"root/cimv2"), nullptr);
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
    EXPECT_EQ(wide(p->className), L"CIM_Disk");
    EXPECT_EQ(wide(p->nameSpace), L"root/cimv2");
    EXPECT_EQ(wide(p->host), L"server1");
    ASSERT_EQ(getCIMPropertyListLength(p->mkeys), 2);
    EXPECT_EQ(wide(propertyGetName(getCIMPropertyAt(p->mkeys, 0))), L"DeviceID");
    EXPECT_EQ(wide(propertyGetName(getCIMPropertyAt(p->mkeys, 1))), L"Slot");
    freeCIMObjectPath(p);

    // Without key properties the instance's own path supplies the keys.
    setInstanceProperties(i, nullptr);
    p = newObjectPathFromInst(i);
    CIMObjectPath *expected = twoKeyPath(L"CIM_Disk", L"old", 7);
    EXPECT_EQ(isEqualObjectPath(p, expected), 1);
    freeCIMObjectPath(expected);
    freeCIMObjectPath(p);
    freeCIMInstance(i);
    EXPECT_EQ(newObjectPathFromInst(nullptr), nullptr);
}

TEST(ObjectPath, EqualityIgnoresCaseKeyOrderHostAndNamespace) {
    CIMObjectPath *a = twoKeyPath(L"CIM_Disk", L"d", 1);
    CIMObjectPath *b = newObjectPathWithName(str(L"cim_disk"));
    isSuccessfulFree(objectPathAddKey(b, keyProperty(L"ID", u32Value(1))));
    isSuccessfulFree(objectPathAddKey(b, keyProperty(L"name", stringValue(L"d"))));
    setObjectPathHost(b, str(L"elsewhere"));
    setObjectPathNameSpace(b, str(L"root/other"));
    EXPECT_EQ(isEqualObjectPath(a, b), 1);
    CIMObjectPath *c = twoKeyPath(L"CIM_Disk", L"D", 1);
    EXPECT_EQ(isEqualObjectPath(a, c), 0) << "key values are case-sensitive";
    CIMObjectPath *d = newObjectPathWithName(str(L"CIM_Disk"));
    isSuccessfulFree(objectPathAddKey(d, keyProperty(L"Name", stringValue(L"d"))));
    EXPECT_EQ(isEqualObjectPath(a, d), 0) << "a missing key";
    EXPECT_EQ(isEqualObjectPath(a, nullptr), 0);
    CIMObjectPath *copy = copyObjectPath(b);
    freeCIMObjectPath(b);
    EXPECT_EQ(isEqualObjectPath(a, copy), 1);
    EXPECT_EQ(wide(getObjectPathHost(copy)), L"elsewhere");
    for (CIMObjectPath *p : {a, c, d, copy}) freeCIMObjectPath(p);
}

}  // namespace
