// object_wrappers.cpp - objects paired with their names or paths.
#include "cimxml_schema/object_wrappers.h"

#include "cimxml_common/memory.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/path_encoding.h"

namespace {

// start tag, the content, end tag.
char *wrap(const char *startTag, char *content, const char *endTag) {
    if (content == nullptr) return nullptr;
    fragment_builder element;
    element.add(startTag);
    element.take(content);
    element.add(endTag);
    return element.finish();
}

// The two parts joined; NULL (both released) when either is missing.
char *join_pair(char *first, char *second) {
    if (first == nullptr || second == nullptr) {
        cimxml_free(first, CIMXML_ATOMIC);
        cimxml_free(second, CIMXML_ATOMIC);
        return nullptr;
    }
    fragment_builder pair;
    pair.take(first);
    pair.take(second);
    return pair.finish();
}

}  // namespace

char *cim_valueobject_toxml(const void *object, int isClass) {
    if (object == nullptr) return nullptr;
    char *content = isClass ? cim_class_toxml(static_cast<const CIMClass *>(object))
                            : cim_instance_toxml(static_cast<const CIMInstance *>(object));
    if (content == nullptr) return nullptr;
    char *result = wrap("<VALUE.OBJECT>\n", content, "</VALUE.OBJECT>\n");
    if (result == nullptr) CIMXML_LOG_NO_MEMORY();
    return result;
}

char *get_instance_instancename(const CIMInstance *instance) {
    if (instance == nullptr) return nullptr;
    const CIMObjectPath *path = getInstancePath(instance);
    if (path == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"get_instance_instancename - Instance does not have an ObjectPath!");
        return nullptr;
    }
    char *name = cim_instancename_toxml(path);
    if (name == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"get_instance_instancename - cim_instancename_toxml failed");
        return nullptr;
    }
    char *body = cim_instance_toxml(instance);
    if (body == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"get_instance_instancename - cim_instance_toxml failed");
        cimxml_free(name, CIMXML_ATOMIC);
        return nullptr;
    }
    char *result = join_pair(name, body);
    if (result == nullptr) CIMXML_LOG_NO_MEMORY();
    return result;
}

char *cim_namedinstance_toxml(const CIMInstance *instance) {
    char *content = get_instance_instancename(instance);
    if (content == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_namedinstance_toxml - get_instance_instancename failed");
        return nullptr;
    }
    char *result = wrap("<VALUE.NAMEDINSTANCE>\n", content, "</VALUE.NAMEDINSTANCE>\n");
    if (result == nullptr) CIMXML_LOG_NO_MEMORY();
    return result;
}

char *get_class_classpath(const CIMClass *cimClass) {
    if (cimClass == nullptr) return nullptr;
    CIMString *name = copyCIMString(getClassName(cimClass));
    if (name == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"get_class_classpath - copyCIMString failed");
        return nullptr;
    }
    const CIMString *classNameSpace = getClassNameSpace(cimClass);
    CIMString *nameSpace = copyCIMString(classNameSpace);
    if (nameSpace == nullptr && classNameSpace != nullptr)
        cimPrintMessage(CIM_LOG_ERROR, L"get_class_classpath - copyCIMString failed");
    CIMObjectPath *path = newObjectPathWithName(name);
    if (path == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"get_class_classpath - newObjectPathWithName failed");
        freeCIMString(name);
        freeCIMString(nameSpace);
        return nullptr;
    }
    if (nameSpace != nullptr && !setObjectPathNameSpace(path, nameSpace)) freeCIMString(nameSpace);
    char *classPath = cim_classpath_toxml(path);
    freeCIMObjectPath(path);
    char *body = classPath ? cim_class_toxml(cimClass) : nullptr;
    if (classPath != nullptr && body != nullptr) {
        char *result = join_pair(classPath, body);
        if (result == nullptr) cimPrintMessage(CIM_LOG_ERROR, L"Encode failed: get_class_classpath");
        return result;
    }
    cimxml_free(classPath, CIMXML_ATOMIC);
    return nullptr;
}

char *get_instance_instancepath(const CIMInstance *instance) {
    if (instance == nullptr) return nullptr;
    CIMObjectPath *path = newObjectPathFromInst(instance);
    if (path == nullptr) return nullptr;
    char *instancePath = cim_instancepath_toxml(path);
    freeCIMObjectPath(path);
    if (instancePath == nullptr) return nullptr;
    char *body = cim_instance_toxml(instance);
    if (body == nullptr) {
        cimxml_free(instancePath, CIMXML_ATOMIC);
        return nullptr;
    }
    char *result = join_pair(instancePath, body);
    if (result == nullptr) cimPrintMessage(CIM_LOG_ERROR, L"Encode failed: get_instance_instancepath");
    return result;
}

char *cim_objectwithpath_toxml(const void *object, int isClass) {
    if (object == nullptr) return nullptr;
    char *content = isClass ? get_class_classpath(static_cast<const CIMClass *>(object))
                            : get_instance_instancepath(static_cast<const CIMInstance *>(object));
    if (content == nullptr) return nullptr;
    char *result = wrap("<VALUE.OBJECTWITHPATH>\n", content, "</VALUE.OBJECTWITHPATH>\n");
    if (result == nullptr) cimPrintMessage(CIM_LOG_ERROR, L"Encode failed: Insf. Memory: cim_objectwithpath_toxml");
    return result;
}
