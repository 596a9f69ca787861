// value_encoding.h - VALUE, VALUE.ARRAY, VALUE.REFERENCE, VALUE.REFARRAY,
// KEYVALUE and embedded objects.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// 1 when the property carries an embedded object: its qualifiers enable the
// boolean qualifier "EmbeddedObject", or its type is 16, 15 or 115.
int propertyIsEmbeddedObject(const CIMProperty *property);

// 1 when the property's qualifiers enable "EmbeddedObject" or "EmbeddedInstance".
int propertyHasEmbeddedQualifier(const CIMProperty *property);

// The EmbeddedObject attribute word a property, parameter or return value
// is written with: "instance", "object", or NULL when it carries no
// embedded object. Classic: propertyIsEmbeddedObject decides, and the word
// is "object" for the class type, "instance" otherwise. Strict: an
// EmbeddedInstance qualifier gives "instance" and an EmbeddedObject
// qualifier "object"; else the type (scalar or array) does, 15 "instance"
// and 16 "object"; else the value, when it holds an instance or a class.
const char *embedded_object_kind(const CIMProperty *property);

// Adds the boolean qualifier "EmbeddedObject" = true (flavor 2, not
// propagated) to the property, which takes it. Returns 1 on success; on
// failure logs "propertyAddQualifier failed." at level 2, frees the new
// qualifier and returns 0.
int propertyAddEmbeddedObjectQualifier(CIMProperty *property);

// Every encoder below returns a new fragment (kind 2) owned by the receiver,
// or NULL; the value stays the caller's.

// "<VALUE>text</VALUE>\n" with the value's character data text. NULL when
// the value has no text (NULL, null and empty values, unknown types).
char *cim_value_toxml(const CIMValue *value);

// VALUE.ARRAY with one VALUE per element that has a text (the CDATA form
// around the embedded object for object and class arrays). NULL for a
// non-array value, a value without elements, or when no element gives text.
char *cim_valuearray_toxml(const CIMValue *value);

// VALUE.REFERENCE around the path the value holds, written as INSTANCEPATH,
// CLASSPATH, LOCALINSTANCEPATH, LOCALCLASSPATH, INSTANCENAME or CLASSNAME by
// which of host, namespace and keys it has. NULL (with a level 2 message)
// when there is no path or its element cannot be made.
char *cim_valuereference_toxml(const CIMValue *value);

// VALUE.REFARRAY with one VALUE.REFERENCE per element that can be written;
// NULL for a non-array value or when nothing can be written.
char *cim_valuerefarray_toxml(const CIMValue *value);

// "<KEYVALUE VALUETYPE=\"...\" TYPE=\"...\">text</KEYVALUE>\n". NULL for a
// NULL value; NULL with "cim_keyvalue_toxml - pcdata_encodeformat failed"
// (level 2) when the value has no text.
char *cim_keyvalue_toxml(const CIMValue *value);

// The INSTANCE (type object) or CLASS (type cimclass) element of the object
// the value holds, without VALUE around it. NULL for any other type, for a
// string still holding unparsed text, or when the value holds nothing; a
// NULL value logs "embeddedobject_toxml failed, %s, %d." at level 0.
char *embeddedobject_toxml(const CIMValue *value);

// The VALUE of an embedded object: the instance's or class's CIM-XML inside a
// CDATA section. NULL when the value holds no object.
char *embedded_value_toxml(const CIMValue *value);

// The same elements written into a sink: true when written, false (with
// the same messages, nothing written) where the encoders above give NULL.
bool write_value(xml_sink &out, const CIMValue *value);
bool write_valuearray(xml_sink &out, const CIMValue *value);
bool write_valuereference(xml_sink &out, const CIMValue *value);
bool write_valuerefarray(xml_sink &out, const CIMValue *value);
bool write_keyvalue(xml_sink &out, const CIMValue *value);
bool write_embedded_object(xml_sink &out, const CIMValue *value);
bool write_embedded_value(xml_sink &out, const CIMValue *value);
