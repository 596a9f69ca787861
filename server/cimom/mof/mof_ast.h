// mof_ast.h - one declaration of a MOF text as the parser reads it, before
// any value is typed: the compiler types it against the sink's qualifier
// declarations and classes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "mof/mof_source.h"

namespace cimom::mof {

struct EmbeddedAst;

// A constant as written: typed only once the declared type is known.
struct Literal {
    enum class Kind : uint8_t { Null, Boolean, Integer, Real, String, Char16, Alias, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    Location at;
    std::string text;     // Integer and Real: as written; Alias: the name
    std::wstring string;  // String: decoded; Char16: the character
    std::vector<Literal> elements;  // Array
    std::shared_ptr<const EmbeddedAst> object;  // Object: an instance or class written in place
};

struct QualifierAst {
    Location at;
    std::wstring name;
    std::optional<Literal> value;  // absent: named without a value
    int flavor = 0;                // the flavors written after ':'
};
using QualifierListAst = std::vector<QualifierAst>;

// A property, reference or method parameter.
struct FeatureAst {
    Location at;  // its name
    QualifierListAst qualifiers;
    std::wstring name;
    int type = 0;            // a type code; CIM_ARRAY added for arrays
    std::wstring refClass;   // references: the class after which REF stands
    int arraySize = 0;       // [N] of a fixed array; 0 otherwise
    std::optional<Literal> defaultValue;
};

struct MethodAst {
    Location at;
    QualifierListAst qualifiers;
    std::wstring name;
    int returnType = 0;
    std::vector<FeatureAst> parameters;
};

struct QualifierDeclAst {
    Location at;  // the keyword
    std::wstring name;
    int type = 0;  // CIM_ARRAY added for arrays
    int arraySize = CIM_SIZE_SINGLE;
    std::optional<Literal> defaultValue;
    int scope = 0;
    int flavor = 0;  // as declared, defaults filled in
};

struct ClassAst {
    Location at;  // the keyword
    QualifierListAst qualifiers;
    std::wstring name;
    std::wstring superClass;
    std::vector<FeatureAst> properties;
    std::vector<MethodAst> methods;
};

struct PropertyValueAst {
    Location at;
    QualifierListAst qualifiers;
    std::wstring name;
    Literal value;
};

struct InstanceAst {
    Location at;  // the keyword
    Location classAt;
    std::wstring className;
    std::wstring alias;  // without '$'; empty without alias
    std::vector<PropertyValueAst> values;
};

using DeclarationAst = std::variant<QualifierDeclAst, ClassAst, InstanceAst>;

// An embedded object written as a value: `instance of C { ... }` or
// `[qualifiers] class C { ... }`, without the ';' of a declaration.
struct EmbeddedAst {
    std::variant<ClassAst, InstanceAst> declaration;
};

}  // namespace cimom::mof
