// subscription_commands.cpp - subscribe and unsubscribe: an indication
// filter, a listener destination and the subscription that joins them,
// made or removed in one command in the interop namespace. subscribe sends
// them as MOF, so that the subscription refers to the paths the server
// gave the other two (it fills their system keys), and removes what it made
// when the server refuses one of them.
#include <cimxml/cimxml_client.h>

#include "command_support.h"

namespace cli {

namespace {

// The URL's namespace, root/interop when it names none.
std::wstring interopNamespace(const CommandContext &c) {
    const remote::WbemUrl &url = c.connection.url();
    return url.nameSpaceGiven ? cimobj::fromUtf8(url.nameSpace) : L"root/interop";
}

std::string mofString(const std::string &text) {
    std::string quoted = "\"";
    for (char ch : text) {
        if (ch == '"' || ch == '\\') quoted += '\\';
        if (ch == '\n') {
            quoted += "\\n";
            continue;
        }
        quoted += ch;
    }
    return quoted + "\"";
}

std::string nameOf(const CommandContext &c) {
    if (!c.invocation.subscriptionName || c.invocation.subscriptionName->empty())
        throw remote::ClientError(remote::exitUsage, std::string(c.commandName) + " needs --name NAME");
    return *c.invocation.subscriptionName;
}

// The value of the string key Name of path; empty when it has none.
std::wstring nameKey(const CIMObjectPath *path) {
    const CIMProperty *name = path ? findCIMProperty(path->mkeys, L"Name") : nullptr;
    if (!name || isCIMValueNull(name->value) || getCIMValueType(name->value) != CIM_STRING) return L"";
    return std::wstring(cimobj::view(name->value->data.string));
}

// The reference key role of path; NULL when it has none.
const CIMObjectPath *referenceKey(const CIMObjectPath *path, const wchar_t *role) {
    const CIMProperty *key = findCIMProperty(path->mkeys, role);
    if (!key || isCIMValueNull(key->value) || getCIMValueType(key->value) != CIM_REFERENCE) return nullptr;
    return key->value->data.reference;
}

// The paths of className's instances in nameSpace.
cimobj::ListPtr instanceNames(CommandContext &c, const std::wstring &nameSpace, const wchar_t *className) {
    cimobj::PathPtr path = remote::classPath(nameSpace, className);
    std::string body = c.call(CIMXMLencode_enumerateInstanceNames(path.get(), 0), "EnumerateInstanceNames");
    CIMObjectPathList *paths = nullptr;
    c.connection.check(CIMXMLdecode_enumerateInstanceNames(body.c_str(), &paths), body);
    return cimobj::ListPtr(paths);
}

void remove(CommandContext &c, const std::wstring &nameSpace, const CIMObjectPath *path) {
    cimobj::PathPtr inSpace(copyObjectPath(path));
    if (!inSpace || !setObjectPathNameSpace(inSpace.get(), cimobj::makeString(nameSpace).release()))
        throw std::bad_alloc();
    std::string body = c.call(CIMXMLencode_deleteInstance(inSpace.get(), 0), "DeleteInstance");
    c.connection.check(CIMXMLdecode_deleteInstance(body.c_str()), body);
    c.out.path(inSpace.get());
}

}  // namespace

void runSubscribe(CommandContext &c) {
    const Invocation &in = c.invocation;
    const std::string name = nameOf(c);
    if (!in.destination)
        throw remote::ClientError(remote::exitUsage, "subscribe needs --destination URL (where the listener is)");
    const std::string mof =
        "instance of CIM_IndicationFilter as $filter {\n"
        "    Name = " + mofString(name) + ";\n"
        "    Query = " + mofString(in.arguments.at(0)) + ";\n"
        "    QueryLanguage = " + mofString(in.queryLanguage) + ";\n"
        "    SourceNamespaces = { " + mofString(in.sourceNamespace) + " };\n"
        "};\n"
        "instance of CIM_ListenerDestinationCIMXML as $destination {\n"
        "    Name = " + mofString(name) + ";\n"
        "    Destination = " + mofString(*in.destination) + ";\n"
        "};\n"
        "instance of CIM_IndicationSubscription {\n"
        "    Filter = $filter;\n"
        "    Handler = $destination;\n"
        "};\n";
    remote::ServerMofSink sink(c.connection, sinkOptions(remote::ServerMofSink::instances, ""));
    std::vector<cimobj::PathPtr> made;
    sink.onResponse = [&c](const std::string &body) { c.out.responseBody(body); };
    sink.onCreated = [&](const CIMObjectPath &path) { made.emplace_back(copyObjectPath(&path)); };
    try {
        remote::compileToServer(sink, mof, "subscribe", interopNamespace(c));
    } catch (const remote::ClientError &) {
        // What was made before the refusal goes again (as far as the server lets it).
        for (auto at = made.rbegin(); at != made.rend(); ++at) {
            if (!*at) continue;
            char *request = CIMXMLencode_deleteInstance(at->get(), 0);
            try {
                std::string body = c.connection.exchange(request, "DeleteInstance");
                cimobj::ReturnCodePtr ignored(CIMXMLdecode_deleteInstance(body.c_str()));
            } catch (const remote::ClientError &) {
            }
        }
        throw;
    }
    for (const cimobj::PathPtr &path : made) c.out.path(path.get());
}

void runUnsubscribe(CommandContext &c) {
    const std::wstring name = cimobj::fromUtf8(nameOf(c));
    const std::wstring nameSpace = interopNamespace(c);
    bool found = false;
    cimobj::ListPtr subscriptions = instanceNames(c, nameSpace, L"CIM_IndicationSubscription");
    for (CIMListNode *node = getFirstNode(subscriptions.get()); node; node = getNextNode(node)) {
        auto *path = static_cast<const CIMObjectPath *>(getNodeItem(node));
        if (nameKey(referenceKey(path, L"Filter")) != name && nameKey(referenceKey(path, L"Handler")) != name) continue;
        remove(c, nameSpace, path);
        found = true;
    }
    for (const wchar_t *className : {L"CIM_ListenerDestination", L"CIM_IndicationFilter"}) {
        cimobj::ListPtr paths = instanceNames(c, nameSpace, className);
        for (CIMListNode *node = getFirstNode(paths.get()); node; node = getNextNode(node)) {
            auto *path = static_cast<const CIMObjectPath *>(getNodeItem(node));
            if (nameKey(path) != name) continue;
            remove(c, nameSpace, path);
            found = true;
        }
    }
    if (!found)
        throw remote::ClientError(6 /* CIM_ERR_NOT_FOUND */, "no subscription, filter or destination named " +
                                                         cimobj::toUtf8(name) + " in " + cimobj::toUtf8(nameSpace));
}

}  // namespace cli
