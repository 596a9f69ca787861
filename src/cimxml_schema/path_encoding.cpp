// path_encoding.cpp - object paths and their pieces.
#include "cimxml_schema/path_encoding.h"

#include <cstring>

#include <utils/system_ip.h>

#include "cimxml_common/memory.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/value_encoding.h"

namespace {

// HOST of a path: its own host, else the machine's address, else "localhost".
bool write_path_host(xml_sink &out, const CIMObjectPath *path) {
    const CIMString *host = getObjectPathHost(path);
    if (has_text(host)) {
        out.put("<HOST>");
        out.put_escaped(host->buffer, host->length);
        out.put("</HOST>\n");
        return out.ok();
    }
    char *address = get_system_ip();
    bool written = write_host(out, address ? address : "localhost");
    cimxml_free(address, CIMXML_ATOMIC);
    return written;
}

// start tag, the two children (each required), end tag; false (nothing
// written) when a child is missing.
template <typename First, typename Second>
bool write_pair(xml_sink &out, const char *startTag, First first, Second second, const char *endTag) {
    std::size_t mark = out.mark();
    out.put(startTag);
    if (!first() || !second()) return drop_element(out, mark);
    out.put(endTag);
    return out.ok() || drop_element(out, mark);
}

}  // namespace

bool write_host(xml_sink &out, const char *host) {
    if (host == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<HOST>");
    out.put_escaped(host);
    out.put("</HOST>\n");
    if (out.ok()) return true;
    cimPrintMessage(CIM_LOG_ERROR, L"Encode failed: cim_host_toxml");
    return drop_element(out, mark);
}

bool write_namespacepath(xml_sink &out, const CIMObjectPath *path) {
    if (path == nullptr) return false;
    return write_pair(
        out, "<NAMESPACEPATH>\n", [&] { return write_path_host(out, path); },
        [&] { return write_localnamespacepath(out, getObjectPathNameSpace(path)); }, "</NAMESPACEPATH>\n");
}

bool write_localnamespacepath(xml_sink &out, const CIMString *nameSpace) {
    const wchar_t *text = getCIMStringBuffer(nameSpace);
    if (text == nullptr) return false;
    std::size_t length = nameSpace->length;
    std::size_t mark = out.mark();
    out.put("<LOCALNAMESPACEPATH>\n");
    // Slashes and backslashes both separate components; empty ones vanish.
    for (std::size_t at = 0; at < length && text[at] != L'\0';) {
        std::size_t end = at;
        while (end < length && text[end] != L'\0' && text[end] != L'/' && text[end] != L'\\') ++end;
        if (end > at) {
            out.put("<NAMESPACE NAME=\"");
            out.put_escaped(text + at, end - at);
            out.put("\"/>\n");
        }
        at = end < length && text[end] != L'\0' ? end + 1 : end;
    }
    out.put("</LOCALNAMESPACEPATH>\n");
    return out.ok() || drop_element(out, mark);
}

bool write_classname(xml_sink &out, const CIMString *className) {
    std::size_t mark = out.mark();
    out.put("<CLASSNAME");
    if (!put_string_attribute(out, "NAME", className)) return drop_element(out, mark);
    out.put("/>\n");
    return out.ok() || drop_element(out, mark);
}

bool write_classpath(xml_sink &out, const CIMObjectPath *path) {
    if (path == nullptr) return false;
    bool written = write_pair(
        out, "<CLASSPATH>\n", [&] { return write_namespacepath(out, path); },
        [&] { return write_classname(out, getObjectPathName(path)); }, "</CLASSPATH>\n");
    if (!written && !out.ok()) cimPrintMessage(CIM_LOG_ERROR, L"Encode failed: cim_classpath_toxml");
    return written;
}

bool write_localclasspath(xml_sink &out, const CIMObjectPath *path) {
    if (path == nullptr) return false;
    return write_pair(
        out, "<LOCALCLASSPATH>\n", [&] { return write_localnamespacepath(out, getObjectPathNameSpace(path)); },
        [&] { return write_classname(out, getObjectPathName(path)); }, "</LOCALCLASSPATH>\n");
}

bool write_instancepath(xml_sink &out, const CIMObjectPath *path) {
    if (path == nullptr) return false;
    return write_pair(
        out, "<INSTANCEPATH>\n", [&] { return write_namespacepath(out, path); },
        [&] { return write_instancename(out, path); }, "</INSTANCEPATH>\n");
}

bool write_localinstancepath(xml_sink &out, const CIMObjectPath *path) {
    if (path == nullptr) return false;
    return write_pair(
        out, "<LOCALINSTANCEPATH>\n", [&] { return write_localnamespacepath(out, getObjectPathNameSpace(path)); },
        [&] { return write_instancename(out, path); }, "</LOCALINSTANCEPATH>\n");
}

bool write_instancename(xml_sink &out, const CIMObjectPath *path) {
    if (path == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<INSTANCENAME");
    if (!put_string_attribute(out, "CLASSNAME", getObjectPathName(path))) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_instancename_toxml - newCIMValue failed");
        return drop_element(out, mark);
    }
    out.put(">\n");
    const CIMPropertyList *keys = getObjectPathKeys(path);
    int count = getCIMPropertyListLength(keys);
    for (int i = 0; i < count; ++i) {
        const CIMProperty *key = getCIMPropertyAt(keys, i);
        if (key != nullptr) write_keybinding(out, key);
    }
    out.put("</INSTANCENAME>\n");
    return END_ELEMENT(out, mark);
}

bool write_keybinding(xml_sink &out, const CIMProperty *key) {
    if (key == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<KEYBINDING");
    bool named = put_string_attribute(out, "NAME", propertyGetName(key));
    out.put(">\n");
    // The value comes first: a key without it is refused before its name is looked at.
    const CIMValue *value = propertyGetValue(key);
    if (!(propertyIsRefType(key) ? write_valuereference(out, value) : write_keyvalue(out, value))) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_keybinding_toxml - failed; subelements are null");
        return drop_element(out, mark);
    }
    if (!named) {
        cimPrintMessage(CIM_LOG_TRACE, L"cim_keybinding_toxml - newCIMValue failed");
        return drop_element(out, mark);
    }
    out.put("</KEYBINDING>\n");
    return END_ELEMENT(out, mark);
}

bool write_objectpath(xml_sink &out, const CIMObjectPath *path) {
    if (path == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<OBJECTPATH>\n");
    bool child = has_items(getObjectPathKeys(path)) ? write_instancepath(out, path) : write_classpath(out, path);
    if (!child) return drop_element(out, mark);
    out.put("</OBJECTPATH>\n");
    return END_ELEMENT(out, mark);
}

char *cim_host_toxml(const char *host) {
    return written_fragment([&](xml_sink &out) { return write_host(out, host); });
}

char *cim_namespacepath_toxml(const CIMObjectPath *path) {
    return written_fragment([&](xml_sink &out) { return write_namespacepath(out, path); });
}

char *cim_localnamespacepath_toxml(const CIMString *nameSpace) {
    return written_fragment([&](xml_sink &out) { return write_localnamespacepath(out, nameSpace); });
}

char *cim_namespace_toxml(const char *component) {
    if (component == nullptr) return nullptr;
    return written_fragment([&](xml_sink &out) {
        out.put("<NAMESPACE NAME=\"");
        out.put_escaped(component);
        out.put("\"/>\n");
        return true;
    });
}

char *cim_classname_toxml(const CIMString *className) {
    return written_fragment([&](xml_sink &out) { return write_classname(out, className); });
}

char *cim_classpath_toxml(const CIMObjectPath *path) {
    return written_fragment([&](xml_sink &out) { return write_classpath(out, path); });
}

char *cim_localclasspath_toxml(const CIMObjectPath *path) {
    return written_fragment([&](xml_sink &out) { return write_localclasspath(out, path); });
}

char *cim_instancepath_toxml(const CIMObjectPath *path) {
    return written_fragment([&](xml_sink &out) { return write_instancepath(out, path); });
}

char *cim_localinstancepath_toxml(const CIMObjectPath *path) {
    return written_fragment([&](xml_sink &out) { return write_localinstancepath(out, path); });
}

char *cim_instancename_toxml(const CIMObjectPath *path) {
    return written_fragment([&](xml_sink &out) { return write_instancename(out, path); });
}

char *cim_keybinding_toxml(const CIMProperty *key) {
    return written_fragment([&](xml_sink &out) { return write_keybinding(out, key); });
}

char *cim_objectpath_toxml(const CIMObjectPath *path) {
    return written_fragment([&](xml_sink &out) { return write_objectpath(out, path); });
}
