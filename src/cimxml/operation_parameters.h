// operation_parameters.h - reading an operation's named parameters and
// preparing the paths handed to the object manager.
#pragma once

#include <cimxml/cimom_handle.h>

// Content of the first parameter whose name equals name without regard to
// case (what getCIMValue gives for its value: a CIMString, CIMObjectPath,
// CIMInstance, CIMClass, CIMValueList, or a pointer to the boolean's int),
// lent; NULL when none matches or an argument is NULL.
void *getParamValue(const CIMPropertyList *parameters, const wchar_t *name);
// The CIMValue of the first matching parameter, lent; NULL when none.
CIMValue *getParamCIMValue(const CIMPropertyList *parameters, const wchar_t *name);
// Type code of the first matching parameter; 17 (cimnull) when none.
int getParamType(const CIMPropertyList *parameters, const wchar_t *name);
// The int the content points to, or the default when the content is NULL.
int boolParamOrDefault(const void *content, int defaultValue);
// New string list with a copy of each string value's text, in order
// (values that give no string are skipped); NULL for NULL or no memory.
CIMStringList *valueListToStringList(const CIMValueList *values);
// Frees a class name equal to the placeholder "Container" and leaves the
// path without class name.
void clearPlaceholderClassName(CIMObjectPath *path);
// Replaces a class name "__Namespace" by "CIM_Namespace" (case-sensitive).
// When that text cannot be made, logs "removePseudoClassName: Unable to
// create 'CIM_Namespace'" and leaves the path unchanged. NULL does nothing.
void removePseudoClassName(CIMObjectPath *path);
// Copy of the path at index, which the caller frees; a NULL list logs
// "get_namedinstance_path: failed - CCIMObjectPathList is null." (level 2)
// and gives NULL.
CIMObjectPath *get_namedinstance_path(const CIMObjectPathList *paths, int index);
// Makes the target path name the instance of the ObjectName parameter:
// its class name and keys, keeping the target's namespace. Returns a new
// ReturnCode: status 0, or 1 with the failure's description.
ReturnCode *UpdateObjectNameAsInstName(CIMOMHandle *handle, CIMObjectPath *target,
                                       const CIMPropertyList *parameters);
