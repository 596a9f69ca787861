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
