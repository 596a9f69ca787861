// path_encoding.cpp - object paths and their pieces.
#include "cimxml_schema/path_encoding.h"

#include <cstring>

#include <utils/system_ip.h>

#include "cimxml_common/memory.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_common/fragment_builder.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_escaping.h"

char *cim_host_toxml(const char *host) {
    if (host == nullptr) return nullptr;
    char *text = needs_xml_escape(host) ? escape_through_pool(host, 128, "cim_jost_toxml")
                                        : concat_fragment({host});
    if (text == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"cim_host_toxml: could not alloc hostid");
        return nullptr;
    }
    fragment_builder element;
    element.add("<HOST>");
    element.take(text);
    element.add("</HOST>\n");
    char *result = element.finish();
    if (result == nullptr) cimPrintMessage(CIM_LOG_ERROR, L"Encode failed: cim_host_toxml");
    return result;
}

namespace {

// Host text of a path: its own host, else the machine's address, else "localhost".
char *host_text(const CIMObjectPath *path) {
    const CIMString *host = getObjectPathHost(path);
    char *text = has_text(host) ? createCharFromCIMString(host) : nullptr;
    if (text == nullptr) text = get_system_ip();
    if (text == nullptr) text = real_dupChar("localhost", __FILE_NAME__, __LINE__);
    return text;
}

// start tag, the children (each required), end tag; NULL (releasing what
// was made) when a child is missing.
char *wrap_pair(const char *startTag, char *first, char *second, const char *endTag) {
    if (first == nullptr || second == nullptr) {
        cimxml_free(first, CIMXML_ATOMIC);
        cimxml_free(second, CIMXML_ATOMIC);
        return nullptr;
    }
    fragment_builder element;
    element.add(startTag);
    element.take(first);
    element.take(second);
    element.add(endTag);
    return element.finish();
}

}  // namespace

char *cim_namespacepath_toxml(const CIMObjectPath *path) {
    if (path == nullptr) return nullptr;
    char *host = host_text(path);
    char *hostElement = cim_host_toxml(host);
    cimxml_free(host, CIMXML_ATOMIC);
    char *local = cim_localnamespacepath_toxml(getObjectPathNameSpace(path));
    return wrap_pair("<NAMESPACEPATH>\n", hostElement, local, "</NAMESPACEPATH>\n");
}

char *cim_localnamespacepath_toxml(const CIMString *nameSpace) {
    char *text = createCharFromCIMString(nameSpace);
    if (text == nullptr) return nullptr;
    fragment_builder element;
    element.add("<LOCALNAMESPACEPATH>\n");
    // Slashes and backslashes both separate components; empty ones vanish.
    for (char *at = text; *at != '\0';) {
        std::size_t length = std::strcspn(at, "/\\");
        if (length > 0) {
            char saved = at[length];
            at[length] = '\0';
            element.take(cim_namespace_toxml(at));
            at[length] = saved;
            at += length;
        }
        if (*at != '\0') ++at;
    }
    element.add("</LOCALNAMESPACEPATH>\n");
    char *result = element.finish();
    cimxml_free(text, CIMXML_ATOMIC);
    return result;
}

char *cim_namespace_toxml(const char *component) {
    if (component == nullptr) return nullptr;
    char *name = needs_xml_escape(component)
                     ? escape_through_pool(component, std::strlen(component) * 3 / 2, "pcdata_encodeformat")
                     : concat_fragment({component});
    if (name == nullptr) return nullptr;
    fragment_builder element;
    element.add("<NAMESPACE NAME=\"");
    element.take(name);
    element.add("\"/>\n");
    return element.finish();
}

char *cim_classname_toxml(const CIMString *className) {
    fragment_builder element;
    element.add("<CLASSNAME");
    if (!add_string_attribute(element, "NAME", className)) return nullptr;
    element.add("/>\n");
    return element.finish();
}

char *cim_classpath_toxml(const CIMObjectPath *path) {
    if (path == nullptr) return nullptr;
    char *nameSpacePath = cim_namespacepath_toxml(path);
    char *className = nameSpacePath ? cim_classname_toxml(getObjectPathName(path)) : nullptr;
    if (nameSpacePath == nullptr || className == nullptr) {
        cimxml_free(nameSpacePath, CIMXML_ATOMIC);
        return nullptr;
    }
    char *result = wrap_pair("<CLASSPATH>\n", nameSpacePath, className, "</CLASSPATH>\n");
    if (result == nullptr) cimPrintMessage(CIM_LOG_ERROR, L"Encode failed: cim_classpath_toxml");
    return result;
}

