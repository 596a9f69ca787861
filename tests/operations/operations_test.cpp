// The operations through the exported request handler. One success and one
// failure of every operation, in both profiles: the call the object manager
// gets (with the defaults of the operation's parameters) and the whole
// response, byte for byte; the object manager's odd answers; the calls for
// the parameters a request gives (flags, names in any case, property lists,
// pseudo classes, parameters of the wrong type, instance targets, methods
// named like later operations); and early failures: requests that lack what
// they need are answered with the function's own text before the object
// manager is called.
#include <gtest/gtest.h>

#include <cstring>

#include <functional>
#include <vector>

#include "support/log_capture.h"
#include "support/profiles.h"
#include "support/request_mix.h"

namespace {

using namespace testsupport;
using requestmix::respond;

// CIM_Foo.Name="a" in root/cimv2 on host server.example, so that written
// paths do not depend on the machine.
CIMInstance *foo() {
    CIMPropertyList *properties = newCIMPropertyList();
    freeReturnCode(appendToCIMPropertyList(
        properties, newPropertyKey(newCIMString(L"Name"), nullptr, newCIMValue(CIM_STRING, newCIMString(L"a")))));
    CIMInstance *instance = newInstance(newCIMString(L"CIM_Foo"), newCIMString(L"root/cimv2"), properties);
    CIMObjectPath *path = newObjectPathFromInst(instance);
    setObjectPathHost(path, newCIMString(L"server.example"));
    setInstancePath(instance, path);
    return instance;
}
CIMObjectPath *foo_path() {
    CIMInstance *instance = foo();
    CIMObjectPath *path = copyObjectPath(getInstancePath(instance));
    freeCIMInstance(instance);
    return path;
}
void *list_of(CIMList *list, void *item) {
    freeReturnCode(appendToList(list, item));
    return list;
}

const std::string ns = "root/cimv2";
const std::string fooKey = iparam("InstanceName", instanceName("CIM_Foo", "a"));
const std::string fooClass = classNameParam("CIM_Foo");
const std::string fooObject = iparam("ObjectName", "<CLASSNAME NAME=\"CIM_Foo\"/>");
const std::string alert =
    "<EXPPARAMVALUE NAME=\"NewIndication\">" + instanceXml("CIM_Alert", "Message", "disk full") + "</EXPPARAMVALUE>\n";

const std::string fooName =
    "<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n<KEYBINDING NAME=\"Name\">\n"
    "<KEYVALUE VALUETYPE=\"string\" TYPE=\"string\">a</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n";
const std::string fooXml = "<INSTANCE CLASSNAME=\"CIM_Foo\">\n<PROPERTY NAME=\"Name\" TYPE=\"string\" "
                           "PROPAGATED=\"false\">\n<VALUE>a</VALUE>\n</PROPERTY>\n</INSTANCE>\n";
const std::string fooPath = "<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>server.example</HOST>\n<LOCALNAMESPACEPATH>\n"
                            "<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n"
                            "</NAMESPACEPATH>\n" + fooName + "</INSTANCEPATH>\n";
const std::string fooWithPath = "<VALUE.OBJECTWITHPATH>\n" + fooPath + fooXml + "</VALUE.OBJECTWITHPATH>\n";
const std::string fooObjectPath = "<OBJECTPATH>\n" + fooPath + "</OBJECTPATH>\n";
const std::string abstractDeclaration =
    "<QUALIFIER.DECLARATION NAME=\"Abstract\" TYPE=\"boolean\" ISARRAY=\"false\"  OVERRIDABLE=\"true\" "
    "TOSUBCLASS=\"true\" TRANSLATABLE=\"false\">\n"
    "<SCOPE   CLASS=\"false\"  ASSOCIATION=\"false\"  REFERENCE=\"true\"  PROPERTY=\"true\"  METHOD=\"false\"  "
    "PARAMETER=\"false\"  INDICATION=\"false\"/>\n<VALUE>false</VALUE>\n</QUALIFIER.DECLARATION>\n";
const std::string exportAnswer = responseHead() +
                                 "<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE NAME=\"ExportIndication\">\n<IRETURNVALUE>\n"
                                 "</IRETURNVALUE>\n</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>\n" +
                                 responseTail();

std::string ok(const std::string &name, const std::string &content = "") {
    return simpleResponse("IMETHODRESPONSE", name, "<IRETURNVALUE>\n" + content + "</IRETURNVALUE>\n");
}

// response with the content of its response element replaced by body.
std::string with_body(const std::string &response, const std::string &body) {
    std::size_t start = response.find('\n', response.find("RESPONSE NAME=")) + 1;
    std::size_t end = response.rfind('\n', response.rfind("\n</SIMPLE") - 1) + 1;
    return response.substr(0, start) + body + response.substr(end);
}

struct Operation {
    const char *name;
    std::string request;
    void *(*result)();   // what the object manager hands over (NULL: nothing)
    std::string answer;  // the whole response when it succeeds
    std::string calls;   // what the object manager is called with
    std::string slot() const { return calls.substr(0, calls.find('(')); }
};

void PrintTo(const Operation &o, std::ostream *os) { *os << o.name; }

const Operation operations[] = {
    {"CreateInstance", intrinsic("CreateInstance", ns, iparam("NewInstance", instanceXml("CIM_Foo", "Name", "a"))),
     []() -> void * { return foo_path(); }, ok("CreateInstance", fooName),
     "pfn_createInstance(path=root/cimv2:CIM_Foo, instance=root/cimv2:CIM_Foo{Name:string=\"a\"})\n"},
    {"ExportIndication", exportRequest(alert), nullptr, exportAnswer,
     "pfn_deliverIndication(path=(null), indication=(null):CIM_Alert{Message:string=\"disk full\"})\n"},
    {"EnumerateQualifiers", intrinsic("EnumerateQualifiers", ns),
     [] { return list_of(newCIMQualifierTypeList(), makeQualifierDeclaration(L"Abstract")); },
     ok("EnumerateQualifiers", abstractDeclaration), "pfn_enumerateQualifiers(path=root/cimv2:Container)\n"},
    {"EnumerateClasses", intrinsic("EnumerateClasses", ns),
     [] { return list_of(newCIMClassList(), newCIMClass(newCIMString(L"CIM_Foo"), nullptr)); },
     ok("EnumerateClasses", "<CLASS NAME=\"CIM_Foo\">\n</CLASS>\n"),
     "pfn_enumerateClasses(path=root/cimv2:(none), deepInheritance=0, localOnly=1, includeQualifiers=1, "
     "includeClassOrigin=0)\n"},
    {"EnumerateClassNames", intrinsic("EnumerateClassNames", ns),
     [] { return list_of(newCIMObjectPathList(), newObjectPathWithName(newCIMString(L"CIM_Foo"))); },
     ok("EnumerateClassNames", "<CLASSNAME NAME=\"CIM_Foo\"/>\n"),
     "pfn_enumerateClassNames(path=root/cimv2:(none), deepInheritance=0)\n"},
    {"DeleteQualifier", intrinsic("DeleteQualifier", ns, valueParam("QualifierName", "Abstract")), nullptr,
     ok("DeleteQualifier"), "pfn_deleteQualifier(path=root/cimv2:Abstract)\n"},
    {"GetQualifier", intrinsic("GetQualifier", ns, valueParam("QualifierName", "Abstract")),
     []() -> void * { return makeQualifierDeclaration(L"Abstract"); }, ok("GetQualifier", abstractDeclaration),
     "pfn_getQualifier(nameSpace=root/cimv2, qualifierName=Abstract)\n"},
    {"SetQualifier",
     intrinsic(
         "SetQualifier", ns,
         iparam("QualifierDeclaration",
                "<QUALIFIER.DECLARATION NAME=\"A\" TYPE=\"boolean\"><VALUE>false</VALUE></QUALIFIER.DECLARATION>")),
     nullptr, ok("SetQualifier"),
     "pfn_setQualifier(path=root/cimv2:Container, declaration=A:boolean=false scope=507 flavor=9)\n"},
    {"CreateClass", intrinsic("CreateClass", ns, iparam("NewClass", "<CLASS NAME=\"CIM_New\"/>")), nullptr,
     ok("CreateClass"), "pfn_createClass(path=root/cimv2:CIM_New, newClass=root/cimv2:CIM_New{})\n"},
    {"DeleteClass", intrinsic("DeleteClass", ns, fooClass), nullptr, ok("DeleteClass"),
     "pfn_deleteClass(path=root/cimv2:CIM_Foo)\n"},
    {"GetClass", intrinsic("GetClass", ns, fooClass),
     []() -> void * { return newCIMClass(newCIMString(L"CIM_Foo"), nullptr); },
     ok("GetClass", "<CLASS NAME=\"CIM_Foo\">\n</CLASS>\n"),
     "pfn_getClass(path=root/cimv2:CIM_Foo, localOnly=1, includeQualifiers=1, includeClassOrigin=0, "
     "propertyList=(null))\n"},
    {"ModifyClass", intrinsic("ModifyClass", ns, iparam("ModifiedClass", "<CLASS NAME=\"CIM_Foo\"/>")), nullptr,
     ok("ModifyClass"), "pfn_modifyClass(path=root/cimv2:CIM_Foo, modifiedClass=root/cimv2:CIM_Foo{})\n"},
    {"GetProperty", intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
     []() -> void * { return newCIMValue(CIM_STRING, newCIMString(L"hello & <bye>")); },
     ok("GetProperty", "<VALUE>hello &amp; &lt;bye&gt;</VALUE>\n"),
     "pfn_getProperty(instancePath=root/cimv2:CIM_Foo.Name=\"a\", propertyName=Caption)\n"},
    {"SetProperty",
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Caption") + valueParam("NewValue", "x")),
     nullptr, ok("SetProperty"),
     "pfn_setProperty(instancePath=root/cimv2:CIM_Foo.Name=\"a\", propertyName=Caption, newValue=string \"x\")\n"},
    {"ModifyInstance",
     intrinsic("ModifyInstance", ns,
               iparam("ModifiedInstance", "<VALUE.NAMEDINSTANCE>" + instanceName("CIM_Foo", "a") +
                                              instanceXml("CIM_Foo", "Name", "a") + "</VALUE.NAMEDINSTANCE>")),
     nullptr, ok("ModifyInstance"),
     "pfn_setInstance(path=root/cimv2:CIM_Foo.Name=\"a\", instance=root/cimv2:CIM_Foo{Name:string=\"a\"}, "
     "includeQualifiers=1, propertyList=(null))\n"},
    {"DeleteInstance", intrinsic("DeleteInstance", ns, fooKey), nullptr, ok("DeleteInstance"),
     "pfn_deleteInstance(instancePath=root/cimv2:CIM_Foo.Name=\"a\")\n"},
    {"EnumerateInstances", intrinsic("EnumerateInstances", ns, fooClass),
     [] { return list_of(newCIMInstanceList(), foo()); },
     ok("EnumerateInstances", "<VALUE.NAMEDINSTANCE>\n" + fooName + fooXml + "</VALUE.NAMEDINSTANCE>\n"),
     "pfn_enumerateInstances(path=root/cimv2:CIM_Foo, localOnly=1, deepInheritance=1, includeQualifiers=0, "
     "includeClassOrigin=0, propertyList=(null))\n"},
    {"EnumerateInstanceNames", intrinsic("EnumerateInstanceNames", ns, fooClass),
     [] { return list_of(newCIMObjectPathList(), foo_path()); }, ok("EnumerateInstanceNames", fooName),
     "pfn_enumerateInstanceNames(path=root/cimv2:CIM_Foo)\n"},
    {"GetInstance", intrinsic("GetInstance", ns, fooKey), []() -> void * { return foo(); }, ok("GetInstance", fooXml),
     "pfn_getInstance(instancePath=root/cimv2:CIM_Foo.Name=\"a\", localOnly=1, includeQualifiers=0, "
     "includeClassOrigin=0, propertyList=(null))\n"},
    {"ExecQuery",
     intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL") + valueParam("Query", "SELECT * FROM CIM_Foo")),
     [] { return list_of(newCIMInstanceList(), foo()); },
     ok("ExecQuery", "<VALUE.OBJECT>\n" + fooXml + "</VALUE.OBJECT>\n"),
     "pfn_execQuery(path=root/cimv2:Container, query=SELECT * FROM CIM_Foo, queryLanguage=WQL)\n"},
    // The double also fills the output parameters, as the test sets it.
    {"InvokeMethod", extrinsic("Reset", ns, "CIM_Foo", "<PARAMVALUE NAME=\"Force\"><VALUE>true</VALUE></PARAMVALUE>\n"),
     []() -> void * {
         uint32_t zero = 0;
         return newCIMValue(CIM_UINT32, &zero);
     },
     simpleResponse("METHODRESPONSE", "Reset",
                    "<RETURNVALUE PARAMTYPE=\"uint32\">\n<VALUE>0</VALUE>\n</RETURNVALUE>\n"
                    "<PARAMVALUE NAME=\"Message\" PARAMTYPE=\"string\">\n<VALUE>done</VALUE>\n</PARAMVALUE>\n"
                    "<PARAMVALUE NAME=\"Count\" PARAMTYPE=\"uint32\">\n<VALUE>2</VALUE>\n</PARAMVALUE>\n"),
     "pfn_invokeMethod(path=root/cimv2:CIM_Foo, methodName=Reset, inParameters={Force:string=\"true\"}, "
     "outParameters={})\n"},
    {"Associators", intrinsic("Associators", ns, fooObject), [] { return list_of(newCIMInstanceList(), foo()); },
     ok("Associators", fooWithPath),
     "pfn_associators(path=root/cimv2:CIM_Foo, assocClass=(null), resultClass=(null), role=(null), resultRole=(null), "
     "includeQualifiers=0, includeClassOrigin=0, propertyList=(null))\n"},
    {"AssociatorNames", intrinsic("AssociatorNames", ns, fooObject),
     [] { return list_of(newCIMObjectPathList(), foo_path()); }, ok("AssociatorNames", fooObjectPath),
     "pfn_associatorNames(path=root/cimv2:CIM_Foo, assocClass=(null), resultClass=(null), role=(null), "
     "resultRole=(null))\n"},
    {"References", intrinsic("References", ns, fooObject), [] { return list_of(newCIMInstanceList(), foo()); },
     ok("References", fooWithPath),
     "pfn_references(path=root/cimv2:CIM_Foo, resultClass=(null), role=(null), includeQualifiers=0, "
     "includeClassOrigin=0, propertyList=(null))\n"},
    {"ReferenceNames", intrinsic("ReferenceNames", ns, fooObject),
     [] { return list_of(newCIMObjectPathList(), foo_path()); }, ok("ReferenceNames", fooObjectPath),
     "pfn_referenceNames(path=root/cimv2:CIM_Foo, resultClass=(null), role=(null))\n"},
};

void output_parameters(CIMPropertyList *out) {
    uint32_t two = 2;
    freeReturnCode(appendToCIMPropertyList(out, newProperty(newCIMString(L"Message"), nullptr,
                                                            newCIMValue(CIM_STRING, newCIMString(L"done")),
                                                            CIM_STRING, nullptr, 0)));
    freeReturnCode(appendToCIMPropertyList(
        out, newProperty(newCIMString(L"Count"), nullptr, newCIMValue(CIM_UINT32, &two), CIM_UINT32, nullptr, 0)));
}

class OperationAnswers : public testing::TestWithParam<Operation> {
protected:
    CimomDouble cimom;
    void SetUp() override {
        if (GetParam().result) cimom.setResult(GetParam().slot(), GetParam().result);
        cimom.setInvokeOutput(output_parameters);
    }
};

// In both profiles; strict names an export response with CIMExport.
// Strict answers an export with its own header line, and an operation that
// returns nothing with no IRETURNVALUE.
std::string in_profile(const std::string &response, bool strict) {
    if (!strict) return response;
    std::string text = response.find("SIMPLEEXPRSP") != std::string::npos
                           ? strictForm(response, {{"CIMOperation:", "CIMExport:"}})
                           : response;
    std::size_t empty = text.find("<IRETURNVALUE>\n</IRETURNVALUE>\n");
    if (empty != std::string::npos) text.erase(empty, std::strlen("<IRETURNVALUE>\n</IRETURNVALUE>\n"));
    return text;
}

TEST_P(OperationAnswers, PassTheRequestOnAndWriteTheResult) {
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        cimom.clearCalls();
        EXPECT_EQ(respond(GetParam().request, cimom.handle()), in_profile(GetParam().answer, strict));
        EXPECT_EQ(cimom.callsText(), GetParam().calls);
    }
}

