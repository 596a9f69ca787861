// xml_primitives.h - tags, attributes, escaped text and the message envelope.
// Every function returns a new fragment (NUL-terminated text from
// cimxml_malloc, kind 2) that the receiver owns and releases with
// cimxml_free, or NULL on failure.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_schema/xml_escaping.h"

// The XML declaration, the CIM start tag and the MESSAGE start tag with the
// id (a fresh id from get_message_id when messageId is NULL), each ending in
// a line feed.
char *message_head_toxml(const char *messageId);
// The MESSAGE and CIM end tags, each ending in a line feed.
char *message_tail_toxml();

// ---- Tags ----

// "<name>\n" and "</name>\n", formatted in a 60-byte buffer (so names of at
// most 56 characters fit). NULL for a NULL name.
char *start_tag(const char *name);
char *end_tag(const char *name);
// "<name attributes>\n"; NULL when either argument is NULL.
char *otag_with_attribute(const char *name, const char *attributes);
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

// The quoted VALUETYPE of a KEYVALUE, quotes included: "boolean" for 9,
// "numeric" for the numeric types (char16 included), "string" otherwise.
char *valuetype_encodeformat(int type);


// The flavor attributes of the flavor bits held by the value (its text read
// as a decimal number): " OVERRIDABLE=..." (bits 1/2), " TOSUBCLASS=..."
// (bits 8/4), " TRANSLATABLE=..." (bit 16), each led by one blank and each
// present only as its bits allow (TRANSLATABLE always). NULL for a NULL value.
char *flavor_encodeformat(const CIMValue *flavor);
// The same list from the bits themselves.
char *flavor_attributes(int bits);
// The same list written into a sink.
void put_flavor_attributes(xml_sink &out, int bits);

// ---- Envelope ----

// "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
char *xmldecl_toxml();
// "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
char *cimstart_toxml();
// "<MESSAGE ID=\"id\" PROTOCOLVERSION=\"1.0\">\n" with the id escaped as
// character data. NULL for a NULL id or when memory is exhausted.
char *messagestart_toxml(const char *messageId);
