// namespace_commands.cpp - create-namespace, delete-namespace and
// enumerate-namespaces, as CIM_Namespace instances of root/interop.
#include <cimxml/cimxml_client.h>

#include "command_support.h"

namespace cli {

namespace {

// The namespace the URL names, which these commands act on.
std::wstring namedNamespace(const CommandContext &c) {
    const remote::WbemUrl &url = c.connection.url();
    if (!url.nameSpaceGiven || url.namesClass())
        throw remote::ClientError(remote::exitUsage,
                                  std::string(c.commandName) + " needs a namespace in the URL (http://host/root/new)");
    return cimobj::fromUtf8(url.nameSpace);
}

// Namespaces are the CIM_Namespace instances of the interop namespace: a
// namespace being made or removed has no classes of its own to ask.
cimobj::PathPtr namespacePath(const std::wstring &nameSpace) {
    cimobj::PathPtr path = remote::classPath(L"root/interop", L"CIM_Namespace");
    if (!nameSpace.empty()) {
        cimobj::ValuePtr name(newCIMValue(CIM_STRING, cimobj::makeString(nameSpace).release()));
        CIMProperty *key = name ? newPropertyKey(cimobj::makeString(L"Name").release(), nullptr, name.get()) : nullptr;
        if (!key || !isSuccessfulFree(objectPathAddKey(path.get(), key))) throw std::bad_alloc();
        name.release();
    }
    return path;
}

}  // namespace

void runCreateNamespace(CommandContext &c) {
    std::wstring nameSpace = namedNamespace(c);
    cimobj::PathPtr path = namespacePath(L"");
    cimobj::InstancePtr instance(newInstance(cimobj::makeString(L"CIM_Namespace").release(), nullptr, nullptr));
    cimobj::ValuePtr name(newCIMValue(CIM_STRING, cimobj::makeString(nameSpace).release()));
    CIMProperty *property =
        name ? newProperty(cimobj::makeString(L"Name").release(), nullptr, name.get(), CIM_STRING, nullptr, 0)
             : nullptr;
    if (!instance || !property || !isSuccessfulFree(instanceAddProperty(instance.get(), property)))
        throw std::bad_alloc();
    name.release();
    std::string body = c.call(CIMXMLencode_createInstance(path.get(), instance.get(), 0), "CreateInstance");
    CIMObjectPath *created = nullptr;
    c.connection.check(CIMXMLdecode_createInstance(body.c_str(), &created), body);
    cimobj::PathPtr owner(created);
    c.out.namespaceName(nameSpace);
}

void runDeleteNamespace(CommandContext &c) {
    cimobj::PathPtr path = namespacePath(namedNamespace(c));
    std::string body = c.call(CIMXMLencode_deleteInstance(path.get(), 0), "DeleteInstance");
    c.connection.check(CIMXMLdecode_deleteInstance(body.c_str()), body);
}

void runEnumerateNamespaces(CommandContext &c) {
    cimobj::PathPtr path = namespacePath(L"");
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
