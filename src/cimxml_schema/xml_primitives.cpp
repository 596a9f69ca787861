// xml_primitives.cpp - the message envelope, attributes, flavors and joins.
#include "cimxml_schema/xml_primitives.h"

#include <cstdlib>

#include "cimxml_common/http_headers.h"
#include "cimxml_common/memory.h"
#include "cimxml_schema/encoder_support.h"

// ---- Envelope ----

bool write_message_head(xml_sink &out, const char *messageId) {
    char *freshId = messageId == nullptr ? get_message_id() : nullptr;
    if (messageId == nullptr && freshId == nullptr) return false;
    std::size_t mark = out.mark();
    out.put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
            "<MESSAGE ID=\"");
    // The id comes back from the request: escaped, it stays one attribute value.
    out.put_entities(messageId != nullptr ? messageId : freshId);
    out.put("\" PROTOCOLVERSION=\"1.0\">\n");
    cimxml_free(freshId, CIMXML_ATOMIC);
    return out.ok() || drop_element(out, mark);
}

char *message_head_toxml(const char *messageId) {
    return written_fragment([&](xml_sink &out) { return write_message_head(out, messageId); });
}

char *message_tail_toxml() { return joined_fragment({message_tail_text}); }

char *emptytag_with_attribute(const char *name, const char *attributes) {
    if (name == nullptr || attributes == nullptr) return nullptr;
    return joined_fragment({"<", name, " ", attributes, "/>\n"});
}

// ---- Attributes ----

char *attribute_encodeformat(const char *attributeName, const CIMValue *value) {
    if (attributeName == nullptr || value == nullptr) return nullptr;
    return written_fragment([&](xml_sink &out) {
        out.put(attributeName);
        out.put("=\"");
        if (!write_pcdata(out, value)) return false;
        out.put("\"");
        return true;
    });
}

char *fragment_append(char *first, char *second, int blank) {
    if (second == nullptr) return nullptr;
    char *result = joined_fragment({first ? first : "", blank == 1 ? " " : "", second});
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
