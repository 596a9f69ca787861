// class_commands.cpp - get-class, enumerate-classes, enumerate-class-names,
// create-class, modify-class and delete-class.
#include <cimxml/cimxml_client.h>

#include "command_support.h"

namespace cli {

void runGetClass(CommandContext &c) {
    requireClass(c);
    const Invocation &in = c.invocation;
    cimobj::ListPtr properties = propertyList(c);
    std::string body = c.call(CIMXMLencode_getClass(target(c), in.localOnly, in.includeQualifiers,
                                                    in.includeClassOrigin, properties.get(), 0),
                              "GetClass");
    CIMClass *cimClass = nullptr;
    c.connection.check(CIMXMLdecode_getClass(body.c_str(), &cimClass), body);
    cimobj::ClassPtr owner(cimClass);
    c.out.cimClass(cimClass);
}

void runEnumerateClasses(CommandContext &c) {
    const Invocation &in = c.invocation;
    readResults(c,
                CIMXMLencode_enumerateClasses(target(c), in.deepInheritance, in.localOnly, in.includeQualifiers,
                                              in.includeClassOrigin, 0),
                "EnumerateClasses", CIMXML_LIST_ENUMERATE_CLASSES);
}

void runEnumerateClassNames(CommandContext &c) {
    readResults(c, CIMXMLencode_enumerateClassNames(target(c), c.invocation.deepInheritance, 0),
                "EnumerateClassNames", CIMXML_LIST_ENUMERATE_CLASS_NAMES);
}

void runCreateClass(CommandContext &c) {
    sendMofInput(c, sinkOptions(remote::ServerMofSink::classes | remote::ServerMofSink::qualifierTypes,
                                "create-class sends classes and qualifier declarations only"));
}

void runModifyClass(CommandContext &c) {
    sendMofInput(c, sinkOptions(remote::ServerMofSink::classes, "modify-class sends classes only", true));
}

void runDeleteClass(CommandContext &c) {
    requireClass(c);
    std::string body = c.call(CIMXMLencode_deleteClass(target(c), 0), "DeleteClass");
    c.connection.check(CIMXMLdecode_deleteClass(body.c_str()), body);
}

}  // namespace cli
