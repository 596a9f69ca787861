// conformance_checks.cpp - the check table: every intrinsic operation with
// valid and invalid arguments, an extrinsic call, unserved operations and
// requests that break the HTTP rules, each with what DSP0200 asks of the
// answer. The status lists are DSP0200's for each operation, narrowed to
// the status it names for the condition the request creates.
#include "conformance_checks.h"

#include <cimxml/cimxml_client.h>

#include "conformance_request_edits.h"

namespace conformance {

namespace {

using F = Fixture;
namespace s = scratch;

// CIM status codes by their DSP0200 names.
enum : int {
    invalidNamespace = 3,
    invalidParameter = 4,
    invalidClass = 5,
    notFound = 6,
    notSupported = 7,
    alreadyExists = 11,
    noSuchProperty = 12,
    queryLanguageNotSupported = 14,
    invalidQuery = 15,
    methodNotAvailable = 16,
    methodNotFound = 17,
    invalidSuperclass = 10,
};

const std::wstring one = L"one", two = L"two", link = L"link";

// The requests, one small builder per kind; the rows combine them.
std::string setQualifier(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_setQualifier(f.namespacePath().get(), &f.qualifierType(name), 0), "SetQualifier");
}
std::string getQualifier(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_getQualifier(f.namespacePath().get(), F::text(name).get(), 0), "GetQualifier");
}
std::string deleteQualifier(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_deleteQualifier(f.namespacePath().get(), F::text(name).get(), 0),
                      "DeleteQualifier");
}
std::string enumerateQualifiers(F &f) {
    return F::encoded(CIMXMLencode_enumerateQualifiers(f.namespacePath().get(), 0), "EnumerateQualifiers");
}
std::string createClass(F &f, const CIMClass &cimClass) {
    return F::encoded(CIMXMLencode_createClass(f.namespacePath().get(), &cimClass, 0), "CreateClass");
}
std::string modifyClass(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_modifyClass(f.namespacePath().get(), &f.withNote(name), 0), "ModifyClass");
}
std::string getClass(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_getClass(f.path(name).get(), 0, 1, 0, nullptr, 0), "GetClass");
}
std::string deleteClass(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_deleteClass(f.path(name).get(), 0), "DeleteClass");
}
std::string enumerateClasses(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_enumerateClasses(f.path(name).get(), 1, 0, 1, 0, 0), "EnumerateClasses");
}
std::string enumerateClassNames(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_enumerateClassNames(f.path(name).get(), 0, 0), "EnumerateClassNames");
}
std::string createInstance(F &f, const CIMInstance &instance) {
    return F::encoded(CIMXMLencode_createInstance(f.namespacePath().get(), &instance, 0), "CreateInstance");
}
std::string getInstance(const cimobj::PathPtr &path) {
    return F::encoded(CIMXMLencode_getInstance(path.get(), 0, 0, 0, nullptr, 0), "GetInstance");
}
std::string deleteInstance(const cimobj::PathPtr &path) {
    return F::encoded(CIMXMLencode_deleteInstance(path.get(), 0), "DeleteInstance");
}
std::string enumerateInstances(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_enumerateInstances(f.path(name).get(), 1, 0, 0, 0, nullptr, 0),
                      "EnumerateInstances");
}
std::string enumerateInstanceNames(F &f, const wchar_t *name) {
    return F::encoded(CIMXMLencode_enumerateInstanceNames(f.path(name).get(), 0), "EnumerateInstanceNames");
}
// ModifyInstance of the instance at path with Label (the property list) set to "changed".
std::string modifyInstance(const cimobj::PathPtr &path, cimobj::InstancePtr instance) {
    instance = F::with(std::move(instance), L"Label", F::stringValue(L"changed"));
    return F::encoded(CIMXMLencode_modifyInstance(path.get(), instance.get(), 0, F::strings({L"Label"}).get(), 0),
                      "ModifyInstance");
}
std::string getProperty(const cimobj::PathPtr &path, const wchar_t *property) {
    return F::encoded(CIMXMLencode_getProperty(path.get(), F::text(property).get(), 0), "GetProperty");
}
std::string setProperty(const cimobj::PathPtr &path, const wchar_t *property, cimobj::ValuePtr value) {
    return F::encoded(CIMXMLencode_setProperty(path.get(), F::text(property).get(), value.get(), 0), "SetProperty");
}
std::string execQuery(F &f, const wchar_t *query, const wchar_t *language) {
    return F::encoded(
        CIMXMLencode_execQuery(f.namespacePath().get(), F::text(query).get(), F::text(language).get(), 0),
        "ExecQuery");
}
std::string invokeMethod(const cimobj::PathPtr &path, const wchar_t *method) {
    return F::encoded(CIMXMLencode_invokeMethod(path.get(), F::text(method).get(),
                                                F::parameters(L"Text", F::stringValue(L"hello")).get(), 0),
                      "an extrinsic method call");
}
cimobj::PathPtr absent(F &f) { return f.path(L"ConfCheck_Scratch.Name=\"absent\""); }
cimobj::PathPtr ofMissingClass(F &f) { return f.path(L"ConfCheck_NoSuchClass.Name=\"one\""); }

