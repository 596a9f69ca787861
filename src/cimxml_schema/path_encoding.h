// path_encoding.h - HOST, NAMESPACEPATH, LOCALNAMESPACEPATH, NAMESPACE,
// CLASSPATH, LOCALCLASSPATH, CLASSNAME, INSTANCEPATH, LOCALINSTANCEPATH,
// INSTANCENAME, KEYBINDING and OBJECTPATH.
//
// Each returns a new fragment (kind 2) owned by the receiver, or NULL; the
// arguments stay the caller's. A missing piece makes the whole element NULL.
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// "<HOST>name</HOST>\n" with the name escaped.
// NULL for a NULL name; "Encode failed: cim_host_toxml" when memory is
// exhausted.
char *cim_host_toxml(const char *host);

// NAMESPACEPATH: HOST (the path's host, else the machine's address, else
// "localhost") and the LOCALNAMESPACEPATH of the path's namespace.
char *cim_namespacepath_toxml(const CIMObjectPath *path);

// LOCALNAMESPACEPATH with one NAMESPACE per component of the namespace
// (split at slashes and backslashes, empty components skipped). NULL for a
// NULL namespace or one without text.
char *cim_localnamespacepath_toxml(const CIMString *nameSpace);

// "<NAMESPACE NAME=\"component\"/>\n"; NULL for NULL.
char *cim_namespace_toxml(const char *component);

// "<CLASSNAME NAME=\"name\"/>\n"; NULL when the name has no text.
char *cim_classname_toxml(const CIMString *className);

// CLASSPATH: NAMESPACEPATH and CLASSNAME.
char *cim_classpath_toxml(const CIMObjectPath *path);
// LOCALCLASSPATH: LOCALNAMESPACEPATH and CLASSNAME.
char *cim_localclasspath_toxml(const CIMObjectPath *path);
// INSTANCEPATH: NAMESPACEPATH and INSTANCENAME.
char *cim_instancepath_toxml(const CIMObjectPath *path);
// LOCALINSTANCEPATH: LOCALNAMESPACEPATH and INSTANCENAME.
char *cim_localinstancepath_toxml(const CIMObjectPath *path);

// INSTANCENAME with the CLASSNAME attribute and one KEYBINDING per key that
// can be written. NULL (with "cim_instancename_toxml - newCIMValue failed",
// level 2) when the path has no class name.
char *cim_instancename_toxml(const CIMObjectPath *path);

// KEYBINDING NAME=key name holding VALUE.REFERENCE (reference keys) or
// KEYVALUE. NULL with a level 2 message when the child or the name is missing.
char *cim_keybinding_toxml(const CIMProperty *key);

// OBJECTPATH around INSTANCEPATH (the path has keys) or CLASSPATH.
char *cim_objectpath_toxml(const CIMObjectPath *path);

// The elements above written into a sink: true when written, false (with
// the same messages, nothing written) where the encoders give NULL.
bool write_host(xml_sink &out, const char *host);
bool write_namespacepath(xml_sink &out, const CIMObjectPath *path);
bool write_localnamespacepath(xml_sink &out, const CIMString *nameSpace);
bool write_classname(xml_sink &out, const CIMString *className);
bool write_classpath(xml_sink &out, const CIMObjectPath *path);
bool write_localclasspath(xml_sink &out, const CIMObjectPath *path);
bool write_instancepath(xml_sink &out, const CIMObjectPath *path);
bool write_localinstancepath(xml_sink &out, const CIMObjectPath *path);
bool write_instancename(xml_sink &out, const CIMObjectPath *path);
bool write_keybinding(xml_sink &out, const CIMProperty *key);
bool write_objectpath(xml_sink &out, const CIMObjectPath *path);
