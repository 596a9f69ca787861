// association_commands.cpp - associators, associator-names, references and
// reference-names, of an instance or of a class.
#include <cimxml/cimxml_client.h>

#include "command_support.h"

namespace cli {

namespace {

// The filters as the encoders take them (NULL when not given).
struct Filters {
    cimobj::StringPtr assocClass, resultClass, role, resultRole;
    explicit Filters(const Invocation &in)
        : assocClass(optionalString(in.assocClass)),
          resultClass(optionalString(in.resultClass)),
          role(optionalString(in.role)),
          resultRole(optionalString(in.resultRole)) {}
};

}  // namespace

void runAssociators(CommandContext &c) {
    requireClassOrInstance(c);
    const Invocation &in = c.invocation;
    Filters f(in);
    cimobj::ListPtr properties = propertyList(c);
    readResults(c,
                CIMXMLencode_associators(target(c), f.assocClass.get(), f.resultClass.get(), f.role.get(),
                                         f.resultRole.get(), in.includeQualifiers, in.includeClassOrigin,
                                         properties.get(), 0),
                "Associators", CIMXML_LIST_ASSOCIATORS);
}

void runAssociatorNames(CommandContext &c) {
    requireClassOrInstance(c);
    Filters f(c.invocation);
    readResults(c,
                CIMXMLencode_associatorNames(target(c), f.assocClass.get(), f.resultClass.get(), f.role.get(),
                                             f.resultRole.get(), 0),
                "AssociatorNames", CIMXML_LIST_ASSOCIATOR_NAMES);
}

void runReferences(CommandContext &c) {
    requireClassOrInstance(c);
    const Invocation &in = c.invocation;
    Filters f(in);
    cimobj::ListPtr properties = propertyList(c);
    readResults(c,
                CIMXMLencode_references(target(c), f.resultClass.get(), f.role.get(), in.includeQualifiers,
                                        in.includeClassOrigin, properties.get(), 0),
                "References", CIMXML_LIST_REFERENCES);
}

void runReferenceNames(CommandContext &c) {
    requireClassOrInstance(c);
    Filters f(c.invocation);
    readResults(c, CIMXMLencode_referenceNames(target(c), f.resultClass.get(), f.role.get(), 0), "ReferenceNames",
                CIMXML_LIST_REFERENCE_NAMES);
}

}  // namespace cli
