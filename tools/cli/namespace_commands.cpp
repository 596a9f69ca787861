// namespace_commands.cpp - create-namespace, delete-namespace and
// enumerate-namespaces (the CIM_Namespace instances of the interop namespace).
#include <cimxml/cimxml_client.h>

#include "command_support.h"

namespace cli {

namespace {

// The namespace the URL names, which these commands act on.
cimobj::StringPtr namedNamespace(const CommandContext &c) {
    const remote::WbemUrl &url = c.connection.url();
    if (!url.nameSpaceGiven || url.namesClass())
        throw remote::ClientError(remote::exitUsage,
                                  std::string(c.commandName) + " needs a namespace in the URL (http://host/root/new)");
    return wide(url.nameSpace);
}

}  // namespace

void runCreateNamespace(CommandContext &c) {
    cimobj::StringPtr nameSpace = namedNamespace(c);
    std::string body = c.call(CIMXMLencode_createNamespace(nameSpace.get(), 0), "CreateNamespace");
    CIMObjectPath *path = nullptr;
    c.connection.check(CIMXMLdecode_createInstance(body.c_str(), &path), body);
    cimobj::PathPtr owner(path);
    c.out.namespaceName(std::wstring(cimobj::view(nameSpace.get())));
}

void runDeleteNamespace(CommandContext &c) {
    cimobj::StringPtr nameSpace = namedNamespace(c);
    std::string body = c.call(CIMXMLencode_deleteNamespace(nameSpace.get(), 0), "DeleteNamespace");
    c.connection.check(CIMXMLdecode_deleteInstance(body.c_str()), body);
}

void runEnumerateNamespaces(CommandContext &c) {
    const remote::WbemUrl &url = c.connection.url();
    cimobj::PathPtr path =
        remote::classPath(cimobj::fromUtf8(url.nameSpaceGiven ? url.nameSpace : "root/interop"), L"CIM_Namespace");
    std::string body =
        c.call(CIMXMLencode_enumerateInstances(path.get(), 1, 0, 0, 0, nullptr, 0), "EnumerateInstances");
    CIMInstanceList *instances = nullptr;
    c.connection.check(CIMXMLdecode_enumerateInstances(body.c_str(), &instances), body);
    cimobj::ListPtr owner(instances);
    for (CIMListNode *node = getFirstCIMInstance(instances); node; node = getNextCIMInstance(node)) {
        const CIMProperty *name = findCIMProperty(getInstanceProperties(getCurrentCIMInstance(node)), L"Name");
        if (name && getCIMValueType(name->value) == CIM_STRING && !isCIMValueNull(name->value))
            c.out.namespaceName(std::wstring(cimobj::view(name->value->data.string)));
    }
}

}  // namespace cli
