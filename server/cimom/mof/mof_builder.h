// mof_builder.h - turns parsed declarations into CIM objects, typing every
// value against the qualifier declarations and classes the sink knows.
#pragma once

#include <string>
#include <unordered_map>

#include "cimom/mof.h"
#include "mof/mof_parser.h"
#include "mof/mof_values.h"

namespace cimom::mof {

class DeclarationBuilder : public ValueResolver {
public:
    // Asks sink for declarations and classes; embeddedDepth counts the
    // embedded objects around this one (too deep is an error).
    explicit DeclarationBuilder(MofSink &sink, int embeddedDepth = 0);

    // Each returns a new object the caller owns, or throws MofError at the
    // spot that cannot be typed: an undeclared qualifier, an unknown class or
    // property, a value that does not fit its type, a name given twice.
    cimobj::QualifierTypePtr qualifierType(const QualifierDeclAst &declaration, const std::wstring &nameSpace);
    cimobj::ClassPtr cimClass(const ClassAst &declaration, const std::wstring &nameSpace);
    cimobj::InstancePtr instance(const InstanceAst &declaration, const std::wstring &nameSpace);

    // From now on the alias stands for path (taken).
    void defineAlias(const std::wstring &alias, cimobj::PathPtr path);

    cimobj::PathPtr aliasPath(const Literal &alias) override;
    const KeyTypeLookup &keyTypes() override { return keyTypes_; }
    cimobj::ValuePtr embeddedObject(const Literal &text, int type) override;
    cimobj::ValuePtr embeddedDeclaration(const Literal &object) override;

private:
    cimobj::ListPtr qualifiers(const QualifierListAst &list);
    cimobj::PropertyPtr feature(const FeatureAst &feature, bool withDefault);
    cimobj::MethodPtr method(const MethodAst &method);

    MofSink &sink_;
    int embeddedDepth_;
    std::wstring nameSpace_;  // of the declaration being built
    std::unordered_map<std::wstring, cimobj::PathPtr> aliases_;  // by lower-case name
    KeyTypeLookup keyTypes_;
};

}  // namespace cimom::mof
