// cim_types.h - CIM type codes, their CIM-XML names and the text of values.
#pragma once

#include <cstddef>

#include <cimobj/cimobj.h>

// Code of a type name (caseless); NULL, a null string and unknown names give 8 (string).
int typeFromName(const CIMString *name);
// The same for a name given as UTF-8 text.
int typeFromText(const char *name);
// New string holding the name of a code; unknown codes give "string".
CIMString *typeNameOf(int type);
// Narrow name of a code, static; unknown codes give "string".
const char *typeNameText(int type);
// code - 100 for the array codes 100..116; 8 for anything else.
int scalarTypeOf(int type);
// code + 100 for 0..16; 108 for anything else.
int arrayTypeOf(int type);
int isArrayType(int type);    // 100..116
int isObjectType(int type);   // 15, 16, 115, 116
int isNumericType(int type);  // 0..7, 10, 11, 13

// Native data for newCIMValue from the text of a VALUE or KEYVALUE element:
// an 8-byte block (kind 2) for the numeric types, a 4-byte block holding 1 or
// 0 for boolean ("true"/"false", caseless; other texts give NULL), a wide text
// for datetime (the quoted part when there is one), a new CIMString for
// string. NULL for a NULL text, char16, any other type or no memory.
void *textToValue(int type, const char *text);
// Releases what textToValue made when the value did not take it.
void freeValueData(int type, void *data);
// newCIMValue(type, textToValue(type, text)) made straight from the text,
// without the intermediate data: a value of type, null when textToValue
// gives no data. NULL only when memory is exhausted.
CIMValue *newValueFromText(int type, const char *text);
// The same into value, a null value of its type: afterwards it holds what
// newValueFromText(its type, text) would. false (value unchanged) only when
// memory is exhausted.
bool storeValueFromText(CIMValue *value, const char *text);

// A SCOPE attribute of a qualifier declaration and its scope bit; the table
// lists the seven in the order they are written.
struct ScopeAttribute {
    const char *name;
    int bit;
};
extern const ScopeAttribute cimxml_scope_attributes[7];

// Type of an intrinsic method parameter by its name (caseless); 17 for NULL.
int paramTypeFromName(const CIMString *name);

// 1 when text is NULL, length is 0, or the text is one or two white-space characters.
int isBlankText(const char *text, std::size_t length);
