// instance_commands.cpp - get-instance, enumerate-instances,
// enumerate-instance-names, create-instance, modify-instance,
// delete-instance, exec-query and enumeration-count. The enumerations
// pull unless told not to, and fall back to the traditional operation.
#include <cimxml/cimxml_client.h>

#include "command_support.h"
#include "pulled_enumeration.h"

namespace cli {

void runGetInstance(CommandContext &c) {
    requireInstance(c);
    const Invocation &in = c.invocation;
    cimobj::ListPtr properties = propertyList(c);
    std::string body = c.call(CIMXMLencode_getInstance(target(c), in.localOnly, in.includeQualifiers,
                                                       in.includeClassOrigin, properties.get(), 0),
                              "GetInstance");
    CIMInstance *instance = nullptr;
    c.connection.check(CIMXMLdecode_getInstance(body.c_str(), &instance), body);
    cimobj::InstancePtr owner(instance);
    c.out.instance(instance, target(c));
}

namespace {

PulledEnumeration instancePaths(const CommandContext &c) {
    return {"OpenEnumerateInstancePaths", CIMXMLdecode_openEnumerateInstancePaths, PullOperation::instancePaths,
            [&c](const CIMXMLPullOptions *options) {
                return CIMXMLencode_openEnumerateInstancePaths(target(c), options, 0);
            },
            true};
}

}  // namespace

void runEnumerateInstances(CommandContext &c) {
    requireClass(c);
    const Invocation &in = c.invocation;
    cimobj::ListPtr properties = propertyList(c);
    // The opens have no LocalOnly or IncludeQualifiers, and always go deep.
    bool traditionalOnly = in.localOnly || in.includeQualifiers || !in.deepInheritance;
    PulledEnumeration pulled{"OpenEnumerateInstances", CIMXMLdecode_openEnumerateInstances,
                             PullOperation::instancesWithPath,
                             [&](const CIMXMLPullOptions *options) {
                                 return CIMXMLencode_openEnumerateInstances(target(c), in.includeClassOrigin,
                                                                            properties.get(), options, 0);
                             },
                             true};
    if (runPulled(c, traditionalOnly, pulled)) return;
    readResults(c,
                CIMXMLencode_enumerateInstances(target(c), in.deepInheritance, in.localOnly, in.includeQualifiers,
                                                in.includeClassOrigin, properties.get(), 0),
                "EnumerateInstances", CIMXML_LIST_ENUMERATE_INSTANCES);
}

void runEnumerateInstanceNames(CommandContext &c) {
    requireClass(c);
    if (runPulled(c, false, instancePaths(c))) return;
    readResults(c, CIMXMLencode_enumerateInstanceNames(target(c), 0), "EnumerateInstanceNames",
                CIMXML_LIST_ENUMERATE_INSTANCE_NAMES);
}

void runCreateInstance(CommandContext &c) {
    sendMofInput(c, sinkOptions(remote::ServerMofSink::instances, "create-instance sends instances only"));
}

void runModifyInstance(CommandContext &c) {
    std::optional<std::vector<std::wstring>> names;
    if (c.invocation.propertyList) {
        names.emplace();
        for (const std::string &name : *c.invocation.propertyList)
            names->push_back(cimobj::fromUtf8(name));
    }
    remote::ServerMofSink::Options options =
        sinkOptions(remote::ServerMofSink::instances, "modify-instance sends instances only", true);
    options.includeQualifiers = c.invocation.includeQualifiers;
    options.propertyList = std::move(names);
    sendMofInput(c, std::move(options));
}

void runDeleteInstance(CommandContext &c) {
    requireInstance(c);
    std::string body = c.call(CIMXMLencode_deleteInstance(target(c), 0), "DeleteInstance");
    c.connection.check(CIMXMLdecode_deleteInstance(body.c_str()), body);
}

void runExecQuery(CommandContext &c) {
    cimobj::StringPtr query = wide(c.invocation.arguments.at(0));
    cimobj::StringPtr language = wide(c.invocation.queryLanguage);
    PulledEnumeration pulled{"OpenQueryInstances", CIMXMLdecode_openQueryInstances, PullOperation::instances,
                             [&](const CIMXMLPullOptions *options) {
                                 return CIMXMLencode_openQueryInstances(target(c), language.get(), query.get(),
                                                                        options, 0);
                             }};
    if (runPulled(c, false, pulled)) return;
    readResults(c, CIMXMLencode_execQuery(target(c), query.get(), language.get(), 0), "ExecQuery",
                CIMXML_LIST_EXEC_QUERY);
}

void runEnumerationCount(CommandContext &c) {
    requireClass(c);
    c.out.count(countPulled(c, instancePaths(c)));
}

}  // namespace cli
