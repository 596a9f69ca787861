// qualifier_encoding.h - QUALIFIER, QUALIFIER.DECLARATION with its SCOPE,
// and qualifier lists.
//
// Each encoder returns a new fragment (kind 2) owned by the receiver, or
// NULL; the arguments stay the caller's.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// QUALIFIER with NAME, TYPE (element type for arrays), PROPAGATED and the
// flavor attributes (after two blanks), holding VALUE.ARRAY (array types)
// or VALUE when the value has text. NULL when the qualifier or its name is
// missing.
char *cim_qualifier_toxml(const CIMQualifier *qualifier);

// QUALIFIER.DECLARATION with NAME, TYPE, ISARRAY, ARRAYSIZE (array type with
// a default value that has elements) and the flavors, holding SCOPE and the
// default value. NULL when the declaration or its name is missing.
char *cim_qualifierdeclaration_toxml(const CIMQualifierType *declaration);

// The seven scope attributes of the scope bits held by the value (its text
// read as a decimal number), in the order CLASS, ASSOCIATION, REFERENCE,
// PROPERTY, METHOD, PARAMETER, INDICATION, each written as two blanks and
// NAME="true|false". NULL for a NULL value.
char *scope_encodeformat(const CIMValue *scope);
// The same list from the bits themselves, written into a sink.
void put_scope_attributes(xml_sink &out, int bits);

// 1 when the name is "ValueMap", "Values" or "Modelcorrespondence" (caseless).
int isArrayQualifierName(const CIMString *name);

// Every qualifier that can be written, in list order, joined. NULL for a
// NULL list (silently) or when nothing is written (logs "qualifierlist_toxml
// - Qualifier list encoding failed." at level 0; classic also for an empty
// list).
char *qualifierlist_toxml(const CIMQualifierList *qualifiers);
// Writes the same elements into a sink; returns how many were written, with
// the same message.
int write_qualifier_elements(xml_sink &out, const CIMQualifierList *qualifiers);
// A QUALIFIER or QUALIFIER.DECLARATION written into a sink; false (nothing
// written) where the encoders above give NULL.
bool write_qualifier(xml_sink &out, const CIMQualifier *qualifier);
bool write_qualifierdeclaration(xml_sink &out, const CIMQualifierType *declaration);
