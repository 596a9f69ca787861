// type_names.h - the CIM type codes as MOF and object paths name them.
#pragma once

#include <string_view>

#include <cimobj/cimobj.h>

namespace cimom::mof {

// The type code a MOF data type keyword names (compared without regard to
// case); -1 when the word is no data type. Besides the primitive types,
// "object" names an embedded instance (CIM_OBJECT) and "class" an embedded
// class (CIM_CLASS): the types of properties that clients declare with
// embedded objects, which [EmbeddedObject] string would not give back.
int typeFromMofName(std::string_view word);
// The MOF keyword of a scalar type code ("uint8", "datetime", "object", ...);
// empty for codes MOF has no keyword for (references, null, empty).
std::string_view mofTypeName(int type);
// The name a message uses for a type: the keyword, "reference", "object",
// "class", with "[]" after an array type.
std::string describeType(int type);

inline bool isArrayType(int type) { return type >= CIM_ARRAY; }
inline int scalarTypeOf(int type) { return type >= CIM_ARRAY ? type - CIM_ARRAY : type; }
inline bool isIntegerType(int type) { return type >= CIM_UINT8 && type <= CIM_SINT64; }
inline bool isRealType(int type) { return type == CIM_REAL32 || type == CIM_REAL64; }

}  // namespace cimom::mof
