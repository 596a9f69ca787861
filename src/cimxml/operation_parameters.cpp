// operation_parameters.cpp - reading an operation's named parameters and
// preparing the paths handed to the object manager.
#include "cimxml/operation_parameters.h"

namespace {

// The first parameter named name (ASCII letters compared without case), lent.
CIMProperty *find_parameter(const CIMPropertyList *parameters, const wchar_t *name) {
    if (parameters == nullptr || name == nullptr) return nullptr;
    for (CIMListNode *node = getFirstCIMProperty(parameters); node != nullptr; node = getNextCIMProperty(node)) {
        CIMProperty *parameter = getCurrentCIMProperty(node);
        const wchar_t *parameterName = getCIMStringBuffer(propertyGetName(parameter));
        if (parameterName != nullptr && local_wcscasecmp(parameterName, name) == 0) return parameter;
    }
    return nullptr;
}

// Content of a value (see getCIMValue), lent; NULL for a null value.
void *value_content(const CIMValue *value) {
    void *content = nullptr;
    ReturnCode *rc = getCIMValue(value, &content, nullptr);
    bool ok = rc != nullptr && rc->rc == 0;
    freeReturnCode(rc);
    return ok ? content : nullptr;
}

// Logs text and returns a new ReturnCode with status 1 and description.
ReturnCode *update_failure(const wchar_t *text, const wchar_t *description) {
    cimPrintMessage(CIM_LOG_ERROR, L"%ls", text);
    return newReturnCode(1, description);
}

}  // namespace

void *getParamValue(const CIMPropertyList *parameters, const wchar_t *name) {
    CIMProperty *parameter = find_parameter(parameters, name);
    return parameter ? value_content(propertyGetValue(parameter)) : nullptr;
}

CIMValue *getParamCIMValue(const CIMPropertyList *parameters, const wchar_t *name) {
    CIMProperty *parameter = find_parameter(parameters, name);
    return parameter ? propertyGetValue(parameter) : nullptr;
}

int getParamType(const CIMPropertyList *parameters, const wchar_t *name) {
    CIMProperty *parameter = find_parameter(parameters, name);
    return parameter ? propertyGetType(parameter) : CIM_NULL;
}

int boolParamOrDefault(const void *content, int defaultValue) {
    return content ? *static_cast<const int *>(content) : defaultValue;
}

CIMStringList *valueListToStringList(const CIMValueList *values) {
    if (values == nullptr) return nullptr;
    CIMStringList *strings = newCIMStringList();
    if (strings == nullptr) return nullptr;
    for (CIMListNode *node = getFirstCIMValue(values); node != nullptr; node = getNextCIMValue(node)) {
        void *content = nullptr;
        int type = CIM_NULL;
        ReturnCode *rc = getCIMValue(getCurrentCIMValue(node), &content, &type);
        bool ok = rc != nullptr && rc->rc == 0;
        freeReturnCode(rc);
        // Only a string value's content is a CIMString; anything else is skipped.
        if (!ok || content == nullptr || type != CIM_STRING) continue;
        CIMString *copy = copyCIMString(static_cast<const CIMString *>(content));
        if (copy == nullptr) continue;
        ReturnCode *appended = appendToCIMStringList(strings, copy);
        if (appended == nullptr || appended->rc != 0) freeCIMString(copy);
        freeReturnCode(appended);
    }
    return strings;
}

void clearPlaceholderClassName(CIMObjectPath *path) {
    if (path == nullptr || path->className == nullptr) return;
    CIMString *placeholder = newCIMString(L"Container");
    if (placeholder == nullptr) return;
    if (cimStringCmp(path->className, placeholder) == 0) {
        freeCIMString(path->className);
        path->className = nullptr;
    }
    freeCIMString(placeholder);
}

void removePseudoClassName(CIMObjectPath *path) {
    if (path == nullptr || path->className == nullptr) return;
    const wchar_t *name = getCIMStringBuffer(path->className);
    if (name == nullptr || local_wcscmp(name, L"__Namespace") != 0) return;
    CIMString *replacement = newCIMString(L"CIM_Namespace");
    if (replacement == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"removePseudoClassName: Unable to create 'CIM_Namespace'");
        return;
    }
    freeCIMString(path->className);
    path->className = replacement;
}

CIMObjectPath *get_namedinstance_path(const CIMObjectPathList *paths, int index) {
    if (paths == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"get_namedinstance_path: failed - CCIMObjectPathList is null.");
        return nullptr;
    }
    return copyObjectPath(getCIMObjectPathAt(paths, index));
}

ReturnCode *UpdateObjectNameAsInstName(CIMOMHandle *handle, CIMObjectPath *target,
                                       const CIMPropertyList *parameters) {
    if (handle == nullptr || target == nullptr || parameters == nullptr)
        return update_failure(L"UpdateObjectNameAsInstName: failed - Null parameter(s).", L"Null parameter(s).");
    // Only a reference's content is a path; any other kind counts as missing.
    CIMValue *objectName = getParamCIMValue(parameters, L"ObjectName");
    CIMObjectPath *namePath = nullptr;
    if (getCIMValueType(objectName) == CIM_REFERENCE)
        namePath = copyObjectPath(static_cast<const CIMObjectPath *>(value_content(objectName)));
    if (namePath == nullptr)
        return update_failure(L"UpdateObjectNameAsInstName failed - ObjectName parameter is null.",
                              L"ObjectName parameter is null.");
    CIMString *nameSpace = copyCIMString(target->nameSpace);
    if (nameSpace == nullptr) {
        freeCIMObjectPath(namePath);
        return update_failure(L"UpdateObjectNameAsInstName failed - Could not get the namespace.",
                              L"Could not get the namespace.");
    }
    setObjectPathNameSpace(namePath, nameSpace);
    CIMString *className = copyCIMString(namePath->className);
    if (className == nullptr) {
        freeCIMObjectPath(namePath);
        return update_failure(L"UpdateObjectNameAsInstName: copyCIMString failed.", L"Could not copy class name.");
    }
    setObjectPathName(target, className);
    CIMPropertyList *keys = copyCIMPropertyList(namePath->mkeys);
    if (keys == nullptr) {
        freeCIMObjectPath(namePath);
        return update_failure(L"UpdateObjectNameAsInstName: copyCIMPropertyList failed.",
                              L"Could not copy property list.");
    }
    setObjectPathKeys(target, keys);
    freeCIMObjectPath(namePath);
    return newReturnCode(0, nullptr);
}
