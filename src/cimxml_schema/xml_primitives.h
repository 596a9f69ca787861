// xml_primitives.h - the message envelope, attributes, flavors and joins.
// Every function that returns a fragment returns a new NUL-terminated text
// from cimxml_malloc (kind 2) that the receiver owns and releases with
// cimxml_free, or NULL on failure.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_schema/xml_escaping.h"

// ---- Envelope ----

// Writes the XML declaration, the CIM start tag and the MESSAGE start tag
// with the id (a fresh id from get_message_id when messageId is NULL), each
// ending in a line feed. The id comes back as it was given, only its five
// special characters escaped. False, with nothing written, when no fresh id
// can be made or the sink fails.
bool write_message_head(xml_sink &out, const char *messageId);
// The same head as a fragment.
char *message_head_toxml(const char *messageId);
// The MESSAGE and CIM end tags, each ending in a line feed.
constexpr const char *message_tail_text = "</MESSAGE>\n</CIM>\n";
char *message_tail_toxml();

// "<name attributes/>\n"; NULL when either argument is NULL.
char *emptytag_with_attribute(const char *name, const char *attributes);

// ---- Attributes ----

// name="text" with the value's character data text (pcdata_encodeformat).
// NULL when an argument is NULL or the value has no text.
char *attribute_encodeformat(const char *attributeName, const CIMValue *value);

// The first fragment (nothing when NULL), one blank when blank is 1, then the
// second. Both inputs are released (the first only when not NULL), also when
// the allocation fails. A NULL second fragment gives NULL and releases
// nothing.
char *fragment_append(char *first, char *second, int blank);

// attribute_encodeformat with a fixed attribute name. Names take string
// values, flags boolean values, sizes uint32 values.
char *cimname_encodeformat(const CIMValue *value);         // NAME
char *type_encodeformat(const CIMValue *value);            // TYPE
char *paramtype_encodeformat(const CIMValue *value);       // PARAMTYPE
char *classorigin_encodeformat(const CIMValue *value);     // CLASSORIGIN
char *propagated_encodeformat(const CIMValue *value);      // PROPAGATED
char *embeddedobject_encodeformat(const CIMValue *value);  // EmbeddedObject
char *arraysize_encodeformat(const CIMValue *value);       // ARRAYSIZE
char *isarray_encodeformat(const CIMValue *value);         // ISARRAY
char *superclass_encodeformat(const CIMValue *value);      // SUPERCLASS
char *classname_encodeformat(const CIMValue *value);       // CLASSNAME
char *referenceclass_encodeformat(const CIMValue *value);  // REFERENCECLASS

// The flavor attributes of the flavor bits held by the value (its text read
// as a decimal number): " OVERRIDABLE=..." (bits 1/2), " TOSUBCLASS=..."
// (bits 8/4), " TRANSLATABLE=..." (bit 16), each led by one blank and each
// present only as its bits allow (TRANSLATABLE always). NULL for a NULL value.
char *flavor_encodeformat(const CIMValue *flavor);
// The same list from the bits themselves.
char *flavor_attributes(int bits);
// The same list written into a sink.
void put_flavor_attributes(xml_sink &out, int bits);