char *cim_localclasspath_toxml(const CIMObjectPath *path) {
    if (path == nullptr) return nullptr;
    char *local = cim_localnamespacepath_toxml(getObjectPathNameSpace(path));
    char *className = local ? cim_classname_toxml(getObjectPathName(path)) : nullptr;
    if (local == nullptr || className == nullptr) {
        cimxml_free(local, CIMXML_ATOMIC);
        return nullptr;
    }
    char *result = wrap_pair("<LOCALCLASSPATH>\n", local, className, "</LOCALCLASSPATH>\n");
    if (result == nullptr) CIMXML_LOG_NO_MEMORY();
    return result;
}

char *cim_instancepath_toxml(const CIMObjectPath *path) {
    if (path == nullptr) return nullptr;
    char *nameSpacePath = cim_namespacepath_toxml(path);
    char *instanceName = nameSpacePath ? cim_instancename_toxml(path) : nullptr;
    if (nameSpacePath == nullptr || instanceName == nullptr) {
        cimxml_free(nameSpacePath, CIMXML_ATOMIC);
        return nullptr;
    }
    char *result = wrap_pair("<INSTANCEPATH>\n", nameSpacePath, instanceName, "</INSTANCEPATH>\n");
    if (result == nullptr) CIMXML_LOG_NO_MEMORY();
    return result;
}

char *cim_localinstancepath_toxml(const CIMObjectPath *path) {
    if (path == nullptr) return nullptr;
    char *local = cim_localnamespacepath_toxml(getObjectPathNameSpace(path));
    char *instanceName = local ? cim_instancename_toxml(path) : nullptr;
    if (local == nullptr || instanceName == nullptr) {
        cimxml_free(local, CIMXML_ATOMIC);
        return nullptr;
    }
    char *result = wrap_pair("<LOCALINSTANCEPATH>\n", local, instanceName, "</LOCALINSTANCEPATH>\n");
    if (result == nullptr) CIMXML_LOG_NO_MEMORY();
    return result;
}

char *cim_instancename_toxml(const CIMObjectPath *path) {
    if (path == nullptr) return nullptr;
    fragment_builder element;
    element.add("<INSTANCENAME");
    if (!add_string_attribute(element, "CLASSNAME", getObjectPathName(path))) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_instancename_toxml - newCIMValue failed");
        return nullptr;
    }
    element.add(">\n");
    const CIMPropertyList *keys = getObjectPathKeys(path);
    int count = getCIMPropertyListLength(keys);
    for (int i = 0; i < count; ++i) {
        const CIMProperty *key = getCIMPropertyAt(keys, i);
        if (key != nullptr) element.take(cim_keybinding_toxml(key));
    }
    element.add("</INSTANCENAME>\n");
    return FINISH_ELEMENT(element);
}

char *cim_keybinding_toxml(const CIMProperty *key) {
    if (key == nullptr) return nullptr;
    const CIMValue *value = propertyGetValue(key);
    char *child = propertyIsRefType(key) ? cim_valuereference_toxml(value) : cim_keyvalue_toxml(value);
    if (child == nullptr) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_keybinding_toxml - failed; subelements are null");
        return nullptr;
    }
    fragment_builder element;
    element.add("<KEYBINDING");
    if (!add_string_attribute(element, "NAME", propertyGetName(key))) {
        cimxml_free(child, CIMXML_ATOMIC);
        cimPrintMessage(CIM_LOG_TRACE, L"cim_keybinding_toxml - newCIMValue failed");
        return nullptr;
    }
    element.add(">\n");
    element.take(child);
    element.add("</KEYBINDING>\n");
    return FINISH_ELEMENT(element);
}

char *cim_objectpath_toxml(const CIMObjectPath *path) {
    if (path == nullptr) return nullptr;
    char *child = has_items(getObjectPathKeys(path)) ? cim_instancepath_toxml(path) : cim_classpath_toxml(path);
    if (child == nullptr) return nullptr;
    fragment_builder element;
    element.add("<OBJECTPATH>\n");
    element.take(child);
    element.add("</OBJECTPATH>\n");
    return FINISH_ELEMENT(element);
}
