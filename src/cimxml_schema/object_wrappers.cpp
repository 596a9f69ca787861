// object_wrappers.cpp - objects paired with their names or paths.
#include "cimxml_schema/object_wrappers.h"

#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/path_encoding.h"

namespace {

// start tag, the content, end tag; false (nothing written) without content.
template <typename Content>
bool write_wrapped(xml_sink &out, const char *startTag, Content content, const char *endTag) {
    std::size_t mark = out.mark();
    out.put(startTag);
    if (!content()) return drop_element(out, mark);
    out.put(endTag);
    return out.ok() || drop_element(out, mark);
}

bool write_object(xml_sink &out, const void *object, int isClass) {
    return isClass ? write_class(out, static_cast<const CIMClass *>(object))
                   : write_instance(out, static_cast<const CIMInstance *>(object));
}

}  // namespace

bool write_valueobject(xml_sink &out, const void *object, int isClass) {
    if (object == nullptr) return false;
    return write_wrapped(out, "<VALUE.OBJECT>\n", [&] { return write_object(out, object, isClass); },
                         "</VALUE.OBJECT>\n");
}

bool write_instance_instancename(xml_sink &out, const CIMInstance *instance) {
    if (instance == nullptr) return false;
    const CIMObjectPath *path = getInstancePath(instance);
    if (path == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"get_instance_instancename - Instance does not have an ObjectPath!");
        return false;
    }
    std::size_t mark = out.mark();
    if (!write_instancename(out, path)) {
        cimPrintMessage(CIM_LOG_TRACE, L"get_instance_instancename - cim_instancename_toxml failed");
        return false;
    }
    if (!write_instance(out, instance)) {
        cimPrintMessage(CIM_LOG_TRACE, L"get_instance_instancename - cim_instance_toxml failed");
        return drop_element(out, mark);
    }
    return true;
}

bool write_namedinstance(xml_sink &out, const CIMInstance *instance) {
    bool written = write_wrapped(
        out, "<VALUE.NAMEDINSTANCE>\n", [&] { return write_instance_instancename(out, instance); },
        "</VALUE.NAMEDINSTANCE>\n");
    if (!written && out.ok())
        cimPrintMessage(CIM_LOG_ERROR, L"cim_namedinstance_toxml - get_instance_instancename failed");
    return written;
}

bool write_class_classpath(xml_sink &out, const CIMClass *cimClass) {
    if (cimClass == nullptr) return false;
    CIMString *name = copyCIMString(getClassName(cimClass));
    if (name == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"get_class_classpath - copyCIMString failed");
        return false;
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
        return false;
    }
    if (nameSpace != nullptr && !setObjectPathNameSpace(path, nameSpace)) freeCIMString(nameSpace);
    std::size_t mark = out.mark();
    bool written = write_classpath(out, path);
    freeCIMObjectPath(path);
    return written && (write_class(out, cimClass) || drop_element(out, mark));
}

bool write_instance_instancepath(xml_sink &out, const CIMInstance *instance) {
    if (instance == nullptr) return false;
    CIMObjectPath *path = newObjectPathFromInst(instance);
    if (path == nullptr) return false;
    std::size_t mark = out.mark();
    bool written = write_instancepath(out, path);
    freeCIMObjectPath(path);
    return written && (write_instance(out, instance) || drop_element(out, mark));
}

bool write_objectwithpath(xml_sink &out, const void *object, int isClass) {
    if (object == nullptr) return false;
    return write_wrapped(
        out, "<VALUE.OBJECTWITHPATH>\n",
        [&] {
            return isClass ? write_class_classpath(out, static_cast<const CIMClass *>(object))
                           : write_instance_instancepath(out, static_cast<const CIMInstance *>(object));
        },
        "</VALUE.OBJECTWITHPATH>\n");
}

bool write_instancewithpath(xml_sink &out, const CIMInstance *instance) {
    if (instance == nullptr) return false;
    return write_wrapped(
        out, "<VALUE.INSTANCEWITHPATH>\n", [&] { return write_instance_instancepath(out, instance); },
        "</VALUE.INSTANCEWITHPATH>\n");
}

char *cim_valueobject_toxml(const void *object, int isClass) {
    return written_fragment([&](xml_sink &out) { return write_valueobject(out, object, isClass); });
}

char *get_instance_instancename(const CIMInstance *instance) {
    return written_fragment([&](xml_sink &out) { return write_instance_instancename(out, instance); });
}

char *cim_namedinstance_toxml(const CIMInstance *instance) {
    return written_fragment([&](xml_sink &out) { return write_namedinstance(out, instance); });
}

char *get_class_classpath(const CIMClass *cimClass) {
    return written_fragment([&](xml_sink &out) { return write_class_classpath(out, cimClass); });
}

char *get_instance_instancepath(const CIMInstance *instance) {
    return written_fragment([&](xml_sink &out) { return write_instance_instancepath(out, instance); });
}

char *cim_objectwithpath_toxml(const void *object, int isClass) {
    return written_fragment([&](xml_sink &out) { return write_objectwithpath(out, object, isClass); });
}
