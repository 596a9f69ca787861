// command_support.cpp - URL checks, operation parameters, MOF input and
// list output shared by the commands.
#include "command_support.h"

#include <fstream>
#include <iostream>
#include <iterator>

namespace cli {

namespace {

[[noreturn]] void needs(const CommandContext &c, const char *what, const char *example) {
    throw remote::ClientError(remote::exitUsage,
                              std::string(c.commandName) + " needs " + what + " in the URL (" + example + ")");
}

}  // namespace

std::string CommandContext::call(char *request, const char *operation) {
    std::string body = connection.exchange(request, operation);
    out.responseBody(body);
    return body;
}

void requireClass(const CommandContext &c) {
    if (!c.connection.url().namesClass()) needs(c, "a class", "http://host/namespace:Class");
}

void requireInstance(const CommandContext &c) {
    if (!c.connection.url().namesInstance()) needs(c, "an instance", "http://host/namespace:Class.Key=value");
}

void requireClassOrInstance(const CommandContext &c) {
    if (!c.connection.url().namesClass()) needs(c, "a class or an instance", "http://host/namespace:Class[.Key=value]");
}

const CIMObjectPath *target(const CommandContext &c) { return c.connection.url().path.get(); }

cimobj::StringPtr wide(const std::string &text) { return cimobj::makeString(cimobj::fromUtf8(text)); }

cimobj::StringPtr optionalString(const std::optional<std::string> &text) {
    return text ? wide(*text) : cimobj::StringPtr();
}

cimobj::ListPtr propertyList(const CommandContext &c) {
    if (!c.invocation.propertyList) return nullptr;
    cimobj::ListPtr list(newCIMStringList());
    if (!list) throw std::bad_alloc();
    for (const std::string &name : *c.invocation.propertyList)
        if (!isSuccessfulFree(appendToCIMStringList(list.get(), wide(name).release()))) throw std::bad_alloc();
    return list;
}

cimobj::PathPtr inUrlNamespace(const CommandContext &c, const CIMObjectPath *path) {
    cimobj::PathPtr copy(copyObjectPath(path));
    if (copy && isEmptyCIMString(getObjectPathNameSpace(copy.get())))
        setObjectPathNameSpace(copy.get(), wide(c.connection.url().nameSpace).release());
    return copy;
}

remote::ServerMofSink::Options sinkOptions(unsigned kinds, const char *refusalText, bool modify) {
    remote::ServerMofSink::Options options;
    options.kinds = kinds;
    options.refusalText = refusalText;
    options.modify = modify;
    return options;
}

void sendMofInput(CommandContext &c, remote::ServerMofSink::Options options) {
    const Invocation &in = c.invocation;
    if (in.mof.has_value() == !in.arguments.empty())
        throw remote::ClientError(
            remote::exitUsage,
            std::string(c.commandName) + " takes its MOF as --mof TEXT or as one FILE (- for standard input)");
    std::optional<std::string> text = in.mof;
    std::string name = in.mof ? "--mof" : in.arguments[0];
    if (!in.mof && name == "-") {
        text = std::string(std::istreambuf_iterator<char>(std::cin), {});
        name = "<stdin>";
    }
    remote::ServerMofSink sink(c.connection, std::move(options));
    sink.onResponse = [&c](const std::string &body) { c.out.responseBody(body); };
    sink.onCreated = [&c](const CIMObjectPath &path) { c.out.path(&path); };
    remote::compileToServer(sink, text, name, cimobj::fromUtf8(c.connection.url().nameSpace));
}

void writeItem(CommandContext &c, int kind, const void *item) {
    switch (kind) {
        case CIMLIST_INSTANCE: {
            auto *instance = static_cast<const CIMInstance *>(item);
            const CIMObjectPath *path = getInstancePath(instance);
            cimobj::PathPtr named = path ? inUrlNamespace(c, path) : nullptr;
            c.out.instance(instance, named.get());
            break;
        }
        case CIMLIST_CLASS: c.out.cimClass(static_cast<const CIMClass *>(item)); break;
        case CIMLIST_OBJECTPATH: {
            // Instance names get the namespace they live in; bare class names stay bare.
            auto *path = static_cast<const CIMObjectPath *>(item);
            cimobj::PathPtr named =
                isEmptyCIMPropertyList(getObjectPathKeys(path)) ? nullptr : inUrlNamespace(c, path);
            c.out.path(named ? named.get() : path);
            break;
        }
        case CIMLIST_QUALIFIERTYPE: c.out.qualifierType(static_cast<const CIMQualifierType *>(item)); break;
        default: break;
    }
}

void writeList(CommandContext &c, const CIMList *list) {
    for (CIMListNode *node = getFirstNode(list); node; node = getNextNode(node))
        writeItem(c, getListType(list), getNodeItem(node));
}

void readResults(CommandContext &c, char *request, const char *operation, CIMXMLListOperation list) {
    struct EndsBody {
        ResultWriter &out;
        ~EndsBody() { out.responseEnd(); }
    } ends{c.out};
    c.connection.readList(
        request, operation, list,
        [&c](int kind, void *object) {
            // The one result there is at a time: written, then freed.
            struct Owner {
                int kind;
                void *object;
                ~Owner() {
                    if (kind == CIMLIST_INSTANCE)
                        freeCIMInstance(static_cast<CIMInstance *>(object));
                    else if (kind == CIMLIST_CLASS)
                        freeCIMClass(static_cast<CIMClass *>(object));
                    else
                        freeCIMObjectPath(static_cast<CIMObjectPath *>(object));
                }
            } owner{kind, object};
            writeItem(c, kind, object);
        },
        [&c](std::string_view piece) { c.out.responseBytes(piece); });
}

}  // namespace cli
