// request_body.h - SIMPLEREQ, IMETHODCALL, METHODCALL, SIMPLEEXPREQ,
// EXPMETHODCALL and their parameters. Each returns a new fragment or NULL.
#pragma once

#include <cimobj/cimobj.h>

// SIMPLEREQ holding IMETHODCALL (intrinsic nonzero) or METHODCALL. NULL when
// the name, the path or the parameter list is NULL. The qualifier
// declaration (may be NULL) is written for a "QualifierDeclaration" parameter.
char *cim_simplereq_toxml(const CIMString *methodName, const CIMObjectPath *path,
                          const CIMPropertyList *parameters,
                          const CIMQualifierType *qualifierDeclaration, int intrinsic);
// SIMPLEEXPREQ holding EXPMETHODCALL with one EXPPARAMVALUE per parameter.
char *cim_simpleexpreq_toxml(const CIMString *methodName, const CIMPropertyList *parameters);

// The fragments below are new (kind 2) and owned by the receiver; the
// arguments stay the caller's. A failed allocation logs "Insf. Memory: %s %d".

// IMETHODCALL NAME=method holding the LOCALNAMESPACEPATH of the path's
// namespace (left out when it cannot be made) and one IPARAMVALUE per
// parameter. NULL when the method name has no text.
char *cim_imethodcall_toxml(const CIMString *methodName, const CIMObjectPath *path,
                            const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration);

// METHODCALL NAME=method holding LOCALCLASSPATH (no keys) or
// LOCALINSTANCEPATH (left out when it cannot be made) and one PARAMVALUE
// per parameter. NULL when any argument is NULL.
char *cim_methodcall_toxml(const CIMString *methodName, const CIMObjectPath *path,
                           const CIMPropertyList *parameters);

// EXPMETHODCALL NAME=method holding one EXPPARAMVALUE per parameter. NULL
// with "cim_expmethodcall_toxml: failed - %s, %d." when an argument or the
// name is missing.
char *cim_expmethodcall_toxml(const CIMString *methodName, const CIMPropertyList *parameters);

// PARAMVALUE with NAME, EmbeddedObject (embedded objects) and PARAMTYPE
// ("string" for embedded objects, the element type for arrays), holding
// VALUE.REFERENCE, VALUE.REFARRAY, VALUE.ARRAY, the CDATA form of VALUE or
// VALUE by the parameter's kind; a child that cannot be made is left out.
// NULL when the parameter or its name is missing.
char *cim_paramvalue_toxml(const CIMProperty *parameter);

// IPARAMVALUE NAME=parameter holding the child its kind and name call for:
// reference "ClassName", "AssocClass" or "ResultClass" CLASSNAME, "InstanceName" INSTANCENAME,
// "ObjectName" INSTANCENAME (a path with keys) or CLASSNAME, other
// references VALUE.REFERENCE; arrays VALUE.ARRAY (empty for an array
// without elements, none for a null one); class or object values CLASS ("NewClass", "ModifiedClass"),
// INSTANCE ("NewInstance", "NewIndication"), VALUE.NAMEDINSTANCE
// ("ModifiedInstance") or nothing; "QualifierDeclaration" the
// QUALIFIER.DECLARATION of qualifierDeclaration; anything else VALUE.
// Without a child the start line is directly followed by the end line.
// NULL when the parameter or its name is missing.
char *cim_iparamvalue_toxml(const CIMProperty *parameter, const CIMQualifierType *qualifierDeclaration);

// EXPPARAMVALUE NAME=parameter holding the INSTANCE its value holds (or
// nothing). NULL with "cim_expparamvalue_toxml: failed - %s, %d." when the
// parameter or its name is missing.
char *cim_expparamvalue_toxml(const CIMProperty *parameter);

// The parameters in list order, absent entries and failures skipped, joined.
// NULL for a NULL or empty list or when nothing is written.
char *paramvaluelist_toxml(const CIMPropertyList *parameters);
char *iparamvaluelist_toxml(const CIMPropertyList *parameters, const CIMQualifierType *qualifierDeclaration);
char *expparamvaluelist_toxml(const CIMPropertyList *parameters);