// The result made all the same is not written; a failed delivery of an
// indication is answered as received in classic, with its ERROR in strict.
// Status 0 without the result (no path, object or list) is a failure too;
// a method may return nothing.
TEST_P(OperationAnswers, WriteTheObjectManagersError) {
    const Operation &o = GetParam();
    int code = 1 + static_cast<int>(std::string(o.name).size()) % 17;
    cimom.setStatus(o.slot(), code, "failed: <" + std::string(o.name) + "> & more");
    std::string error = "<ERROR CODE=\"" + std::to_string(code) + "\" DESCRIPTION=\"failed: &lt;" + o.name +
                        "&gt; &amp; more\"/>\n";
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        EXPECT_EQ(respond(o.request, cimom.handle()),
                  in_profile(o.slot() == "pfn_deliverIndication" && !strict ? exportAnswer : with_body(o.answer, error),
                             strict));
    }
    if (!o.result || o.slot() == "pfn_invokeMethod") return;
    LogCapture quiet(-1);
    CimomDouble empty;
    EXPECT_EQ(respond(o.request, empty.handle()),
              with_body(o.answer, "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n"));
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, OperationAnswers, testing::ValuesIn(operations),
                         [](const testing::TestParamInfo<Operation> &info) { return info.param.name; });

ReturnCode *no_status_references(CIMObjectPath *, CIMString *, CIMString *, int, int, CIMStringList *, CIMList **) {
    return nullptr;
}