// The rules, as DSP0200 words them.
const char *const getClassRule = "DSP0200 5.3.2.1 GetClass: one CLASS; CIM_ERR_NOT_FOUND when the class does not exist";
const char *const getInstanceRule =
    "DSP0200 5.3.2.2 GetInstance: one INSTANCE; CIM_ERR_INVALID_CLASS for a class that does not exist, "
    "CIM_ERR_NOT_FOUND for an instance that does not";
const char *const deleteClassRule =
    "DSP0200 5.3.2.3 DeleteClass returns nothing; CIM_ERR_NOT_FOUND when the class does not exist";
const char *const deleteInstanceRule =
    "DSP0200 5.3.2.4 DeleteInstance returns nothing; CIM_ERR_INVALID_CLASS, CIM_ERR_NOT_FOUND";
const char *const createClassRule =
    "DSP0200 5.3.2.5 CreateClass returns nothing; CIM_ERR_ALREADY_EXISTS, CIM_ERR_INVALID_SUPERCLASS";
const char *const createInstanceRule =
    "DSP0200 5.3.2.6 CreateInstance: the new INSTANCENAME; CIM_ERR_ALREADY_EXISTS, CIM_ERR_INVALID_CLASS";
const char *const modifyClassRule = "DSP0200 5.3.2.7 ModifyClass returns nothing; CIM_ERR_NOT_FOUND";
const char *const modifyInstanceRule = "DSP0200 5.3.2.8 ModifyInstance returns nothing; CIM_ERR_NOT_FOUND";
const char *const enumerateClassesRule =
    "DSP0200 5.3.2.9 EnumerateClasses: CLASS*; CIM_ERR_INVALID_CLASS for a ClassName that does not exist";
const char *const enumerateClassNamesRule =
    "DSP0200 5.3.2.10 EnumerateClassNames: CLASSNAME*; CIM_ERR_INVALID_CLASS";
const char *const enumerateInstancesRule =
    "DSP0200 5.3.2.11 EnumerateInstances: VALUE.NAMEDINSTANCE*; CIM_ERR_INVALID_CLASS";
const char *const enumerateInstanceNamesRule =
    "DSP0200 5.3.2.12 EnumerateInstanceNames: INSTANCENAME*; CIM_ERR_INVALID_CLASS";
const char *const execQueryRule =
    "DSP0200 5.3.2.13 ExecQuery: the objects (VALUE.OBJECTWITHPATH* or VALUE.OBJECT*); "
    "CIM_ERR_QUERY_LANGUAGE_NOT_SUPPORTED, CIM_ERR_INVALID_QUERY";
const char *const associatorsRule = "DSP0200 5.3.2.14 Associators: VALUE.OBJECTWITHPATH*";
const char *const associatorNamesRule = "DSP0200 5.3.2.15 AssociatorNames: OBJECTPATH*";
const char *const referencesRule = "DSP0200 5.3.2.16 References: VALUE.OBJECTWITHPATH*";
const char *const referenceNamesRule =
    "DSP0200 5.3.2.17 ReferenceNames: OBJECTPATH*; its list has no CIM_ERR_NOT_FOUND or CIM_ERR_INVALID_CLASS";
