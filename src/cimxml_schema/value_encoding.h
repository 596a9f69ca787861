// value_encoding.h - VALUE, VALUE.ARRAY, VALUE.REFERENCE, VALUE.REFARRAY,
// KEYVALUE and embedded objects.
#pragma once

#include <cimobj/cimobj.h>

// 1 when the property carries an embedded object: its qualifiers enable the
// boolean qualifier "EmbeddedObject", or its type is 16, 15 or 115.
int propertyIsEmbeddedObject(const CIMProperty *property);