struct OddAnswer {
    const char *name;
    std::string request;
    // Sets the double up, or changes slots of a copy of its table.
    std::function<void(CimomDouble &, CIMOMHandle &)> setup;
    std::string response;
    const char *logged = nullptr;  // a line logged on the way
};

std::string failed(const std::string &name, const std::string &error) {
    return simpleResponse("IMETHODRESPONSE", name, error);
}

const OddAnswer oddAnswers[] = {
    {"NoClassNameToEnumerateFrom", intrinsic("EnumerateClassNames", ns),
     [](CimomDouble &cimom, CIMOMHandle &) { cimom.setResult("pfn_enumerateClassNames", newCIMObjectPathList); },
     ok("EnumerateClassNames"), "CIMOMhdle_enumerateClassNames - ClassName parameter is null."},
    {"AStatusWithoutDescription", intrinsic("SetQualifier", ns),
     [](CimomDouble &cimom, CIMOMHandle &) { cimom.setStatus("pfn_setQualifier", 2); },
     failed("SetQualifier", "<ERROR CODE=\"2\" />\n")},
    {"AMissingSlot", intrinsic("AssociatorNames", ns, fooObject),
     [](CimomDouble &, CIMOMHandle &table) { table.pfn_associatorNames = nullptr; },
     failed("AssociatorNames", "<ERROR CODE=\"7\" DESCRIPTION=\"Operation not supported by the object manager.\"/>\n")},
    {"NoStatusAtAll", intrinsic("References", ns, fooObject),
     [](CimomDouble &, CIMOMHandle &table) { table.pfn_references = no_status_references; },
     failed("References", "<ERROR CODE=\"1\" DESCRIPTION=\"The object manager returned no status.\"/>\n")},
    {"NoDeliverySlot", exportRequest(alert),
     [](CimomDouble &, CIMOMHandle &table) { table.pfn_deliverIndication = nullptr; }, exportAnswer},
    {"OutputParametersWithoutReturnValue", extrinsic("Check", ns, "CIM_Foo"),
     [](CimomDouble &cimom, CIMOMHandle &) { cimom.setInvokeOutput(output_parameters); },
     simpleResponse("METHODRESPONSE", "Check",
                    "<PARAMVALUE NAME=\"Message\" PARAMTYPE=\"string\">\n<VALUE>done</VALUE>\n</PARAMVALUE>\n"
                    "<PARAMVALUE NAME=\"Count\" PARAMTYPE=\"uint32\">\n<VALUE>2</VALUE>\n</PARAMVALUE>\n")},
};

