/* cimobj.h - the server's CIM object library (libcimobj.so): CIM values,
 * properties, qualifiers, qualifier declarations, methods, classes, instances,
 * object paths, their lists, status records and the message printer.
 *
 * The API is plain C and compiles as C and C++. The library keeps no shared
 * state except the log threshold and sink: objects belong to whoever made
 * them, and one object must not be used by two threads at once. Objects are
 * ordinary heap memory; the library never keeps a pointer to memory it did
 * not allocate. Texts it returns for the caller to free come from the
 * collected heap (see cimobj_text.h). */
#ifndef CIMOBJ_H
#define CIMOBJ_H

#include "cimobj_types.h"
#include "cimobj_text.h"
#include "cimobj_status.h"
#include "cimobj_value.h"
#include "cimobj_objects.h"
#include "cimobj_list.h"

#endif
