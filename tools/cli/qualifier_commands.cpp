// qualifier_commands.cpp - get-qualifier, set-qualifier, delete-qualifier
// and enumerate-qualifiers: the qualifier declarations of a namespace.
#include <cimxml/cimxml_client.h>

#include "command_support.h"

namespace cli {

void runGetQualifier(CommandContext &c) {
    cimobj::StringPtr name = wide(c.invocation.arguments.at(0));
    std::string body = c.call(CIMXMLencode_getQualifier(target(c), name.get(), 0), "GetQualifier");
    CIMQualifierType *declaration = nullptr;
    c.connection.check(CIMXMLdecode_getQualifier(body.c_str(), &declaration), body);
    cimobj::QualifierTypePtr owner(declaration);
    c.out.qualifierType(declaration);
}

void runSetQualifier(CommandContext &c) {
    sendMofInput(c,
                 sinkOptions(remote::ServerMofSink::qualifierTypes, "set-qualifier sends qualifier declarations only"));
}

void runDeleteQualifier(CommandContext &c) {
    cimobj::StringPtr name = wide(c.invocation.arguments.at(0));
    std::string body = c.call(CIMXMLencode_deleteQualifier(target(c), name.get(), 0), "DeleteQualifier");
    c.connection.check(CIMXMLdecode_deleteQualifier(body.c_str()), body);
}

void runEnumerateQualifiers(CommandContext &c) {
    std::string body = c.call(CIMXMLencode_enumerateQualifiers(target(c), 0), "EnumerateQualifiers");
    CIMQualifierTypeList *declarations = nullptr;
    c.connection.check(CIMXMLdecode_enumerateQualifiers(body.c_str(), &declarations), body);
    cimobj::ListPtr owner(declarations);
    writeList(c, declarations);
}

}  // namespace cli
