// request_body.h - SIMPLEREQ, IMETHODCALL, METHODCALL, SIMPLEEXPREQ,
// EXPMETHODCALL and their parameters.
//
// The fragments are new (kind 2) and owned by the receiver; the writers
// write into a sink and return true, or false with nothing written. The
// arguments stay the caller's. A failed allocation logs "Insf. Memory: %s %d".
#pragma once

#include <cimobj/cimobj.h>

#include "cimxml_common/xml_sink.h"

// SIMPLEREQ holding IMETHODCALL (intrinsic nonzero) or METHODCALL. NULL when
// the name, the path or the parameter list is NULL. The qualifier
// declaration (may be NULL) is written for a "QualifierDeclaration" parameter.
char *cim_simplereq_toxml(const CIMString *methodName, const CIMObjectPath *path,
                          const CIMPropertyList *parameters,
                          const CIMQualifierType *qualifierDeclaration, int intrinsic);
// SIMPLEEXPREQ holding EXPMETHODCALL with one EXPPARAMVALUE per parameter.
// NULL with "cim_simpleexpreq_toxml: failed - %s, %d." when it cannot be made.
char *cim_simpleexpreq_toxml(const CIMString *methodName, const CIMPropertyList *parameters);

// IMETHODCALL NAME=method holding the LOCALNAMESPACEPATH of the path's
// namespace (left out when it cannot be made) and one IPARAMVALUE per
// parameter. False when the method name has no text.
bool write_imethodcall(xml_sink &out, const CIMString *methodName, const CIMObjectPath *path,
                       const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration);

// METHODCALL NAME=method holding LOCALCLASSPATH (no keys) or
// LOCALINSTANCEPATH (left out when it cannot be made) and one PARAMVALUE
// per parameter. False when any argument is NULL.
bool write_methodcall(xml_sink &out, const CIMString *methodName, const CIMObjectPath *path,
                      const CIMPropertyList *parameters);

// EXPMETHODCALL NAME=method holding one EXPPARAMVALUE per parameter. False
// with "cim_expmethodcall_toxml: failed - %s, %d." when an argument or the
// name is missing.
bool write_expmethodcall(xml_sink &out, const CIMString *methodName, const CIMPropertyList *parameters);

// PARAMVALUE with NAME, EmbeddedObject (embedded objects) and PARAMTYPE
// ("string" for embedded objects, the element type for arrays), holding
// VALUE.REFERENCE, VALUE.REFARRAY, VALUE.ARRAY, the CDATA form of VALUE or
// VALUE by the parameter's kind; a child that cannot be made is left out.
// False when the parameter or its name is missing.
bool write_paramvalue(xml_sink &out, const CIMProperty *parameter);

// IPARAMVALUE NAME=parameter holding the child its kind and name call for:
// reference "ClassName", "AssocClass" or "ResultClass" CLASSNAME, "InstanceName" INSTANCENAME,
// "ObjectName" INSTANCENAME (a path with keys) or CLASSNAME, other
// references VALUE.REFERENCE; arrays VALUE.ARRAY (empty for an array
// without elements, none for a null one); class or object values CLASS ("NewClass", "ModifiedClass"),
// INSTANCE ("NewInstance", "NewIndication"), VALUE.NAMEDINSTANCE
// ("ModifiedInstance") or nothing; "QualifierDeclaration" the
// QUALIFIER.DECLARATION of qualifierDeclaration; anything else VALUE.
// Without a child the start line is directly followed by the end line.
// False when the parameter or its name is missing.
bool write_iparamvalue(xml_sink &out, const CIMProperty *parameter, const CIMQualifierType *qualifierDeclaration);

// EXPPARAMVALUE NAME=parameter holding the INSTANCE its value holds (or
// nothing). False with "cim_expparamvalue_toxml: failed - %s, %d." when the
// parameter or its name is missing.
bool write_expparamvalue(xml_sink &out, const CIMProperty *parameter);

// The parameters in list order, absent entries and failures skipped, joined.
// NULL for a NULL or empty list or when nothing is written.
char *paramvaluelist_toxml(const CIMPropertyList *parameters);
char *iparamvaluelist_toxml(const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration);
// The PARAMVALUE elements written into a sink; returns how many were written.
int write_paramvalue_elements(xml_sink &out, const CIMPropertyList *parameters);
// The same for the output parameters of an intrinsic response, where a
// class (an open query's QueryResultClass) is a CLASS element, not text.
int write_intrinsic_outputs(xml_sink &out, const CIMPropertyList *parameters);
