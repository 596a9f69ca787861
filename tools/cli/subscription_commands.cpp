// subscription_commands.cpp - subscribe and unsubscribe: the filter, the
// listener destination and the subscription joining them, made or removed
// in one command in the URL's (interop) namespace, all three named NAME.
#include <unistd.h>

#include <chrono>

#include "client_error.h"
#include "command_support.h"
#include "commands.h"

namespace cli {

namespace {

CIMProperty *stringProperty(const wchar_t *name, const std::string &value) {
    return newProperty(wide(cimobj::toUtf8(name)).release(), nullptr,
                       newCIMValue(CIM_STRING, wide(value).release()), CIM_STRING, nullptr, 0);
}

// An instance of className with the given properties (taken).
cimobj::InstancePtr instanceOf(const wchar_t *className, std::initializer_list<CIMProperty *> properties) {
    CIMPropertyList *list = newCIMPropertyList();
    for (CIMProperty *p : properties) freeReturnCode(appendToCIMPropertyList(list, p));
    return cimobj::InstancePtr(newInstance(wide(cimobj::toUtf8(className)).release(), nullptr, list));
}

// CreateInstance in the URL's namespace; the new path, in that namespace.
cimobj::PathPtr create(CommandContext &c, const CIMInstance &instance) {
    std::string body = c.connection.exchange(CIMXMLencode_createInstance(target(c), &instance, 0), "CreateInstance");
    CIMObjectPath *made = nullptr;
    c.connection.check(CIMXMLdecode_createInstance(body.c_str(), &made), body);
    cimobj::PathPtr path(made);
    return inUrlNamespace(c, path.get());
}

// The paths of className's instances (subclasses included) in the URL's namespace.
std::vector<cimobj::PathPtr> namesOf(CommandContext &c, const wchar_t *className) {
    cimobj::PathPtr classPath(copyObjectPath(target(c)));
    setObjectPathName(classPath.get(), wide(cimobj::toUtf8(className)).release());
    std::string body =
        c.connection.exchange(CIMXMLencode_enumerateInstanceNames(classPath.get(), 0), "EnumerateInstanceNames");
    CIMObjectPathList *list = nullptr;
    c.connection.check(CIMXMLdecode_enumerateInstanceNames(body.c_str(), &list), body);
    cimobj::ListPtr owner(list);
    std::vector<cimobj::PathPtr> paths;
    for (CIMListNode *node = getFirstNode(list); node; node = getNextNode(node))
        paths.push_back(inUrlNamespace(c, static_cast<const CIMObjectPath *>(getNodeItem(node))));
    return paths;
}

// The text of a path's key (string or reference) as it is, or empty.
const CIMValue *keyOf(const CIMObjectPath &path, const wchar_t *name) {
    for (CIMListNode *node = getFirstNode(path.mkeys); node; node = getNextNode(node)) {
        auto *key = static_cast<const CIMProperty *>(getNodeItem(node));
        if (key->name && local_wcscasecmp(key->name->buffer, name) == 0) return key->value;
    }
    return nullptr;
}

bool named(const CIMObjectPath &path, const std::string &name) {
    const CIMValue *value = keyOf(path, L"Name");
    return value && !value->isNull && value->type == CIM_STRING && cimobj::toUtf8(cimobj::view(value->data.string)) == name;
}

void remove(CommandContext &c, const CIMObjectPath &path) {
    std::string body = c.connection.exchange(CIMXMLencode_deleteInstance(&path, 0), "DeleteInstance");
    c.connection.check(CIMXMLdecode_deleteInstance(body.c_str()), body);
    c.out.path(&path);
}

std::string defaultName() {
    auto now = std::chrono::system_clock::now().time_since_epoch().count();
    return "cimxml-cli:" + std::to_string(getpid()) + "-" + std::to_string(now % 1000000007);
}

}  // namespace

void runSubscribe(CommandContext &c) {
    const std::string name = c.invocation.subscriptionName.value_or(defaultName());
    if (!c.invocation.destination)
        throw remote::ClientError(remote::exitUsage, "subscribe: --destination URL (the listener's) is required");
    cimobj::PathPtr filter = create(c, *instanceOf(L"CIM_IndicationFilter",
                                                   {stringProperty(L"Name", name),
                                                    stringProperty(L"Query", c.invocation.arguments.at(0)),
                                                    stringProperty(L"QueryLanguage", c.invocation.queryLanguage)}));
    // What was made goes again when a later step fails: all three or none.
    std::vector<cimobj::PathPtr> made;
    made.push_back(std::move(filter));
    try {
        made.push_back(create(c, *instanceOf(L"CIM_ListenerDestinationCIMXML",
                                             {stringProperty(L"Name", name),
                                              stringProperty(L"Destination", *c.invocation.destination)})));
        CIMProperty *filterRef = newProperty(wide("Filter").release(), nullptr,
                                             newCIMValue(CIM_REFERENCE, copyObjectPath(made[0].get())), CIM_REFERENCE,
                                             nullptr, 0);
        CIMProperty *handlerRef = newProperty(wide("Handler").release(), nullptr,
                                              newCIMValue(CIM_REFERENCE, copyObjectPath(made[1].get())),
                                              CIM_REFERENCE, nullptr, 0);
        made.push_back(create(c, *instanceOf(L"CIM_IndicationSubscription", {filterRef, handlerRef})));
    } catch (const remote::ClientError &) {
        for (const cimobj::PathPtr &path : made) {
            try {
                std::string body = c.connection.exchange(CIMXMLencode_deleteInstance(path.get(), 0), "DeleteInstance");
            } catch (const remote::ClientError &) {
            }
        }
        throw;
    }
    for (const cimobj::PathPtr &path : made) c.out.path(path.get());
}

void runUnsubscribe(CommandContext &c) {
    const std::string name = c.invocation.arguments.at(0);
    std::size_t removed = 0;
    // The subscriptions first: their filter and destination stay while used.
    for (const cimobj::PathPtr &subscription : namesOf(c, L"CIM_IndicationSubscription")) {
        const CIMValue *filter = keyOf(*subscription, L"Filter");
        const CIMValue *handler = keyOf(*subscription, L"Handler");
        bool ours = (filter && filter->type == CIM_REFERENCE && filter->data.reference && named(*filter->data.reference, name)) &&
                    (handler && handler->type == CIM_REFERENCE && handler->data.reference && named(*handler->data.reference, name));
        if (ours) remove(c, *subscription), ++removed;
    }
    for (const wchar_t *className : {L"CIM_IndicationFilter", L"CIM_ListenerDestination"})
        for (const cimobj::PathPtr &path : namesOf(c, className))
            if (named(*path, name)) remove(c, *path), ++removed;
    if (removed == 0)
        throw remote::ClientError(6, "CIM_ERR_NOT_FOUND (6): no filter, destination or subscription named " + name);
}

}  // namespace cli
