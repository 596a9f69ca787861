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
    std::string body = c.call(CIMXMLencode_enumerateClasses(target(c), in.deepInheritance, in.localOnly,
                                                            in.includeQualifiers, in.includeClassOrigin, 0),
                              "EnumerateClasses");
    CIMClassList *classes = nullptr;
    c.connection.check(CIMXMLdecode_enumerateClasses(body.c_str(), &classes), body);
    cimobj::ListPtr owner(classes);
    writeList(c, classes);
}

void runEnumerateClassNames(CommandContext &c) {
    std::string body =
        c.call(CIMXMLencode_enumerateClassNames(target(c), c.invocation.deepInheritance, 0), "EnumerateClassNames");
    CIMObjectPathList *names = nullptr;
    c.connection.check(CIMXMLdecode_enumerateClassNames(body.c_str(), &names), body);
    cimobj::ListPtr owner(names);
    writeList(c, names);
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
