// object_wrappers.h - VALUE.OBJECT, VALUE.NAMEDINSTANCE, VALUE.OBJECTWITHPATH
// and the pairings of a name or path with its object.
//
// Each returns a new fragment (kind 2) owned by the receiver, or NULL; the
// object stays the caller's. object is a CIMClass when isClass is non-zero,
// else a CIMInstance.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// VALUE.OBJECT around the CLASS or INSTANCE.
char *cim_valueobject_toxml(const void *object, int isClass);

// VALUE.NAMEDINSTANCE around the instance's INSTANCENAME and INSTANCE.
char *cim_namedinstance_toxml(const CIMInstance *instance);

// INSTANCENAME of the instance's own path directly followed by the
// INSTANCE. NULL with "get_instance_instancename - Instance does not have an
// ObjectPath!" (level 2) when the instance has no path of its own.
char *get_instance_instancename(const CIMInstance *instance);

// VALUE.OBJECTWITHPATH around CLASSPATH and CLASS, or INSTANCEPATH and INSTANCE.
char *cim_objectwithpath_toxml(const void *object, int isClass);

// CLASSPATH of the class's name and namespace (the host is the machine's
// own) directly followed by the CLASS.
char *get_class_classpath(const CIMClass *cimClass);

// INSTANCEPATH of the path made from the instance directly followed by the
// INSTANCE.
char *get_instance_instancepath(const CIMInstance *instance);

// The same elements written into a sink: true when written, false (with
// the same messages, nothing written) where the encoders give NULL.
bool write_valueobject(xml_sink &out, const void *object, int isClass);
bool write_namedinstance(xml_sink &out, const CIMInstance *instance);
bool write_instance_instancename(xml_sink &out, const CIMInstance *instance);
bool write_objectwithpath(xml_sink &out, const void *object, int isClass);
// VALUE.INSTANCEWITHPATH: the instance's INSTANCEPATH, then the INSTANCE.
bool write_instancewithpath(xml_sink &out, const CIMInstance *instance);
bool write_class_classpath(xml_sink &out, const CIMClass *cimClass);
bool write_instance_instancepath(xml_sink &out, const CIMInstance *instance);
