// xml_primitives.cpp - tags, attributes, flavors, CDATA sections and the
// message envelope.
#include "cimxml_schema/xml_primitives.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/http_headers.h"
#include "cimxml_common/memory.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_common/fragment_builder.h"
#include "cimxml_schema/xml_escaping.h"

namespace {

// Copies a formatted local buffer into a fragment.
char *copy_buffer(const char *buffer) { return concat_fragment({buffer}); }

}  // namespace

// ---- Tags ----

char *start_tag(const char *name) {
    if (name == nullptr) return nullptr;
    char buffer[60];
    std::snprintf(buffer, sizeof buffer, "<%s>\n", name);
    return copy_buffer(buffer);
}

char *end_tag(const char *name) {
    if (name == nullptr) return nullptr;
    char buffer[60];
    std::snprintf(buffer, sizeof buffer, "</%s>\n", name);
    return copy_buffer(buffer);
}

char *otag_with_attribute(const char *name, const char *attributes) {
    if (name == nullptr || attributes == nullptr) return nullptr;
    return concat_fragment({"<", name, " ", attributes, ">\n"});
}

char *emptytag_with_attribute(const char *name, const char *attributes) {
    if (name == nullptr || attributes == nullptr) return nullptr;
    return concat_fragment({"<", name, " ", attributes, "/>\n"});
}

// ---- Attributes ----

char *attribute_encodeformat(const char *attributeName, const CIMValue *value) {
    if (attributeName == nullptr || value == nullptr) return nullptr;
    char *text = pcdata_encodeformat(value);
    if (text == nullptr) return nullptr;
    char *result = concat_fragment({attributeName, "=\"", text, "\""});
    cimxml_free(text, CIMXML_ATOMIC);
    return result;
}

char *fragment_append(char *first, char *second, int blank) {
    if (second == nullptr) return nullptr;
    char *result = concat_fragment({first ? first : "", blank == 1 ? " " : "", second});
    if (first != nullptr) cimxml_free(first, CIMXML_ATOMIC);
    cimxml_free(second, CIMXML_ATOMIC);
    return result;
}

char *cimname_encodeformat(const CIMValue *value) { return attribute_encodeformat("NAME", value); }
char *type_encodeformat(const CIMValue *value) { return attribute_encodeformat("TYPE", value); }
char *paramtype_encodeformat(const CIMValue *value) { return attribute_encodeformat("PARAMTYPE", value); }
char *classorigin_encodeformat(const CIMValue *value) { return attribute_encodeformat("CLASSORIGIN", value); }
char *propagated_encodeformat(const CIMValue *value) { return attribute_encodeformat("PROPAGATED", value); }
char *embeddedobject_encodeformat(const CIMValue *value) {
    return attribute_encodeformat("EmbeddedObject", value);
}
char *arraysize_encodeformat(const CIMValue *value) { return attribute_encodeformat("ARRAYSIZE", value); }
char *isarray_encodeformat(const CIMValue *value) { return attribute_encodeformat("ISARRAY", value); }
char *superclass_encodeformat(const CIMValue *value) { return attribute_encodeformat("SUPERCLASS", value); }
char *classname_encodeformat(const CIMValue *value) { return attribute_encodeformat("CLASSNAME", value); }
char *referenceclass_encodeformat(const CIMValue *value) {
    return attribute_encodeformat("REFERENCECLASS", value);
}

char *valuetype_encodeformat(int type) {
    const char *word = "string";
    if (type == CIM_BOOLEAN)
        word = "boolean";
    else if (isNumericType(type))
        word = "numeric";
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "\"%s\"", word);
    return copy_buffer(buffer);
}

void put_flavor_attributes(xml_sink &out, int bits) {
    // When both bits of a pair are set, the enabling one wins.
    if (bits & CIM_FLAVOR_ENABLEOVERRIDE)
        out.put(" OVERRIDABLE=\"true\"");
    else if (bits & CIM_FLAVOR_DISABLEOVERRIDE)
        out.put(" OVERRIDABLE=\"false\"");
    if (bits & CIM_FLAVOR_TOSUBCLASS)
        out.put(" TOSUBCLASS=\"true\"");
    else if (bits & CIM_FLAVOR_RESTRICTED)
        out.put(" TOSUBCLASS=\"false\"");
    out.put((bits & CIM_FLAVOR_TRANSLATABLE) ? " TRANSLATABLE=\"true\"" : " TRANSLATABLE=\"false\"");
}

char *flavor_attributes(int bits) {
    return written_fragment([&](xml_sink &out) {
        put_flavor_attributes(out, bits);
        return true;
    });
}

char *flavor_encodeformat(const CIMValue *flavor) {
    if (flavor == nullptr) return nullptr;
    char *text = getCharFromCIMValue(flavor);
    int bits = text ? static_cast<int>(std::strtol(text, nullptr, 10)) : 0;
    cimxml_free(text, CIMXML_ATOMIC);
    return flavor_attributes(bits);
}

// ---- Envelope ----

char *xmldecl_toxml() {
    char buffer[45];
    std::snprintf(buffer, sizeof buffer, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    return copy_buffer(buffer);
}

char *cimstart_toxml() {
    char buffer[45];
    std::snprintf(buffer, sizeof buffer, "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n");
    return copy_buffer(buffer);
}

char *messagestart_toxml(const char *messageId) {
    if (messageId == nullptr) return nullptr;
    if (!needs_xml_escape(messageId))
        return concat_fragment({"<MESSAGE ID=\"", messageId, "\" PROTOCOLVERSION=\"1.0\">\n"});
    // The id comes back from the request: escaped, it stays one attribute value.
    char *escaped = escape_through_pool(messageId, 64, "messagestart_toxml");
    if (escaped == nullptr) return nullptr;
    char *result = concat_fragment({"<MESSAGE ID=\"", escaped, "\" PROTOCOLVERSION=\"1.0\">\n"});
    cimxml_free(escaped, CIMXML_ATOMIC);
    return result;
}

char *message_head_toxml(const char *messageId) {
    char *freshId = nullptr;
    if (messageId == nullptr) {
        freshId = get_message_id();
        if (freshId == nullptr) return nullptr;
        messageId = freshId;
    }
    fragment_builder head;
    bool complete = head.take(xmldecl_toxml()) && head.take(cimstart_toxml()) &&
                    head.take(messagestart_toxml(messageId));
    cimxml_free(freshId, CIMXML_ATOMIC);
    if (!complete) return nullptr;  // the builder releases the pieces made
    return head.finish();
}

char *message_tail_toxml() { return concat_fragment({"</MESSAGE>\n</CIM>\n"}); }
