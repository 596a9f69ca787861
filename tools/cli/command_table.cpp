// command_table.cpp - every subcommand: its help, the options it takes and
// their defaults (those of the operation), and its runner.
#include "commands.h"

namespace cli {

namespace {

constexpr unsigned flags = localOnlyOption | includeQualifiersOption | includeClassOriginOption;
constexpr unsigned filters = assocClassOption | resultClassOption | roleOption | resultRoleOption;
constexpr int any = -1;
// The options of the enumerations that pull.
constexpr unsigned pulls = pullOption | filterQueryOption | operationTimeoutOption;

const char *const aClass = "a class: http://host/namespace:Class";
const char *const anInstance = "an instance: http://host/namespace:Class.Key=\"value\",N=3";
const char *const classOrInstance = "a class or an instance: http://host/namespace:Class[.Key=\"value\"]";
const char *const aNamespace = "a namespace: http://host/namespace";
const char *const optionalClass = "a namespace, or a class to start from: http://host/namespace[:Class]";

}  // namespace

const std::vector<Command> &commandTable() {
    static const std::vector<Command> table = {
        {"get-class", "GetClass: one class", aClass, nullptr, 0, 0, flags | propertyListOption,
         localOnlyOption | includeQualifiersOption, runGetClass},
        {"enumerate-classes", "EnumerateClasses: the subclasses of a class, or the namespace's top classes",
         optionalClass, nullptr, 0, 0, deepInheritanceOption | flags, localOnlyOption | includeQualifiersOption,
         runEnumerateClasses},
        {"enumerate-class-names", "EnumerateClassNames: the names of the subclasses, or of the top classes",
         optionalClass, nullptr, 0, 0, deepInheritanceOption, 0, runEnumerateClassNames},
        {"create-class", "CreateClass of each class in the MOF (qualifier declarations go first)", aNamespace, "FILE",
         0, 1, mofOption, 0, runCreateClass},
        {"modify-class", "ModifyClass with each class in the MOF", aNamespace, "FILE", 0, 1, mofOption, 0,
         runModifyClass},
        {"delete-class", "DeleteClass: a class with its subclasses and instances", aClass, nullptr, 0, 0, 0, 0,
         runDeleteClass},
        {"get-instance", "GetInstance: one instance", anInstance, nullptr, 0, 0, flags | propertyListOption, 0,
         runGetInstance},
        {"enumerate-instances", "EnumerateInstances: the instances of a class and its subclasses", aClass, nullptr, 0,
         0, deepInheritanceOption | flags | propertyListOption | pulls, deepInheritanceOption, runEnumerateInstances},
        {"enumerate-instance-names", "EnumerateInstanceNames: the paths of a class's instances", aClass, nullptr, 0, 0,
         pulls, 0, runEnumerateInstanceNames},
        {"enumeration-count", "EnumerationCount: how many instances a class has (an open, the count, a close)",
         aClass, nullptr, 0, 0, filterQueryOption | operationTimeoutOption, 0, runEnumerationCount},
        {"create-instance", "CreateInstance of each instance in the MOF; writes the new paths", aNamespace, "FILE", 0,
         1, mofOption, 0, runCreateInstance},
        {"modify-instance",
         "ModifyInstance with each instance in the MOF (of the properties it gives, or of --property-list)", aNamespace,
         "FILE", 0, 1, mofOption | includeQualifiersOption | propertyListOption, includeQualifiersOption,
         runModifyInstance},
        {"delete-instance", "DeleteInstance: one instance", anInstance, nullptr, 0, 0, 0, 0, runDeleteInstance},
        {"get-property", "GetProperty: one property's value", anInstance, "NAME", 1, 1, 0, 0, runGetProperty},
        {"set-property", "SetProperty: NAME=VALUE, typed as the class declares it (NAME alone sets NULL)", anInstance,
         "NAME=VALUE", 1, 1, 0, 0, runSetProperty},
        {"associators", "Associators: the objects associated with an instance (or a class)", classOrInstance, nullptr,
         0, 0, filters | includeQualifiersOption | includeClassOriginOption | propertyListOption | pulls, 0,
         runAssociators},
        {"associator-names", "AssociatorNames: the paths of the associated objects", classOrInstance, nullptr, 0, 0,
         filters | pulls, 0, runAssociatorNames},
        {"references", "References: the associations that refer to an instance (or a class)", classOrInstance, nullptr,
         0, 0,
         resultClassOption | roleOption | includeQualifiersOption | includeClassOriginOption | propertyListOption | pulls,
         0, runReferences},
        {"reference-names", "ReferenceNames: the paths of the associations that refer to it", classOrInstance, nullptr,
         0, 0, resultClassOption | roleOption | pulls, 0, runReferenceNames},
        {"exec-query", "ExecQuery: the objects a query selects", aNamespace, "QUERY", 1, 1,
         queryLanguageOption | pullOption | operationTimeoutOption, 0, runExecQuery},
        {"invoke-method",
         "an extrinsic method: METHOD NAME=VALUE..., the values typed as the class declares the parameters",
         classOrInstance, "METHOD [NAME=VALUE...]", 1, any, 0, 0, runInvokeMethod},
        {"get-qualifier", "GetQualifier: one qualifier declaration", aNamespace, "NAME", 1, 1, 0, 0, runGetQualifier},
        {"set-qualifier", "SetQualifier with each qualifier declaration in the MOF", aNamespace, "FILE", 0, 1,
         mofOption, 0, runSetQualifier},
        {"delete-qualifier", "DeleteQualifier: one qualifier declaration", aNamespace, "NAME", 1, 1, 0, 0,
         runDeleteQualifier},
        {"enumerate-qualifiers", "EnumerateQualifiers: the namespace's qualifier declarations", aNamespace, nullptr, 0,
         0, 0, 0, runEnumerateQualifiers},
        {"create-namespace", "a new namespace (CreateInstance of its CIM_Namespace)",
         "the new namespace: http://host/root/new", nullptr, 0, 0, 0, 0, runCreateNamespace},
        {"delete-namespace", "a namespace and everything in it (DeleteInstance of its CIM_Namespace)",
         "the namespace: http://host/root/old", nullptr, 0, 0, 0, 0, runDeleteNamespace},
        {"enumerate-namespaces", "the namespaces (the CIM_Namespace instances; root/interop unless the URL names one)",
         "the server: http://host[/interop-namespace]", nullptr, 0, 0, 0, 0, runEnumerateNamespaces},
        {"server",
         "what a client learns from the interop namespace: product and version, namespaces, communication "
         "mechanisms, profiles",
         "the server: http://host[/interop-namespace]", nullptr, 0, 0, 0, 0, runServer},
        {"conformance",
         "checks the server's answers to every operation against DSP0200 (and a DTD); exit 1 when one fails",
         "the server and the namespace to work in: http://host/namespace", nullptr, 0, 0,
         namespaceOption | dtdOption | classicOption, 0, runConformance},
        {"subscribe",
         "a filter with QUERY (--query-language, WQL), a listener destination (--destination URL) and the "
         "subscription joining them, all named --name; writes the three paths",
         "the interop namespace: http://host/root/interop", "QUERY", 1, 1, queryLanguageOption | subscriptionOption, 0,
         runSubscribe},
        {"unsubscribe", "removes the subscriptions, filter and destination named NAME; writes their paths",
         "the interop namespace: http://host/root/interop", "NAME", 1, 1, 0, 0, runUnsubscribe},
        {"listen",
         "an indication listener: answers ExportIndication requests and writes each indication as it comes "
         "(MOF, or JSON lines with --json)",
         "none: --bind ADDR (127.0.0.1) and --port N (5990); https with --tls-cert and --tls-key", nullptr, 0, 0, 0,
         0, nullptr, true},
    };
    return table;
}

}  // namespace cli
