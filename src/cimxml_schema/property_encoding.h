// property_encoding.h - PROPERTY, PROPERTY.ARRAY, PROPERTY.REFERENCE and
// property lists.
//
// Each encoder returns a new fragment (kind 2) owned by the receiver, or
// NULL; the property stays the caller's.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// PROPERTY with NAME, EmbeddedObject (embedded objects), TYPE ("string" for
// embedded objects), CLASSORIGIN (when present) and PROPAGATED, holding the
// qualifiers and VALUE (the CDATA form around an embedded object). An
// embedded property without the EmbeddedObject or EmbeddedInstance qualifier
// gains the EmbeddedObject qualifier first, so the property is changed.
// NULL when the property or its name is missing.
char *cim_property_toxml(CIMProperty *property);

// PROPERTY.ARRAY with NAME, EmbeddedObject, TYPE (element type, "string"
// for embedded objects), ARRAYSIZE (when the value has elements),
// CLASSORIGIN and PROPAGATED, holding the qualifiers and VALUE.ARRAY.
char *cim_propertyarray_toxml(const CIMProperty *property);

// PROPERTY.REFERENCE with NAME, TYPE "reference", REFERENCECLASS (when
// known), CLASSORIGIN and PROPAGATED, holding the qualifiers and
// VALUE.REFERENCE.
char *cim_propertyreference_toxml(const CIMProperty *property);

// Every property that can be written, in list order, each by its kind
// (reference, array, scalar), joined. NULL for a NULL list ("propertylist_toxml
// - Property list is null.", level 2) or when nothing is written
// ("propertylist_toxml - Property list is empty.", level 1).
char *propertylist_toxml(const CIMPropertyList *properties);
// Writes the same elements into a sink; returns how many were written, with
// the same messages.
int write_property_elements(xml_sink &out, const CIMPropertyList *properties);

// The elements above written into a sink: true when written, false (nothing
// written) where the encoders give NULL.
bool write_property(xml_sink &out, CIMProperty *property);
bool write_propertyarray(xml_sink &out, const CIMProperty *property);
bool write_propertyreference(xml_sink &out, const CIMProperty *property);
