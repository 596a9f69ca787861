// The shared library exports, with C linkage, every function the module calls.
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

const char *const moduleCalls[] = {
    "appendToCIMClassList", "appendToCIMInstanceList", "appendToCIMMethodList", "appendToCIMObjectPathList",
    "appendToCIMPropertyList", "appendToCIMQualifierList", "appendToCIMValueList", "appendToList", "cimPrintMessage",
    "cimPrintRetCode", "cimStringCaseCmp", "cimStringCat", "cimStringCmp", "copyCIMClass", "copyCIMInstance",
    "copyCIMPropertyList", "copyCIMString", "copyCIMStringList", "copyCIMValue", "copyCIMValueList", "copyObjectPath",
    "copyQualifierType", "copyReturnCode", "createCIMStringFromChar", "createCharFromCIMString", "createCharFromWide",
    "createWideFromChar", "freeCIMClass", "freeCIMInstance", "freeCIMObjectPath", "freeCIMObjectPathList",
    "freeCIMPropertyList", "freeCIMQualifierTypeList", "freeCIMString", "freeCIMValue", "freeCIMValueList",
    "freeMethod", "freeQualifierType", "freeReturnCode", "getCIMClassAt", "getCIMInstanceAt", "getCIMObjectPathAt",
    "getCIMPropertyAt", "getCIMPropertyListLength", "getCIMStringBuffer", "getCIMValue", "getCIMValueAt",
    "getCIMValueNumElements", "getCIMValueReferenceType", "getCIMValueType", "getCharFromCIMValue", "getClassName",
    "getClassNameSpace", "getClassSuperName", "getCurrentCIMProperty", "getCurrentCIMValue", "getElementAt",
    "getErrorFromRetCode", "getFirstCIMProperty", "getFirstCIMValue", "getInstanceName", "getInstanceNameSpace",
    "getLastCIMProperty", "getLength", "getListType", "getMethodName", "getNextCIMProperty", "getNextCIMValue",
    "getObjectPathNameSpace", "getQualifierTypeFlavors", "getQualifierTypeName", "getQualifierTypeValue",
    "getQualifierTypeValueType", "getQualifierValue", "getQualifierValueType", "instanceAddProperty",
    "isBoolQualEnabledInList", "isEmptyCIMPropertyList", "isEmptyCIMString", "isPropertyPropagated",
    "isSuccessfulFree", "local_strcasecmp", "local_strncasecmp", "local_wcscasecmp", "local_wcscmp", "logReturnCode",
    "newCIMClassEmpty", "newCIMMethodList", "newCIMObjectPathList", "newCIMPropertyList", "newCIMQualifierList",
    "newCIMString", "newCIMValue", "newCIMValueEmpty", "newCIMValueList", "newCIMValueNULL", "newInstance",
    "newInstanceEmpty", "newList", "newMethod", "newObjectPathFromInst", "newObjectPathWithName", "newProperty",
    "newPropertyKey", "newQualifier", "newQualifierType", "newReturnCode", "objectPathAddKey", "propertyAddQualifier",
    "propertyAddValue", "propertyGetReferenceClass", "propertyGetType", "propertyGetValue", "propertyIsRefType",
    "real_dupChar", "removeFromList", "setCIMValueReferenceType", "setClassNameSpace", "setInstanceName",
    "setInstanceNameSpace", "setObjectPathName", "setObjectPathNameSpace", "setQualifierValue",
};

TEST(SharedLibrary, ExportsEveryFunctionTheModuleCalls) {
    const char *path = CIMXML_BINARY_DIR "/server/cimobj/libcimobj.so";
    void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    for (const char *name : moduleCalls) EXPECT_NE(dlsym(handle, name), nullptr) << name;
    dlclose(handle);
}

}  // namespace
