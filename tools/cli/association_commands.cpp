// association_commands.cpp - associators, associator-names, references and
// reference-names, of an instance or of a class. Those of an instance pull
// unless told not to, and fall back to the traditional operation.
#include <cimxml/cimxml_client.h>

#include "command_support.h"
#include "pulled_enumeration.h"

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

// The opens take an instance only: a class's associations, and
// IncludeQualifiers, are the traditional operations' alone.
bool traditionalOnly(const CommandContext &c, bool withQualifiers) {
    return !c.connection.url().namesInstance() || (withQualifiers && c.invocation.includeQualifiers);
}

}  // namespace

void runAssociators(CommandContext &c) {
    requireClassOrInstance(c);
    const Invocation &in = c.invocation;
    Filters f(in);
    cimobj::ListPtr properties = propertyList(c);
    PulledEnumeration pulled{"OpenAssociatorInstances", CIMXMLdecode_openAssociatorInstances,
                             PullOperation::instancesWithPath, [&](const CIMXMLPullOptions *options) {
                                 return CIMXMLencode_openAssociatorInstances(
                                     target(c), f.assocClass.get(), f.resultClass.get(), f.role.get(),
                                     f.resultRole.get(), in.includeClassOrigin, properties.get(), options, 0);
                             }};
    if (runPulled(c, traditionalOnly(c, true), pulled)) return;
    readResults(c,
                CIMXMLencode_associators(target(c), f.assocClass.get(), f.resultClass.get(), f.role.get(),
                                         f.resultRole.get(), in.includeQualifiers, in.includeClassOrigin,
                                         properties.get(), 0),
                "Associators", CIMXML_LIST_ASSOCIATORS);
}

void runAssociatorNames(CommandContext &c) {
    requireClassOrInstance(c);
    Filters f(c.invocation);
    PulledEnumeration pulled{"OpenAssociatorInstancePaths", CIMXMLdecode_openAssociatorInstancePaths,
                             PullOperation::instancePaths, [&](const CIMXMLPullOptions *options) {
                                 return CIMXMLencode_openAssociatorInstancePaths(target(c), f.assocClass.get(),
                                                                                 f.resultClass.get(), f.role.get(),
                                                                                 f.resultRole.get(), options, 0);
                             }};
    if (runPulled(c, traditionalOnly(c, false), pulled)) return;
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
    PulledEnumeration pulled{"OpenReferenceInstances", CIMXMLdecode_openReferenceInstances,
                             PullOperation::instancesWithPath, [&](const CIMXMLPullOptions *options) {
                                 return CIMXMLencode_openReferenceInstances(target(c), f.resultClass.get(),
                                                                            f.role.get(), in.includeClassOrigin,
                                                                            properties.get(), options, 0);
                             }};
    if (runPulled(c, traditionalOnly(c, true), pulled)) return;
    readResults(c,
                CIMXMLencode_references(target(c), f.resultClass.get(), f.role.get(), in.includeQualifiers,
                                        in.includeClassOrigin, properties.get(), 0),
                "References", CIMXML_LIST_REFERENCES);
}

void runReferenceNames(CommandContext &c) {
    requireClassOrInstance(c);
    Filters f(c.invocation);
    PulledEnumeration pulled{"OpenReferenceInstancePaths", CIMXMLdecode_openReferenceInstancePaths,
                             PullOperation::instancePaths, [&](const CIMXMLPullOptions *options) {
                                 return CIMXMLencode_openReferenceInstancePaths(target(c), f.resultClass.get(),
                                                                                f.role.get(), options, 0);
                             }};
    if (runPulled(c, traditionalOnly(c, false), pulled)) return;
    readResults(c, CIMXMLencode_referenceNames(target(c), f.resultClass.get(), f.role.get(), 0), "ReferenceNames",
                CIMXML_LIST_REFERENCE_NAMES);
}

}  // namespace cli