const char *const getPropertyRule =
    "DSP0200 5.3.2.18 GetProperty: the VALUE (none when NULL); CIM_ERR_NO_SUCH_PROPERTY, CIM_ERR_NOT_FOUND";
const char *const setPropertyRule =
    "DSP0200 5.3.2.19 SetProperty returns nothing; CIM_ERR_NO_SUCH_PROPERTY, CIM_ERR_NOT_FOUND";
const char *const getQualifierRule =
    "DSP0200 5.3.2.20 GetQualifier: one QUALIFIER.DECLARATION; CIM_ERR_NOT_FOUND";
const char *const setQualifierRule = "DSP0200 5.3.2.21 SetQualifier returns nothing";
const char *const deleteQualifierRule = "DSP0200 5.3.2.22 DeleteQualifier returns nothing; CIM_ERR_NOT_FOUND";
const char *const enumerateQualifiersRule = "DSP0200 5.3.2.23 EnumerateQualifiers: QUALIFIER.DECLARATION*";
const char *const namespaceRule = "DSP0200 status codes: CIM_ERR_INVALID_NAMESPACE for a namespace that does not exist";
const char *const parameterRule =
    "DSP0200 status codes: CIM_ERR_INVALID_PARAMETER for a parameter the operation needs and did not get";
const char *const methodRule =
    "DSP0200 extrinsic method invocation: a METHODRESPONSE named after the method, RETURNVALUE? PARAMVALUE*; "
    "CIM_ERR_METHOD_NOT_AVAILABLE when no provider serves it";
const char *const methodNotFoundRule =
    "DSP0200 extrinsic method invocation: CIM_ERR_METHOD_NOT_FOUND for a method the class lacks";
const char *const unservedRule =
    "DSP0200 intrinsic methods: CIM_ERR_NOT_SUPPORTED for an operation the server does not serve, in an "
    "IMETHODRESPONSE named after it";
const char *const cimOperationRule =
    "DSP0200 CIMOperation header: a value other than MethodCall is 400 with CIMError: unsupported-operation";
const char *const protocolVersionRule =
    "DSP0200 CIMProtocolVersion header: an unsupported version is 501 with CIMError: unsupported-protocol-version";
const char *const cimMethodRule =
    "DSP0200 CIMMethod header: a name other than the call's is 400 with CIMError: header-mismatch";
const char *const wellFormedRule =
    "DSP0200 CIMError header: a body that is not well-formed XML is 400 with CIMError: request-not-well-formed";
const char *const validRule =
    "DSP0200 CIMError header: a body that is no CIM request is 400 with CIMError: request-not-valid "
    "(or request-not-well-formed)";
const char *const cleanupRule = "removes the checker's scratch objects (CIM_ERR_NOT_FOUND: already gone)";

constexpr ClassicDifference emptyValue = ClassicDifference::emptyIReturnValue;
constexpr ClassicDifference methodResponse = ClassicDifference::methodResponseName;
constexpr ClassicDifference failedStatus = ClassicDifference::failedStatus;

// A clean-up row: DeleteClass or DeleteQualifier that may find nothing left.
Expectation removed() { return orFails(returnsNothing(), {notFound}); }

}  // namespace

