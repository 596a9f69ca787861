// mof_values.h - typing MOF constants: each literal converted to the type
// its property, parameter or qualifier declares.
#pragma once

#include <string>

#include <cimobj/cimobj.hpp>

#include "cimom/object_path_text.h"
#include "mof/mof_ast.h"

namespace cimom::mof {

// What typing needs from the rest of the compile.
class ValueResolver {
public:
    virtual ~ValueResolver() = default;
    // A copy of the path the alias literal stands for; throws MofError at
    // the literal when it has none.
    virtual cimobj::PathPtr aliasPath(const Literal &alias) = 0;
    // Types the key values of object paths written as text.
    virtual const KeyTypeLookup &keyTypes() = 0;
    // The value of an embedded instance (type CIM_OBJECT) or class
    // (CIM_CLASS) written as MOF text in the string literal; throws MofError
    // at the literal when the text is not one such declaration.
    virtual cimobj::ValuePtr embeddedObject(const Literal &text, int type) = 0;
    // The value of an embedded instance (CIM_OBJECT) or class (CIM_CLASS)
    // written in place (a literal of kind Object); throws MofError where it
    // does not build.
    virtual cimobj::ValuePtr embeddedDeclaration(const Literal &object) = 0;
};

// The literal converted to type (a type code, arrays included). what names
// the target in messages ("property Size"). A scalar literal given to an
// array type becomes a one-element array when scalarToArray is set (as
// qualifiers allow), else it is an error. Throws MofError at the literal
// when the literal does not fit the type (wrong kind, integer out of
// range, malformed datetime or object path, ...). Never returns NULL.
cimobj::ValuePtr typedValue(const Literal &literal, int type, const std::string &what, ValueResolver &resolver,
                            bool scalarToArray = false);

}  // namespace cimom::mof
