// What each operation hands to the object manager: the slot it calls and
// every argument, for the defaults and for the parameters a request gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "operations/operation_test_support.h"
#include "support/cimom_double.h"

namespace {

using testsupport::CallArgs;
using namespace optest;

struct CallCase {
    const char *name;
    std::string request;
    const char *slot;
    CallArgs args;
};

void PrintTo(const CallCase &c, std::ostream *os) { *os << c.name; }

const std::string ns = "root/cimv2";
const std::string fooKey = instanceNameParam("CIM_Foo", "Name", "a");

std::string boolParam(const std::string &name, const char *value) { return valueParam(name, value); }

std::string propertyList(const std::vector<std::string> &names) {
    std::string values;
    for (const std::string &name : names) values += "<VALUE>" + name + "</VALUE>";
    return iparam("PropertyList", "<VALUE.ARRAY>" + values + "</VALUE.ARRAY>");
}

const CallCase callCases[] = {
    {"EnumerateClassesWithoutParametersUsesItsDefaults", intrinsic("EnumerateClasses", ns), "pfn_enumerateClasses",
     {{"path", "root/cimv2:(none)"},
      {"deepInheritance", "0"},
      {"localOnly", "1"},
      {"includeQualifiers", "1"},
      {"includeClassOrigin", "0"}}},
    {"EnumerateClassesTakesEveryFlag",
     intrinsic("EnumerateClasses", ns,
               classNameParam("CIM_Foo") + boolParam("DeepInheritance", "TRUE") + boolParam("LocalOnly", "false") +
                   boolParam("IncludeQualifiers", "false") + boolParam("IncludeClassOrigin", "true")),
     "pfn_enumerateClasses",
     {{"path", "root/cimv2:CIM_Foo"},
      {"deepInheritance", "1"},
      {"localOnly", "0"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "1"}}},
    {"EnumerateClassNamesDefaultsToShallow", intrinsic("EnumerateClassNames", ns, classNameParam("CIM_Foo")),
     "pfn_enumerateClassNames", {{"path", "root/cimv2:CIM_Foo"}, {"deepInheritance", "0"}}},
    {"EnumerateClassNamesReplacesThePseudoNamespaceClass",
     intrinsic("EnumerateClassNames", ns, classNameParam("__Namespace") + boolParam("DeepInheritance", "true")),
     "pfn_enumerateClassNames", {{"path", "root/cimv2:CIM_Namespace"}, {"deepInheritance", "1"}}},
    {"EnumerateInstancesUsesItsDefaults", intrinsic("EnumerateInstances", ns, classNameParam("CIM_Foo")),
     "pfn_enumerateInstances",
     {{"path", "root/cimv2:CIM_Foo"},
      {"localOnly", "1"},
      {"deepInheritance", "1"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "0"},
      {"propertyList", "(null)"}}},
    {"EnumerateInstancesMatchesParameterNamesWithoutCase",
     intrinsic("EnumerateInstances", ns,
               iparam("classname", "<CLASSNAME NAME=\"CIM_Foo\"/>") + boolParam("localonly", "false") +
                   boolParam("DEEPINHERITANCE", "false") + boolParam("includequalifiers", "true") +
                   boolParam("IncludeClassORIGIN", "true") +
                   iparam("propertylist", "<VALUE.ARRAY><VALUE>Caption</VALUE></VALUE.ARRAY>")),
     "pfn_enumerateInstances",
     {{"path", "root/cimv2:CIM_Foo"},
      {"localOnly", "0"},
      {"deepInheritance", "0"},
      {"includeQualifiers", "1"},
      {"includeClassOrigin", "1"},
      {"propertyList", "{Caption}"}}},
    {"EnumerateInstancesPassesAnEmptyPropertyListAsEmpty",
     intrinsic("EnumerateInstances", ns, classNameParam("CIM_Foo") + iparam("PropertyList", "<VALUE.ARRAY/>")),
     "pfn_enumerateInstances",
     {{"path", "root/cimv2:CIM_Foo"},
      {"localOnly", "1"},
      {"deepInheritance", "1"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "0"},
      {"propertyList", "{}"}}},
    {"EnumerateInstancesReplacesThePseudoNamespaceClass",
     intrinsic("EnumerateInstances", "root", classNameParam("__Namespace") + propertyList({"Name", "Caption"})),
     "pfn_enumerateInstances",
     {{"path", "root:CIM_Namespace"},
      {"localOnly", "1"},
      {"deepInheritance", "1"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "0"},
      {"propertyList", "{Name,Caption}"}}},
    {"EnumerateInstanceNamesNamesTheClass", intrinsic("EnumerateInstanceNames", ns, classNameParam("CIM_Foo")),
     "pfn_enumerateInstanceNames", {{"path", "root/cimv2:CIM_Foo"}}},
    {"GetClassUsesItsDefaults", intrinsic("GetClass", ns, classNameParam("CIM_Foo")), "pfn_getClass",
     {{"path", "root/cimv2:CIM_Foo"},
      {"localOnly", "1"},
      {"includeQualifiers", "1"},
      {"includeClassOrigin", "0"},
      {"propertyList", "(null)"}}},
    {"GetClassTakesFlagsAndPropertyList",
     intrinsic("GetClass", ns,
               classNameParam("CIM_Foo") + boolParam("LocalOnly", "false") + boolParam("IncludeQualifiers", "false") +
                   boolParam("IncludeClassOrigin", "true") + propertyList({"Count"})),
     "pfn_getClass",
     {{"path", "root/cimv2:CIM_Foo"},
      {"localOnly", "0"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "1"},
      {"propertyList", "{Count}"}}},
    {"DeleteClassNamesTheClass", intrinsic("DeleteClass", ns, classNameParam("CIM_Foo")), "pfn_deleteClass",
     {{"path", "root/cimv2:CIM_Foo"}}},
    {"CreateClassTakesTheClassIntoTheNamespace",
     intrinsic("CreateClass", ns,
               iparam("NewClass", "<CLASS NAME=\"CIM_New\"><PROPERTY NAME=\"Caption\" TYPE=\"string\"/></CLASS>")),
     "pfn_createClass", {{"path", "root/cimv2:CIM_New"}, {"newClass", "root/cimv2:CIM_New{Caption:string=(null)}"}}},
    {"ModifyClassTakesTheClassIntoTheNamespace",
     intrinsic("ModifyClass", "interop",
               iparam("ModifiedClass",
                      "<CLASS NAME=\"CIM_Old\"><PROPERTY NAME=\"Count\" TYPE=\"uint32\"><VALUE>3</VALUE></PROPERTY>"
                      "</CLASS>")),
     "pfn_modifyClass", {{"path", "interop:CIM_Old"}, {"modifiedClass", "interop:CIM_Old{Count:uint32=3}"}}},
    {"GetInstanceUsesItsDefaults", intrinsic("GetInstance", ns, fooKey), "pfn_getInstance",
     {{"instancePath", "root/cimv2:CIM_Foo.Name=\"a\""},
      {"localOnly", "1"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "0"},
      {"propertyList", "(null)"}}},
    {"GetInstanceReplacesThePseudoNamespaceClass",
     intrinsic("GetInstance", ns,
               instanceNameParam("__Namespace", "Name", "root") + boolParam("LocalOnly", "false") +
                   propertyList({})),
     "pfn_getInstance",
     {{"instancePath", "root/cimv2:CIM_Namespace.Name=\"root\""},
      {"localOnly", "0"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "0"},
      {"propertyList", "{}"}}},
    {"DeleteInstanceNamesTheInstance", intrinsic("DeleteInstance", ns, fooKey), "pfn_deleteInstance",
     {{"instancePath", "root/cimv2:CIM_Foo.Name=\"a\""}}},
    {"CreateInstanceTakesTheInstanceIntoTheNamespace",
     intrinsic("CreateInstance", ns, iparam("NewInstance", instanceXml("CIM_Foo", "Name", "x"))),
     "pfn_createInstance",
     {{"path", "root/cimv2:CIM_Foo"}, {"instance", "root/cimv2:CIM_Foo{Name:string=\"x\"}"}}},
    {"ModifyInstanceTakesTheKeysOfTheNamedInstance",
     intrinsic("ModifyInstance", ns,
               iparam("ModifiedInstance", "<VALUE.NAMEDINSTANCE><INSTANCENAME CLASSNAME=\"CIM_Foo\">"
                                          "<KEYBINDING NAME=\"Name\"><KEYVALUE>a</KEYVALUE></KEYBINDING>"
                                          "</INSTANCENAME>" +
                                              instanceXml("CIM_Foo", "Caption", "new") +
                                              "</VALUE.NAMEDINSTANCE>")),
     "pfn_setInstance",
     {{"path", "root/cimv2:CIM_Foo.Name=\"a\""},
      {"instance", "root/cimv2:CIM_Foo{Caption:string=\"new\"}"},
      {"includeQualifiers", "1"},
      {"propertyList", "(null)"}}},
    {"GetPropertyNamesInstanceAndProperty",
     intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "Caption")), "pfn_getProperty",
     {{"instancePath", "root/cimv2:CIM_Foo.Name=\"a\""}, {"propertyName", "Caption"}}},
    {"SetPropertyPassesTheNewValue",
     intrinsic("SetProperty", ns,
               fooKey + valueParam("PropertyName", "Caption") + valueParam("NewValue", "hello")),
     "pfn_setProperty",
     {{"instancePath", "root/cimv2:CIM_Foo.Name=\"a\""}, {"propertyName", "Caption"}, {"newValue", "string \"hello\""}}},
    {"SetPropertyWithoutNewValuePassesNull",
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Caption")), "pfn_setProperty",
     {{"instancePath", "root/cimv2:CIM_Foo.Name=\"a\""}, {"propertyName", "Caption"}, {"newValue", "(null)"}}},
    {"GetQualifierPassesNamespaceAndName", intrinsic("GetQualifier", ns, valueParam("QualifierName", "Key")),
     "pfn_getQualifier", {{"nameSpace", "root/cimv2"}, {"qualifierName", "Key"}}},
    {"GetQualifierWithoutNamePassesNull", intrinsic("GetQualifier", ns, valueParam("Other", "x")),
     "pfn_getQualifier", {{"nameSpace", "root/cimv2"}, {"qualifierName", "(null)"}}},
    {"DeleteQualifierPutsTheNameInTheClassName",
     intrinsic("DeleteQualifier", ns, valueParam("QualifierName", "Abstract")), "pfn_deleteQualifier",
     {{"path", "root/cimv2:Abstract"}}},
    {"SetQualifierPassesTheDeclaration",
     intrinsic("SetQualifier", ns,
               iparam("QualifierDeclaration",
                      "<QUALIFIER.DECLARATION NAME=\"Abstract\" TYPE=\"boolean\" ISARRAY=\"false\">"
                      "<SCOPE CLASS=\"true\"/><VALUE>false</VALUE></QUALIFIER.DECLARATION>")),
     "pfn_setQualifier", {{"path", "root/cimv2:Container"}, {"declaration", "Abstract:boolean=false scope=1 flavor=9"}}},
    {"EnumerateQualifiersKeepsThePlaceholderClassName", intrinsic("EnumerateQualifiers", ns), "pfn_enumerateQualifiers",
     {{"path", "root/cimv2:Container"}}},
    {"ExecQueryKeepsThePlaceholderClassName",
     intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL") + valueParam("Query", "SELECT * FROM CIM_Foo")),
     "pfn_execQuery",
     {{"path", "root/cimv2:Container"}, {"query", "SELECT * FROM CIM_Foo"}, {"queryLanguage", "WQL"}}},
    {"AssociatorsOfAClassNameTargetTheClass",
     intrinsic("Associators", ns, iparam("ObjectName", "<CLASSNAME NAME=\"CIM_Foo\"/>")), "pfn_associators",
     {{"path", "root/cimv2:CIM_Foo"},
      {"assocClass", "(null)"},
      {"resultClass", "(null)"},
      {"role", "(null)"},
      {"resultRole", "(null)"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "0"},
      {"propertyList", "(null)"}}},
    {"AssociatorsOfAnInstanceTargetTheInstanceInTheRequestNamespace",
     intrinsic("Associators", ns,
               iparam("ObjectName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"><KEYBINDING NAME=\"Name\">"
                                    "<KEYVALUE>a</KEYVALUE></KEYBINDING></INSTANCENAME>") +
                   valueParam("AssocClass", "CIM_Assoc") + valueParam("ResultClass", "CIM_Bar") +
                   valueParam("Role", "Left") + valueParam("ResultRole", "Right") +
                   boolParam("IncludeQualifiers", "true") + boolParam("IncludeClassOrigin", "true") +
                   propertyList({"Name"})),
     "pfn_associators",
     {{"path", "root/cimv2:CIM_Foo.Name=\"a\""},
      {"assocClass", "CIM_Assoc"},
      {"resultClass", "CIM_Bar"},
      {"role", "Left"},
      {"resultRole", "Right"},
      {"includeQualifiers", "1"},
      {"includeClassOrigin", "1"},
      {"propertyList", "{Name}"}}},
    {"AssociatorNamesPassesTheFilters",
     intrinsic("AssociatorNames", ns,
               iparam("ObjectName", "<CLASSNAME NAME=\"CIM_Foo\"/>") + valueParam("AssocClass", "CIM_Assoc") +
                   valueParam("ResultRole", "Right")),
     "pfn_associatorNames",
     {{"path", "root/cimv2:CIM_Foo"},
      {"assocClass", "CIM_Assoc"},
      {"resultClass", "(null)"},
      {"role", "(null)"},
      {"resultRole", "Right"}}},
    {"ReferencesOfAnInstance",
     intrinsic("References", ns,
               iparam("ObjectName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"><KEYBINDING NAME=\"Name\">"
                                    "<KEYVALUE>b</KEYVALUE></KEYBINDING></INSTANCENAME>") +
                   valueParam("ResultClass", "CIM_Assoc") + valueParam("Role", "Left")),
     "pfn_references",
     {{"path", "root/cimv2:CIM_Foo.Name=\"b\""},
      {"resultClass", "CIM_Assoc"},
      {"role", "Left"},
      {"includeQualifiers", "0"},
      {"includeClassOrigin", "0"},
      {"propertyList", "(null)"}}},
    {"ReferenceNamesOfAClass",
     intrinsic("ReferenceNames", ns, iparam("ObjectName", "<CLASSNAME NAME=\"CIM_Foo\"/>") + valueParam("Role", "Left")),
     "pfn_referenceNames", {{"path", "root/cimv2:CIM_Foo"}, {"resultClass", "(null)"}, {"role", "Left"}}},
    {"InvokeMethodPassesTheParametersAsTheyAre",
     extrinsic("Reset", ns, "CIM_Foo",
               "<PARAMVALUE NAME=\"Force\" PARAMTYPE=\"boolean\"><VALUE>true</VALUE></PARAMVALUE>\n"
               "<PARAMVALUE NAME=\"Delay\" PARAMTYPE=\"uint32\"><VALUE>5</VALUE></PARAMVALUE>\n"),
     "pfn_invokeMethod",
     {{"path", "root/cimv2:CIM_Foo"},
      {"methodName", "Reset"},
      {"inParameters", "{Force:boolean=true,Delay:uint32=5}"},
      {"outParameters", "{}"}}},
    {"InvokeMethodOnAnInstanceWithoutParametersPassesNoList",
     extrinsic("Stop", ns,
               "<INSTANCENAME CLASSNAME=\"CIM_Foo\"><KEYBINDING NAME=\"Name\"><KEYVALUE>a</KEYVALUE></KEYBINDING>"
               "</INSTANCENAME>"),
     "pfn_invokeMethod",
     {{"path", "root/cimv2:CIM_Foo.Name=\"a\""},
      {"methodName", "Stop"},
      {"inParameters", "(null)"},
      {"outParameters", "{}"}}},
    {"ExportIndicationDeliversTheIndication",
     exportRequest("<EXPPARAMVALUE NAME=\"NewIndication\">" + instanceXml("CIM_Alert", "Message", "disk full") +
                   "</EXPPARAMVALUE>\n"),
     "pfn_deliverIndication", {{"path", "(null)"}, {"indication", "(null):CIM_Alert{Message:string=\"disk full\"}"}}},
};

class OperationCalls : public testing::TestWithParam<CallCase> {};

TEST_P(OperationCalls, PassTheRequestToItsSlot) {
    const CallCase &c = GetParam();
    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    std::string response = handle(c.request, cimom.handle());
    ASSERT_EQ(cimom.callCount(c.slot), 1u) << response;
    EXPECT_EQ(cimom.lastCall(c.slot), c.args);
    EXPECT_EQ(cimom.calls().size(), 1u) << "one slot call per request";
    EXPECT_EQ(response.find("<ERROR"), std::string::npos) << response;
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, OperationCalls, testing::ValuesIn(callCases),
                         [](const testing::TestParamInfo<CallCase> &info) { return info.param.name; });

}  // namespace
