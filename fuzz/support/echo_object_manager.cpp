// echo_object_manager.cpp - the slots of the echoing object manager.
#include "support/echo_object_manager.h"

#include <string>
#include <string_view>

#include <cimobj/cimobj.hpp>

namespace fuzzsupport {

namespace {

// Appends item to list (which takes it).
void append(CIMList *list, void *item) { freeReturnCode(appendToList(list, item)); }

const CIMString *nameOf(const CIMObjectPath *path) { return path != nullptr ? path->className : nullptr; }

// Status 0, or the number after "Err" in the target's class name.
ReturnCode *statusFor(const CIMObjectPath *path) {
    std::wstring_view name = cimobj::view(nameOf(path));
    if (name.size() < 4 || name.substr(0, 3) != L"Err") return newReturnCode(0, nullptr);
    bool negative = name[3] == L'-';
    long code = 0;
    std::size_t i = negative ? 4 : 3;
    for (; i < name.size() && name[i] >= L'0' && name[i] <= L'9' && code < 100000000; ++i) code = code * 10 + (name[i] - L'0');
    if (i == (negative ? 4u : 3u)) return newReturnCode(0, nullptr);
    std::wstring description(name);
    return newReturnCode(static_cast<int>(negative ? -code : code), description.c_str());
}

CIMString *copyOr(const CIMString *text, const wchar_t *fallback) {
    return text != nullptr && text->buffer != nullptr ? copyCIMString(text) : newCIMString(fallback);
}

CIMValue *stringValue(const CIMString *text) { return newCIMValue(CIM_STRING, copyCIMString(text)); }

CIMProperty *nullStringProperty(const CIMString *name) {
    return newProperty(copyOr(name, L"Echo"), nullptr, newCIMValueNULL(CIM_STRING), CIM_STRING, nullptr, 0);
}

// Copies of the path's key bindings, then a null string property per name
// the property list asks for.
CIMPropertyList *propertiesFrom(const CIMObjectPath *path, const CIMStringList *propertyList) {
    CIMPropertyList *properties = copyCIMPropertyList(path != nullptr ? path->mkeys : nullptr);
    if (properties == nullptr) properties = newCIMPropertyList();
    for (int i = 0; i < getCIMStringListLength(propertyList); ++i)
        append(properties, nullStringProperty(getCIMStringAt(propertyList, i)));
    return properties;
}

CIMClass *classFrom(const CIMObjectPath *path, const CIMStringList *propertyList) {
    CIMClass *cimClass = newCIMClass(copyOr(nameOf(path), L"Echo_Class"), newCIMString(L"Echo_Base"));
    setClassNameSpace(cimClass, copyCIMString(path != nullptr ? path->nameSpace : nullptr));
    setClassProperties(cimClass, propertiesFrom(path, propertyList));
    CIMMethodList *methods = newCIMMethodList();
    append(methods, newMethod(newCIMString(L"Echo"), nullptr, 0, nullptr, CIM_STRING,
                                             copyCIMPropertyList(path != nullptr ? path->mkeys : nullptr)));
    setClassMethods(cimClass, methods);
    return cimClass;
}

CIMInstance *instanceFrom(const CIMObjectPath *path, const CIMStringList *propertyList) {
    CIMInstance *instance = newInstance(copyOr(nameOf(path), L"Echo_Class"),
                                        copyCIMString(path != nullptr ? path->nameSpace : nullptr),
                                        propertiesFrom(path, propertyList));
    if (path != nullptr) setInstancePath(instance, copyObjectPath(path));
    return instance;
}

// A class path (no keys) answers with classes, an instance path with instances.
CIMList *objectsFrom(const CIMObjectPath *path, const CIMStringList *propertyList) {
    bool instances = path != nullptr && getCIMPropertyListLength(path->mkeys) > 0;
    CIMList *list = newList(instances ? CIMLIST_INSTANCE : CIMLIST_CLASS);
    append(list, instances ? static_cast<void *>(instanceFrom(path, propertyList))
                                 : static_cast<void *>(classFrom(path, propertyList)));
    return list;
}

CIMObjectPathList *pathsFrom(const CIMObjectPath *path) {
    CIMObjectPathList *paths = newCIMObjectPathList();
    if (path != nullptr) append(paths, copyObjectPath(path));
    return paths;
}

CIMQualifierType *declarationFrom(const CIMString *name, const CIMString *value) {
    return newQualifierType(copyOr(name, L"Echo"), CIM_FLAVOR_TOSUBCLASS, stringValue(value), CIM_STRING,
                            CIM_SIZE_SINGLE, CIM_SCOPE_ANY);
}

ReturnCode *enumerateClassNames(CIMObjectPath *path, int, CIMObjectPathList **classPaths) {
    *classPaths = pathsFrom(path);
    return statusFor(path);
}

ReturnCode *enumerateClasses(CIMObjectPath *path, int, int, int, int, CIMClassList **classes) {
    *classes = newCIMClassList();
    append(*classes, classFrom(path, nullptr));
    return statusFor(path);
}

ReturnCode *statusOnly(CIMObjectPath *path) { return statusFor(path); }

ReturnCode *getQualifier(CIMString *nameSpace, CIMString *qualifierName, CIMQualifierType **declaration) {
    *declaration = declarationFrom(qualifierName, nameSpace);
    return newReturnCode(0, nullptr);
}

ReturnCode *setQualifier(CIMObjectPath *path, CIMQualifierType *) { return statusFor(path); }

ReturnCode *enumerateQualifiers(CIMObjectPath *path, CIMQualifierTypeList **declarations) {
    *declarations = newCIMQualifierTypeList();
    append(*declarations, declarationFrom(nameOf(path), path != nullptr ? path->nameSpace : nullptr));
    return statusFor(path);
}

ReturnCode *withClass(CIMObjectPath *path, CIMClass *) { return statusFor(path); }

ReturnCode *getClass(CIMObjectPath *path, int, int, int, CIMStringList *propertyList, CIMClass **cimClass) {
    *cimClass = classFrom(path, propertyList);
    return statusFor(path);
}

ReturnCode *getProperty(CIMObjectPath *instancePath, CIMString *propertyName, CIMValue **value) {
    const CIMProperty *key = nullptr;
    if (instancePath != nullptr && propertyName != nullptr && propertyName->buffer != nullptr)
        key = findCIMProperty(instancePath->mkeys, propertyName->buffer);
    *value = key != nullptr ? copyCIMValue(propertyGetValue(key)) : stringValue(propertyName);
    return statusFor(instancePath);
}

ReturnCode *setProperty(CIMObjectPath *instancePath, CIMString *, CIMValue *) { return statusFor(instancePath); }

ReturnCode *setInstance(CIMObjectPath *path, CIMInstance *, int, CIMStringList *) { return statusFor(path); }

ReturnCode *createInstance(CIMObjectPath *path, CIMInstance *instance, CIMObjectPath **newPath) {
    *newPath = newObjectPathFromInst(instance);
    if (*newPath != nullptr && (*newPath)->nameSpace == nullptr && path != nullptr)
        setObjectPathNameSpace(*newPath, copyCIMString(path->nameSpace));
    return statusFor(path);
}

ReturnCode *enumerateInstances(CIMObjectPath *path, int, int, int, int, CIMStringList *propertyList,
                               CIMInstanceList **instances) {
    *instances = newCIMInstanceList();
    append(*instances, instanceFrom(path, propertyList));
    return statusFor(path);
}

ReturnCode *enumerateInstanceNames(CIMObjectPath *path, CIMObjectPathList **instancePaths) {
    *instancePaths = pathsFrom(path);
    return statusFor(path);
}

ReturnCode *getInstance(CIMObjectPath *instancePath, int, int, int, CIMStringList *propertyList,
                        CIMInstance **instance) {
    *instance = instanceFrom(instancePath, propertyList);
    return statusFor(instancePath);
}

ReturnCode *execQuery(CIMObjectPath *path, CIMString *query, CIMString *queryLanguage, CIMList **objects) {
    CIMPropertyList *properties = newCIMPropertyList();
    append(properties, newProperty(newCIMString(L"Query"), nullptr, stringValue(query), CIM_STRING, nullptr, 0));
    append(properties, newProperty(newCIMString(L"QueryLanguage"), nullptr, stringValue(queryLanguage),
                                                    CIM_STRING, nullptr, 0));
    *objects = newList(CIMLIST_INSTANCE);
    append(*objects, newInstance(newCIMString(L"Echo_Query"),
                                       copyCIMString(path != nullptr ? path->nameSpace : nullptr), properties));
    return statusFor(path);
}

ReturnCode *invokeMethod(CIMObjectPath *path, CIMString *methodName, CIMPropertyList *inParameters,
                         CIMPropertyList *outParameters, CIMValue **returnValue) {
    for (int i = 0; i < getCIMPropertyListLength(inParameters); ++i)
        append(outParameters, copyCIMProperty(getCIMPropertyAt(inParameters, i)));
    const CIMProperty *first = getCIMPropertyAt(inParameters, 0);
    *returnValue = first != nullptr ? copyCIMValue(propertyGetValue(first)) : stringValue(methodName);
    return statusFor(path);
}

ReturnCode *associators(CIMObjectPath *path, CIMString *, CIMString *, CIMString *, CIMString *, int, int,
                        CIMStringList *propertyList, CIMList **objects) {
    *objects = objectsFrom(path, propertyList);
    return statusFor(path);
}

ReturnCode *associatorNames(CIMObjectPath *path, CIMString *, CIMString *, CIMString *, CIMString *, CIMList **paths) {
    *paths = pathsFrom(path);
    return statusFor(path);
}

ReturnCode *references(CIMObjectPath *path, CIMString *, CIMString *, int, int, CIMStringList *propertyList,
                       CIMList **objects) {
    *objects = objectsFrom(path, propertyList);
    return statusFor(path);
}

ReturnCode *referenceNames(CIMObjectPath *path, CIMString *, CIMString *, CIMObjectPathList **paths) {
    *paths = pathsFrom(path);
    return statusFor(path);
}

ReturnCode *deliverIndication(CIMObjectPath *path, CIMInstance *) { return statusFor(path); }

CIMOMHandle makeHandle() {
    CIMOMHandle handle{};
    handle.pfn_enumerateClassNames = enumerateClassNames;
    handle.pfn_enumerateClasses = enumerateClasses;
    handle.pfn_deleteQualifier = statusOnly;
    handle.pfn_getQualifier = getQualifier;
    handle.pfn_setQualifier = setQualifier;
    handle.pfn_enumerateQualifiers = enumerateQualifiers;
    handle.pfn_createClass = withClass;
    handle.pfn_deleteClass = statusOnly;
    handle.pfn_getClass = getClass;
    handle.pfn_modifyClass = withClass;
    handle.pfn_getProperty = getProperty;
    handle.pfn_setProperty = setProperty;
    handle.pfn_setInstance = setInstance;
    handle.pfn_createInstance = createInstance;
    handle.pfn_deleteInstance = statusOnly;
    handle.pfn_enumerateInstances = enumerateInstances;
    handle.pfn_enumerateInstanceNames = enumerateInstanceNames;
    handle.pfn_getInstance = getInstance;
    handle.pfn_execQuery = execQuery;
    handle.pfn_invokeMethod = invokeMethod;
    handle.pfn_associators = associators;
    handle.pfn_associatorNames = associatorNames;
    handle.pfn_references = references;
    handle.pfn_referenceNames = referenceNames;
    handle.pfn_deliverIndication = deliverIndication;
    return handle;
}

}  // namespace

CIMOMHandle *echoObjectManager() {
    static CIMOMHandle handle = makeHandle();
    return &handle;
}

}  // namespace fuzzsupport