TEST(OddAnswers, AreWrittenWhole) {
    for (const OddAnswer &odd : oddAnswers) {
        LogCapture log(1);
        CimomDouble cimom;
        CIMOMHandle table = *cimom.handle();
        odd.setup(cimom, table);
        EXPECT_EQ(respond(odd.request, &table), odd.response) << odd.name;
        EXPECT_TRUE(!odd.logged || log.contains(odd.logged)) << odd.logged;
    }
}

struct CallCase {
    const char *name;
    std::string request;
    std::string calls;  // the double's record of them
};

const std::string fooText = "root/cimv2:CIM_Foo.Name=\"a\"";

const CallCase callCases[] = {
    {"EnumerateClassNamesReplacesThePseudoNamespaceClass",
     intrinsic("EnumerateClassNames", ns, classNameParam("__Namespace")),
     "pfn_enumerateClassNames(path=root/cimv2:CIM_Namespace, deepInheritance=0)\n"},
    {"EnumerateInstancesMatchesParameterNamesWithoutCase",
     intrinsic("EnumerateInstances", ns,
               iparam("classname", "<CLASSNAME NAME=\"CIM_Foo\"/>") + valueParam("localonly", "false") +
                   valueParam("DEEPINHERITANCE", "false") + valueParam("includequalifiers", "true") +
                   valueParam("IncludeClassORIGIN", "true") +
                   iparam("propertylist", "<VALUE.ARRAY><VALUE>Caption</VALUE></VALUE.ARRAY>")),
     "pfn_enumerateInstances(path=root/cimv2:CIM_Foo, localOnly=0, deepInheritance=0, includeQualifiers=1, "
     "includeClassOrigin=1, propertyList={Caption})\n"},
    {"GetInstanceReplacesThePseudoNamespaceClass",
     intrinsic("GetInstance", ns, iparam("InstanceName", instanceName("__Namespace", "root")) +
                                      valueParam("LocalOnly", "false")),
     "pfn_getInstance(instancePath=root/cimv2:CIM_Namespace.Name=\"root\", localOnly=0, includeQualifiers=0, "
     "includeClassOrigin=0, propertyList=(null))\n"},
    {"GetInstanceWithASingleEmptyPropertyName",
     intrinsic("GetInstance", ns, fooKey + iparam("PropertyList", "<VALUE.ARRAY><VALUE></VALUE></VALUE.ARRAY>")),
     "pfn_getInstance(instancePath=" + fooText + ", localOnly=1, includeQualifiers=0, includeClassOrigin=0, "
     "propertyList={})\n"},
    {"SetPropertyWithoutNewValuePassesNull",
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
     "pfn_setProperty(instancePath=" + fooText + ", propertyName=Caption, newValue=(null))\n"},
    {"InvokeMethodOnAnInstanceWithoutParametersPassesNoList", extrinsic("Stop", ns, instanceName("CIM_Foo", "a")),
     "pfn_invokeMethod(path=" + fooText + ", methodName=Stop, inParameters=(null), outParameters={})\n"},
    {"AMethodNamedLikeALaterOperationIsAMethodCall", extrinsic("Associators", ns, "CIM_Foo"),
     "pfn_invokeMethod(path=root/cimv2:CIM_Foo, methodName=Associators, inParameters=(null), outParameters={})\n"},
};

