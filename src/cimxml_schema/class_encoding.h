// class_encoding.h - CLASS and INSTANCE.
//
// Each encoder returns a new fragment (kind 2) owned by the receiver, or
// NULL; the object stays the caller's (an embedded property of it may gain
// the EmbeddedObject qualifier, see cim_property_toxml).
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// CLASS with NAME and SUPERCLASS (when there is one), holding the
// qualifiers, the properties and the methods. NULL with a level 0 message
// for a NULL class ("cim_class_toxml failed: Null parameter(s)") or one
// without a name ("cim_class_toxml failed: Could not encode classname").
char *cim_class_toxml(const CIMClass *cimClass);

// INSTANCE with CLASSNAME, holding the properties (never qualifiers of the
// instance itself). NULL with a level 2 message for a NULL instance
// ("cim_instance_toxml - Null parameter(s).") or one without class name
// ("cim_instance_toxml - newCIMValue failed").
char *cim_instance_toxml(const CIMInstance *instance);

// The same elements written into a sink: true when written, false (with the
// same messages, nothing written) where the encoders above give NULL.
bool write_class(xml_sink &out, const CIMClass *cimClass);
bool write_instance(xml_sink &out, const CIMInstance *instance);