const std::vector<CheckRow> &checkTable() {
    // Success shapes used more than once.
    static const Expectation none = returnsNothing();
    static const std::vector<CheckRow> table = {
        // Qualifier declarations: created first, since the scratch class uses one.
        {"setqualifier.create", "SetQualifier", "SetQualifier ConfCheck_Mark",
         [](F &f) { return setQualifier(f, s::mark); }, none, setQualifierRule, emptyValue},
        {"setqualifier.second", "SetQualifier", "SetQualifier ConfCheck_Spare",
         [](F &f) { return setQualifier(f, s::spare); }, none, setQualifierRule, emptyValue},
        {"setqualifier.bad-namespace", "SetQualifier", "SetQualifier in a namespace that does not exist",
         [](F &f) { return setQualifier(f, s::spare); }, fails({invalidNamespace}), namespaceRule,
         ClassicDifference::none, true},
        {"getqualifier.found", "GetQualifier", "GetQualifier ConfCheck_Mark",
         [](F &f) { return getQualifier(f, s::mark); }, returnsOne("QUALIFIER.DECLARATION"), getQualifierRule},
        {"getqualifier.not-found", "GetQualifier", "GetQualifier of an undeclared qualifier",
         [](F &f) { return getQualifier(f, s::missingQualifier); }, fails({notFound}), getQualifierRule},
        {"getqualifier.no-name", "GetQualifier", "GetQualifier without its QualifierName parameter",
         [](F &f) { return withoutParameter(getQualifier(f, s::mark), "QualifierName"); }, fails({invalidParameter}),
         parameterRule, failedStatus},
        {"enumeratequalifiers.all", "EnumerateQualifiers", "EnumerateQualifiers",
         [](F &f) { return enumerateQualifiers(f); }, returnsMany({"QUALIFIER.DECLARATION"}, 2),
         enumerateQualifiersRule},
        {"enumeratequalifiers.bad-namespace", "EnumerateQualifiers",
         "EnumerateQualifiers in a namespace that does not exist", [](F &f) { return enumerateQualifiers(f); },
         fails({invalidNamespace}), namespaceRule, ClassicDifference::none, true},

        // Classes.
        {"createclass.base", "CreateClass", "CreateClass ConfCheck_Scratch",
         [](F &f) { return createClass(f, f.cimClass(s::base)); }, none, createClassRule, emptyValue},
        {"createclass.subclass", "CreateClass", "CreateClass ConfCheck_Child (a subclass)",
         [](F &f) { return createClass(f, f.cimClass(s::child)); }, none, createClassRule, emptyValue},
        {"createclass.association", "CreateClass", "CreateClass ConfCheck_Link (an association)",
         [](F &f) { return createClass(f, f.cimClass(s::link)); }, none, createClassRule, emptyValue},
        {"createclass.plain", "CreateClass", "CreateClass ConfCheck_Plain",
         [](F &f) { return createClass(f, f.cimClass(s::plain)); }, none, createClassRule, emptyValue},
        {"createclass.exists", "CreateClass", "CreateClass of a class that exists",
         [](F &f) { return createClass(f, f.cimClass(s::base)); }, fails({alreadyExists}), createClassRule},
        {"createclass.no-superclass", "CreateClass", "CreateClass with a superclass that does not exist",
         [](F &f) { return createClass(f, *f.classVariant(s::child, L"ConfCheck_Orphan", s::missing)); },
         fails({invalidSuperclass}), createClassRule},
        {"createclass.bad-namespace", "CreateClass", "CreateClass in a namespace that does not exist",
         [](F &f) { return createClass(f, f.cimClass(s::plain)); }, fails({invalidNamespace}), namespaceRule,
         ClassicDifference::none, true},
        {"getclass.found", "GetClass", "GetClass ConfCheck_Scratch", [](F &f) { return getClass(f, s::base); },
         returnsOne("CLASS"), getClassRule},
        {"getclass.not-found", "GetClass", "GetClass of a class that does not exist",
         [](F &f) { return getClass(f, s::missing); }, fails({notFound}), getClassRule},
        {"getclass.bad-namespace", "GetClass", "GetClass in a namespace that does not exist",
         [](F &f) { return getClass(f, s::base); }, fails({invalidNamespace}), namespaceRule,
         ClassicDifference::none, true},
        {"getclass.no-classname", "GetClass", "GetClass without its ClassName parameter",
         [](F &f) { return withoutParameter(getClass(f, s::base), "ClassName"); }, fails({invalidParameter}),
         parameterRule, failedStatus},
        {"enumerateclasses.subclasses", "EnumerateClasses", "EnumerateClasses of ConfCheck_Scratch, deep",
         [](F &f) { return enumerateClasses(f, s::base); }, returnsMany({"CLASS"}, 1, 1), enumerateClassesRule},
        {"enumerateclasses.not-found", "EnumerateClasses", "EnumerateClasses of a class that does not exist",
         [](F &f) { return enumerateClasses(f, s::missing); }, fails({invalidClass}), enumerateClassesRule},
        {"enumerateclassnames.subclasses", "EnumerateClassNames", "EnumerateClassNames of ConfCheck_Scratch",
         [](F &f) { return enumerateClassNames(f, s::base); }, returnsMany({"CLASSNAME"}, 1, 1),
         enumerateClassNamesRule},
        {"enumerateclassnames.not-found", "EnumerateClassNames",
         "EnumerateClassNames of a class that does not exist", [](F &f) { return enumerateClassNames(f, s::missing); },
         fails({invalidClass}), enumerateClassNamesRule},
        {"modifyclass.add-property", "ModifyClass", "ModifyClass ConfCheck_Plain with a property added",
         [](F &f) { return modifyClass(f, s::plain); }, none, modifyClassRule, emptyValue},
        {"modifyclass.not-found", "ModifyClass", "ModifyClass of a class that does not exist",
         [](F &f) { return modifyClass(f, s::missing); }, fails({notFound}), modifyClassRule},

        // Instances.
        {"createinstance.first", "CreateInstance", "CreateInstance ConfCheck_Scratch.Name=\"one\"",
         [](F &f) { return createInstance(f, f.instance(one)); }, returnsOne("INSTANCENAME"), createInstanceRule},
        {"createinstance.second", "CreateInstance", "CreateInstance ConfCheck_Scratch.Name=\"two\"",
         [](F &f) { return createInstance(f, f.instance(two)); }, returnsOne("INSTANCENAME"), createInstanceRule},
        {"createinstance.association", "CreateInstance", "CreateInstance of ConfCheck_Link between them",
         [](F &f) { return createInstance(f, f.instance(link)); }, returnsOne("INSTANCENAME"), createInstanceRule},
        {"createinstance.exists", "CreateInstance", "CreateInstance of an instance that exists",
         [](F &f) { return createInstance(f, f.instance(one)); }, fails({alreadyExists}), createInstanceRule},
        {"createinstance.no-class", "CreateInstance", "CreateInstance of a class that does not exist",
         [](F &f) { return createInstance(f, *F::ofClass(f.copyOf(one), s::missing)); }, fails({invalidClass}),
         createInstanceRule},
        {"createinstance.bad-namespace", "CreateInstance", "CreateInstance in a namespace that does not exist",
         [](F &f) { return createInstance(f, f.instance(one)); }, fails({invalidNamespace}), namespaceRule,
         ClassicDifference::none, true},
        {"getinstance.found", "GetInstance", "GetInstance ConfCheck_Scratch.Name=\"one\"",
         [](F &f) { return getInstance(f.instancePath(one)); }, returnsOne("INSTANCE"), getInstanceRule},
        {"getinstance.not-found", "GetInstance", "GetInstance of an instance that does not exist",
         [](F &f) { return getInstance(absent(f)); }, fails({notFound}), getInstanceRule},
        {"getinstance.no-class", "GetInstance", "GetInstance of a class that does not exist",
         [](F &f) { return getInstance(ofMissingClass(f)); }, fails({invalidClass}), getInstanceRule},
        {"getinstance.bad-namespace", "GetInstance", "GetInstance in a namespace that does not exist",
         [](F &f) { return getInstance(f.instancePath(one)); }, fails({invalidNamespace}), namespaceRule,
         ClassicDifference::none, true},
        {"enumerateinstances.all", "EnumerateInstances", "EnumerateInstances of ConfCheck_Scratch",
         [](F &f) { return enumerateInstances(f, s::base); }, returnsMany({"VALUE.NAMEDINSTANCE"}, 2, 2),
         enumerateInstancesRule},
        {"enumerateinstances.no-class", "EnumerateInstances", "EnumerateInstances of a class that does not exist",
         [](F &f) { return enumerateInstances(f, s::missing); }, fails({invalidClass}), enumerateInstancesRule},
        {"enumerateinstancenames.all", "EnumerateInstanceNames", "EnumerateInstanceNames of ConfCheck_Scratch",
         [](F &f) { return enumerateInstanceNames(f, s::base); }, returnsMany({"INSTANCENAME"}, 2, 2),
         enumerateInstanceNamesRule},
        {"enumerateinstancenames.no-class", "EnumerateInstanceNames",
         "EnumerateInstanceNames of a class that does not exist",
         [](F &f) { return enumerateInstanceNames(f, s::missing); }, fails({invalidClass}),
         enumerateInstanceNamesRule},
        {"modifyinstance.label", "ModifyInstance", "ModifyInstance of Name=\"one\": Label changed",
         [](F &f) { return modifyInstance(f.instancePath(one), f.copyOf(one)); }, none, modifyInstanceRule,
         emptyValue},
        {"modifyinstance.not-found", "ModifyInstance", "ModifyInstance of an instance that does not exist",
         [](F &f) { return modifyInstance(absent(f), F::with(f.copyOf(one), L"Name", F::stringValue(L"absent"))); },
         fails({notFound}), modifyInstanceRule},
        {"getproperty.found", "GetProperty", "GetProperty Label of Name=\"one\"",
         [](F &f) { return getProperty(f.instancePath(one), L"Label"); }, returnsOne("VALUE"), getPropertyRule},
        {"getproperty.no-property", "GetProperty", "GetProperty of a property the class lacks",
         [](F &f) { return getProperty(f.instancePath(one), L"ConfCheck_NoSuchProperty"); }, fails({noSuchProperty}),
         getPropertyRule},
        {"getproperty.not-found", "GetProperty", "GetProperty of an instance that does not exist",
         [](F &f) { return getProperty(absent(f), L"Label"); }, fails({notFound}), getPropertyRule},
        {"setproperty.count", "SetProperty", "SetProperty Count=5 of Name=\"one\"",
         [](F &f) { return setProperty(f.instancePath(one), L"Count", F::uint32Value(5)); }, none, setPropertyRule,
         emptyValue},
        {"setproperty.no-property", "SetProperty", "SetProperty of a property the class lacks",
         [](F &f) { return setProperty(f.instancePath(one), L"ConfCheck_NoSuchProperty", F::uint32Value(5)); },
         fails({noSuchProperty}), setPropertyRule},
        {"setproperty.not-found", "SetProperty", "SetProperty of an instance that does not exist",
         [](F &f) { return setProperty(absent(f), L"Count", F::uint32Value(5)); }, fails({notFound}),
         setPropertyRule},

        // Associations and queries.
        {"associators.instance", "Associators", "Associators of Name=\"one\"",
         [](F &f) {
             return F::encoded(CIMXMLencode_associators(f.instancePath(one).get(), nullptr, nullptr, nullptr, nullptr,
                                                        0, 0, nullptr, 0),
                               "Associators");
         },
         returnsMany({"VALUE.OBJECTWITHPATH"}, 1, 1), associatorsRule},
        {"associatornames.instance", "AssociatorNames", "AssociatorNames of Name=\"one\"",
         [](F &f) {
             return F::encoded(CIMXMLencode_associatorNames(f.instancePath(one).get(), nullptr, nullptr, nullptr,
                                                            nullptr, 0),
                               "AssociatorNames");
         },
         returnsMany({"OBJECTPATH"}, 1, 1), associatorNamesRule},
        {"references.instance", "References", "References of Name=\"one\"",
         [](F &f) {
             return F::encoded(
                 CIMXMLencode_references(f.instancePath(one).get(), nullptr, nullptr, 0, 0, nullptr, 0),
                 "References");
         },
         returnsMany({"VALUE.OBJECTWITHPATH"}, 1, 1), referencesRule},
        {"referencenames.instance", "ReferenceNames", "ReferenceNames of Name=\"one\"",
         [](F &f) {
             return F::encoded(CIMXMLencode_referenceNames(f.instancePath(one).get(), nullptr, nullptr, 0),
                               "ReferenceNames");
         },
         returnsMany({"OBJECTPATH"}, 1, 1), referenceNamesRule},
        {"referencenames.no-class", "ReferenceNames", "ReferenceNames of an object of a class that does not exist",
         [](F &f) {
             return F::encoded(CIMXMLencode_referenceNames(ofMissingClass(f).get(), nullptr, nullptr, 0),
                               "ReferenceNames");
         },
         orFails(returnsMany({"OBJECTPATH"}, 0, 0), {invalidParameter}), referenceNamesRule},
        {"associatornames.bad-namespace", "AssociatorNames", "AssociatorNames in a namespace that does not exist",
         [](F &f) {
             return F::encoded(CIMXMLencode_associatorNames(f.instancePath(one).get(), nullptr, nullptr, nullptr,
                                                            nullptr, 0),
                               "AssociatorNames");
         },
         fails({invalidNamespace}), namespaceRule, ClassicDifference::none, true},
        {"execquery.select", "ExecQuery", "ExecQuery SELECT * FROM ConfCheck_Scratch (WQL)",
         [](F &f) { return execQuery(f, L"SELECT * FROM ConfCheck_Scratch", L"WQL"); },
         orFails(returnsMany({"VALUE.OBJECTWITHPATH", "VALUE.OBJECT"}, 2, 2), {queryLanguageNotSupported}), execQueryRule},
        {"execquery.bad-language", "ExecQuery", "ExecQuery in a query language that does not exist",
         [](F &f) { return execQuery(f, L"SELECT * FROM ConfCheck_Scratch", L"ConfCheck-QL"); },
         fails({queryLanguageNotSupported}), execQueryRule},
        {"execquery.bad-query", "ExecQuery", "ExecQuery of WQL that does not parse",
         [](F &f) { return execQuery(f, L"SELECT FROM WHERE", L"WQL"); }, fails({invalidQuery}), execQueryRule},

        // An extrinsic method: no provider serves the scratch class, so
        // METHOD_NOT_AVAILABLE is as good as a result; the form is the point.
        {"method.call", "Ping", "the extrinsic method Ping of Name=\"one\"",
         [](F &f) { return invokeMethod(f.instancePath(one), L"Ping"); },
         orFails(methodReturns(), {methodNotAvailable, notSupported}), methodRule},
        {"method.not-found", "ConfCheck_NoSuchMethod", "an extrinsic method the class lacks",
         [](F &f) { return invokeMethod(f.instancePath(one), L"ConfCheck_NoSuchMethod"); },
         asMethodCall(fails({methodNotFound})), methodNotFoundRule},

        // Operations the server does not serve (a server that serves a pull
        // operation passes by answering it).
        {"unserved.openenumerateinstances", "OpenEnumerateInstances",
         "OpenEnumerateInstances (a pull operation) of ConfCheck_Scratch",
         [](F &f) { return renamedCall(enumerateInstances(f, s::base), "OpenEnumerateInstances"); },
         orFails(returnsMany({"VALUE.INSTANCEWITHPATH"}), {notSupported}), unservedRule, methodResponse},
        {"unserved.unknown", "ConfCheck_NoSuchOperation", "an intrinsic method that does not exist",
         [](F &f) { return renamedCall(getClass(f, s::base), "ConfCheck_NoSuchOperation"); }, fails({notSupported}),
         unservedRule, methodResponse},

        // Requests that break the HTTP rules.
        {"http.cimoperation", "GetClass", "GetClass with CIMOperation: MethodResponse",
         [](F &f) { return withHeader(getClass(f, s::base), "CIMOperation", "MethodResponse"); },
         httpRefusal(400, {"unsupported-operation"}), cimOperationRule},
        {"http.protocol-version", "GetClass", "GetClass with CIMProtocolVersion: 9.0",
         [](F &f) { return withHeader(getClass(f, s::base), "CIMProtocolVersion", "9.0"); },
         httpRefusal(501, {"unsupported-protocol-version"}), protocolVersionRule},
        {"http.cimmethod", "GetClass", "GetClass with CIMMethod: GetInstance",
         [](F &f) { return withHeader(getClass(f, s::base), "CIMMethod", "GetInstance"); },
         httpRefusal(400, {"header-mismatch"}), cimMethodRule},
        {"http.not-well-formed", "GetClass", "a body that is not well-formed XML",
         [](F &f) { return withBody(getClass(f, s::base), "<?xml version=\"1.0\"?>\n<CIM><MESSAGE></CIM>"); },
         httpRefusal(400, {"request-not-well-formed"}), wellFormedRule},
        {"http.not-cim", "GetClass", "a well-formed body that is no CIM request",
         [](F &f) { return withBody(getClass(f, s::base), "<?xml version=\"1.0\"?>\n<ConfCheck/>"); },
         httpRefusal(400, {"request-not-valid", "request-not-well-formed"}), validRule},

        // Deletes, each of which is also a check.
        {"deleteinstance.association", "DeleteInstance", "DeleteInstance of the ConfCheck_Link instance",
         [](F &f) { return deleteInstance(f.instancePath(link)); }, none, deleteInstanceRule, emptyValue},
        {"deleteinstance.not-found", "DeleteInstance", "DeleteInstance of an instance that does not exist",
         [](F &f) { return deleteInstance(absent(f)); }, fails({notFound}), deleteInstanceRule},
        {"deleteinstance.no-class", "DeleteInstance", "DeleteInstance of a class that does not exist",
         [](F &f) { return deleteInstance(ofMissingClass(f)); }, fails({invalidClass}), deleteInstanceRule},
        {"deleteclass.plain", "DeleteClass", "DeleteClass ConfCheck_Plain", [](F &f) { return deleteClass(f, s::plain); },
         none, deleteClassRule, emptyValue},
        {"deleteclass.not-found", "DeleteClass", "DeleteClass of a class that does not exist",
         [](F &f) { return deleteClass(f, s::missing); }, fails({notFound}), deleteClassRule},
        {"deletequalifier.unused", "DeleteQualifier", "DeleteQualifier ConfCheck_Spare",
         [](F &f) { return deleteQualifier(f, s::spare); }, none, deleteQualifierRule, emptyValue},
        {"deletequalifier.not-found", "DeleteQualifier", "DeleteQualifier of an undeclared qualifier",
         [](F &f) { return deleteQualifier(f, s::missingQualifier); }, fails({notFound}), deleteQualifierRule},

        // Clean-up: what a lenient server may have created, then every
        // scratch object, the association first (it refers to the base).
        {"cleanup.orphan", "DeleteClass", "DeleteClass ConfCheck_Orphan",
         [](F &f) { return deleteClass(f, L"ConfCheck_Orphan"); }, removed(), cleanupRule, emptyValue, false,
         Phase::quietCleanup},
        {"cleanup.missing", "DeleteClass", "DeleteClass ConfCheck_NoSuchClass",
         [](F &f) { return deleteClass(f, s::missing); }, removed(), cleanupRule, emptyValue, false,
         Phase::quietCleanup},
        {"cleanup.association", "DeleteClass", "DeleteClass ConfCheck_Link",
         [](F &f) { return deleteClass(f, s::link); }, removed(), cleanupRule, emptyValue, false, Phase::cleanup},
        {"cleanup.subclass", "DeleteClass", "DeleteClass ConfCheck_Child",
         [](F &f) { return deleteClass(f, s::child); }, removed(), cleanupRule, emptyValue, false, Phase::cleanup},
        {"cleanup.base", "DeleteClass", "DeleteClass ConfCheck_Scratch with its instances",
         [](F &f) { return deleteClass(f, s::base); }, removed(), cleanupRule, emptyValue, false, Phase::cleanup},
        {"cleanup.plain", "DeleteClass", "DeleteClass ConfCheck_Plain",
         [](F &f) { return deleteClass(f, s::plain); }, removed(), cleanupRule, emptyValue, false, Phase::cleanup},
        {"cleanup.qualifier", "DeleteQualifier", "DeleteQualifier ConfCheck_Mark",
         [](F &f) { return deleteQualifier(f, s::mark); }, removed(), cleanupRule, emptyValue, false,
         Phase::cleanup},
        {"cleanup.spare-qualifier", "DeleteQualifier", "DeleteQualifier ConfCheck_Spare",
         [](F &f) { return deleteQualifier(f, s::spare); }, removed(), cleanupRule, emptyValue, false,
         Phase::quietCleanup},
    };
    return table;
}

}  // namespace conformance
