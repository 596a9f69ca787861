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

template <class Decode>
void writeObjects(CommandContext &c, const std::string &body, Decode decode) {
    CIMList *objects = nullptr;
    c.connection.check(decode(body.c_str(), &objects), body);
    cimobj::ListPtr owner(objects);
    writeList(c, objects);
}

}  // namespace

void runAssociators(CommandContext &c) {
    requireClassOrInstance(c);
    const Invocation &in = c.invocation;
    Filters f(in);
    cimobj::ListPtr properties = propertyList(c);
    writeObjects(c,
                 c.call(CIMXMLencode_associators(target(c), f.assocClass.get(), f.resultClass.get(), f.role.get(),
                                                 f.resultRole.get(), in.includeQualifiers, in.includeClassOrigin,
                                                 properties.get(), 0),
                        "Associators"),
                 CIMXMLdecode_associators);
}

void runAssociatorNames(CommandContext &c) {
    requireClassOrInstance(c);
    Filters f(c.invocation);
    writeObjects(c,
                 c.call(CIMXMLencode_associatorNames(target(c), f.assocClass.get(), f.resultClass.get(), f.role.get(),
                                                     f.resultRole.get(), 0),
                        "AssociatorNames"),
                 CIMXMLdecode_associatorNames);
}

void runReferences(CommandContext &c) {
    requireClassOrInstance(c);
    const Invocation &in = c.invocation;
    Filters f(in);
    cimobj::ListPtr properties = propertyList(c);
    writeObjects(c,
                 c.call(CIMXMLencode_references(target(c), f.resultClass.get(), f.role.get(), in.includeQualifiers,
                                                in.includeClassOrigin, properties.get(), 0),
                        "References"),
                 CIMXMLdecode_references);
}

void runReferenceNames(CommandContext &c) {
    requireClassOrInstance(c);
    Filters f(c.invocation);
    writeObjects(c,
                 c.call(CIMXMLencode_referenceNames(target(c), f.resultClass.get(), f.role.get(), 0), "ReferenceNames"),
                 CIMXMLdecode_referenceNames);
}

}  // namespace cli