TEST(OperationCalls, PassTheRequestToItsSlot) {
    for (const CallCase &c : callCases) {
        CimomDouble cimom;
        cimom.answerEverySlot();
        respond(c.request, cimom.handle());
        EXPECT_EQ(cimom.callsText(), c.calls) << c.name;
    }
}

const std::string classNameAsInstance = iparam("ClassName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"/>");
const std::string instanceNameAsString = iparam("InstanceName", "<CLASSNAME NAME=\"CIM_Foo\"/>");
const std::string unrelated = valueParam("Unrelated", "x");
const std::string caption = valueParam("PropertyName", "Caption");

std::string escaped(const std::string &text) {
    std::string out;
    for (char c : text) out += c == '>' ? "&gt;" : c == '<' ? "&lt;" : c == '&' ? "&amp;" : std::string(1, c);
    return out;
}

// A sample of early failures with the function's own text; the response
// names the operation the text names, an export in the method form.
const std::pair<std::string, const char *> exactTexts[] = {
    {intrinsic("CreateInstance", ns, iparam("NewInstance", "<CLASS NAME=\"CIM_Foo\"/>")),
     "createInstance - copyCIMInstance failed."},
    {intrinsic("DeleteInstance", ns, instanceNameAsString), "deleteInstance failed - InstanceName parameter is NULL!"},
    {intrinsic("EnumerateInstances", ns), "enumerateInstances - CIMPropertyList is NULL!."},
    {intrinsic("ExecQuery", ns, valueParam("Query", "q")), "execQuery failed - QueryLanguage parameter is null."},
    {intrinsic("References", ns), "references - copyCIMPropertyList failed."},
    // A failed method call is answered in the intrinsic form.
    {request("<SIMPLEREQ>\n<METHODCALL NAME=\"Reset\">\n</METHODCALL>\n</SIMPLEREQ>\n"),
     "invokeMethod: failed - Null parameter(s)."},
    {exportRequest("<EXPPARAMVALUE NAME=\"Other\"><VALUE>x</VALUE></EXPPARAMVALUE>\n"),
     "exportIndication failed - NewIndication parameter is null!"},
    {intrinsic("GetClass", "", classNameParam("CIM_Foo")), "getClass: failed - Null parameter(s)."},
    {intrinsic("GetProperty", ns, fooKey), "getProperty failed - PropertyName parameter is null!"},
};

// The other early failures, answered with an ERROR of status 1: operations
// without parameters or with an unrelated one only, and parameters of the wrong kind.
const char *const withoutParameters[] = {
    "CreateInstance", "DeleteInstance", "EnumerateInstanceNames", "ExecQuery", "GetInstance", "ModifyInstance",
    "Associators", "AssociatorNames", "ReferenceNames", "DeleteClass", "DeleteQualifier", "GetQualifier",
    "GetClass", "ModifyClass", "CreateClass", "GetProperty", "SetProperty"};
const char *const withUnrelatedOnly[] = {"EnumerateInstances", "GetInstance", "ModifyInstance", "Associators",
                                         "References", "ReferenceNames", "DeleteClass", "DeleteQualifier",
                                         "CreateClass"};
const std::string otherFailures[] = {
    intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL")), exportRequest(""),
    intrinsic("AssociatorNames", ns, iparam("ObjectName", instanceXml("CIM_Foo", "Name", "a"))),
    intrinsic("GetClass", ns, classNameAsInstance), intrinsic("GetClass", ns, valueParam("LocalOnly", "true")),
    intrinsic("GetProperty", ns, caption), intrinsic("SetProperty", ns, instanceNameAsString + caption),
    intrinsic("SetProperty", ns, fooKey), intrinsic("EnumerateInstanceNames", ns, classNameAsInstance),
    intrinsic("ModifyClass", ns, iparam("ModifiedClass", instanceXml("CIM_Foo", "Name", "a")))};

TEST(EarlyFailures, AreAnsweredWithTheirTextAndCallNoSlot) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    for (const auto &[request, exactText] : exactTexts) {
        LogCapture log(0);
        std::string text = "CIMOMhdle_" + std::string(exactText), name = text.substr(10, text.find_first_of(" :") - 10);
        name[0] = static_cast<char>(name[0] - 'a' + 'A');
        EXPECT_EQ(respond(request, cimom.handle()),
                  simpleResponse(name == "ExportIndication" ? "METHODRESPONSE" : "IMETHODRESPONSE", name,
                                 "<ERROR CODE=\"1\" DESCRIPTION=\"" + escaped(text) + "\"/>\n"));
        EXPECT_TRUE(log.contains(text, 0)) << text;
    }
    std::vector<std::string> others(std::begin(otherFailures), std::end(otherFailures));
    for (const char *name : withoutParameters) others.push_back(intrinsic(name, ns));
    for (const char *name : withUnrelatedOnly) others.push_back(intrinsic(name, ns, unrelated));
    LogCapture quiet(-1);
    for (const std::string &request : others) {
        EXPECT_NE(respond(request, cimom.handle()).find("<ERROR CODE=\"1\" DESCRIPTION=\"CIMOMhdle_"),
                  std::string::npos)
            << request;
    }
    // Strict answers a request that lacks what the operation needs with
    // CIM_ERR_INVALID_PARAMETER, as DSP0200 has it.
    ProfileScope strict(true);
    for (const char *name : withoutParameters) {
        EXPECT_NE(respond(intrinsic(name, ns), cimom.handle()).find("<ERROR CODE=\"4\" DESCRIPTION=\"CIMOMhdle_"),
                  std::string::npos)
            << name;
    }
    EXPECT_EQ(cimom.callsText(), "");
}

}  // namespace
