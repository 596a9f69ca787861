// method_encoding.h - METHOD, PARAMETER, PARAMETER.REFERENCE,
// PARAMETER.ARRAY, PARAMETER.REFARRAY and their lists.
//
// Each encoder returns a new fragment (kind 2) owned by the receiver, or
// NULL; the arguments stay the caller's.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// METHOD with NAME, TYPE (the return type), CLASSORIGIN (when present) and
// PROPAGATED, holding the qualifiers and the parameters. NULL when the
// method or its name is missing.
char *cim_method_toxml(const CIMMethod *method);

// PARAMETER with NAME and TYPE, holding the qualifiers.
char *cim_parameter_toxml(const CIMProperty *parameter);
// PARAMETER.REFERENCE with NAME and REFERENCECLASS (when known).
char *cim_parameterreference_toxml(const CIMProperty *parameter);
// PARAMETER.ARRAY with NAME, TYPE (element type) and ARRAYSIZE (when the
// value has elements).
char *cim_parameterarray_toxml(const CIMProperty *parameter);
// PARAMETER.REFARRAY with NAME, REFERENCECLASS (when known) and ARRAYSIZE.
char *cim_parameterrefarray_toxml(const CIMProperty *parameter);

// Every method that can be written, joined; a method that cannot be written
// is skipped with "methodlist_toxml - Method list encoding failed." (level
// 1). NULL for a NULL list or when nothing is written.
char *methodlist_toxml(const CIMMethodList *methods);
// The same methods written into a sink; returns how many were written.
int write_method_elements(xml_sink &out, const CIMMethodList *methods);

// Every parameter that can be written, each by its kind (reference,
// reference array, array, scalar), joined. NULL when nothing is written.
char *parameterlist_toxml(const CIMPropertyList *parameters);
// The same parameters written into a sink; returns how many were written.
int write_parameter_elements(xml_sink &out, const CIMPropertyList *parameters);

// The elements above written into a sink: true when written, false
// (nothing written) where the encoders give NULL.
bool write_method(xml_sink &out, const CIMMethod *method);
bool write_parameter(xml_sink &out, const CIMProperty *parameter);
bool write_parameterreference(xml_sink &out, const CIMProperty *parameter);
bool write_parameterarray(xml_sink &out, const CIMProperty *parameter);
bool write_parameterrefarray(xml_sink &out, const CIMProperty *parameter);
