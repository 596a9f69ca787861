// What each operation hands to the object manager: the slot it calls and
// every argument, for the defaults and for the parameters a request gives.
#include <gtest/gtest.h>

#include "support/request_mix.h"

namespace {

using namespace testsupport;

struct CallCase {
    const char *name;
    std::string request;
    std::string calls;  // the double's record of them
};

void PrintTo(const CallCase &c, std::ostream *os) { *os << c.name; }

const std::string ns = "root/cimv2";
const std::string fooKey = iparam("InstanceName", instanceName("CIM_Foo", "a"));
const std::string fooPath = "root/cimv2:CIM_Foo.Name=\"a\"";
const std::string fooObject = iparam("ObjectName", "<CLASSNAME NAME=\"CIM_Foo\"/>");

std::string propertyList(const std::string &values) {
    return iparam("PropertyList", "<VALUE.ARRAY>" + values + "</VALUE.ARRAY>");
}

const CallCase callCases[] = {
    {"EnumerateClassesWithoutParametersUsesItsDefaults", intrinsic("EnumerateClasses", ns),
     "pfn_enumerateClasses(path=root/cimv2:(none), deepInheritance=0, localOnly=1, includeQualifiers=1, "
     "includeClassOrigin=0)\n"},
    {"EnumerateClassesTakesEveryFlag",
     intrinsic("EnumerateClasses", ns, classNameParam("CIM_Foo") + valueParam("DeepInheritance", "TRUE") +
                                           valueParam("LocalOnly", "false") + valueParam("IncludeQualifiers", "false") +
                                           valueParam("IncludeClassOrigin", "true")),
     "pfn_enumerateClasses(path=root/cimv2:CIM_Foo, deepInheritance=1, localOnly=0, includeQualifiers=0, "
     "includeClassOrigin=1)\n"},
    {"EnumerateClassNamesReplacesThePseudoNamespaceClass",
     intrinsic("EnumerateClassNames", ns, classNameParam("__Namespace")),
     "pfn_enumerateClassNames(path=root/cimv2:CIM_Namespace, deepInheritance=0)\n"},
    {"EnumerateInstancesUsesItsDefaults", intrinsic("EnumerateInstances", ns, classNameParam("CIM_Foo")),
     "pfn_enumerateInstances(path=root/cimv2:CIM_Foo, localOnly=1, deepInheritance=1, includeQualifiers=0, "
     "includeClassOrigin=0, propertyList=(null))\n"},
    {"EnumerateInstancesMatchesParameterNamesWithoutCase",
     intrinsic("EnumerateInstances", ns,
               iparam("classname", "<CLASSNAME NAME=\"CIM_Foo\"/>") + valueParam("localonly", "false") +
                   valueParam("DEEPINHERITANCE", "false") + valueParam("includequalifiers", "true") +
                   valueParam("IncludeClassORIGIN", "true") +
                   iparam("propertylist", "<VALUE.ARRAY><VALUE>Caption</VALUE></VALUE.ARRAY>")),
     "pfn_enumerateInstances(path=root/cimv2:CIM_Foo, localOnly=0, deepInheritance=0, includeQualifiers=1, "
     "includeClassOrigin=1, propertyList={Caption})\n"},
    {"EnumerateInstancesPassesAnEmptyPropertyListAsEmpty",
     intrinsic("EnumerateInstances", ns, classNameParam("__Namespace") + iparam("PropertyList", "<VALUE.ARRAY/>")),
     "pfn_enumerateInstances(path=root/cimv2:CIM_Namespace, localOnly=1, deepInheritance=1, includeQualifiers=0, "
     "includeClassOrigin=0, propertyList={})\n"},
    {"EnumerateInstancesTakesDefaultsForParametersOfTheWrongType",
     intrinsic("EnumerateInstances", ns,
               classNameParam("CIM_Foo") + iparam("LocalOnly", "<CLASSNAME NAME=\"false\"/>") +
                   iparam("DeepInheritance", "<INSTANCENAME CLASSNAME=\"X\"/>") +
                   iparam("PropertyList", "<CLASSNAME NAME=\"Caption\"/>")),
     "pfn_enumerateInstances(path=root/cimv2:CIM_Foo, localOnly=1, deepInheritance=1, includeQualifiers=0, "
     "includeClassOrigin=0, propertyList=(null))\n"},
    {"EnumerateInstanceNamesNamesTheClass", intrinsic("EnumerateInstanceNames", ns, classNameParam("CIM_Foo")),
     "pfn_enumerateInstanceNames(path=root/cimv2:CIM_Foo)\n"},
    {"GetClassUsesItsDefaults", intrinsic("GetClass", ns, classNameParam("CIM_Foo")),
     "pfn_getClass(path=root/cimv2:CIM_Foo, localOnly=1, includeQualifiers=1, includeClassOrigin=0, "
     "propertyList=(null))\n"},
    {"GetClassTakesFlagsAndPropertyList",
     intrinsic("GetClass", ns, classNameParam("CIM_Foo") + valueParam("LocalOnly", "false") +
                                   valueParam("IncludeQualifiers", "false") + valueParam("IncludeClassOrigin", "true") +
                                   propertyList("<VALUE>Count</VALUE><VALUE>Name</VALUE>")),
     "pfn_getClass(path=root/cimv2:CIM_Foo, localOnly=0, includeQualifiers=0, includeClassOrigin=1, "
     "propertyList={Count,Name})\n"},
    {"DeleteClassNamesTheClass", intrinsic("DeleteClass", ns, classNameParam("CIM_Foo")),
     "pfn_deleteClass(path=root/cimv2:CIM_Foo)\n"},
    {"CreateClassTakesTheClassIntoTheNamespace",
     intrinsic("CreateClass", ns,
               iparam("NewClass", "<CLASS NAME=\"CIM_New\"><PROPERTY NAME=\"Caption\" TYPE=\"string\"/></CLASS>")),
     "pfn_createClass(path=root/cimv2:CIM_New, newClass=root/cimv2:CIM_New{Caption:string=(null)})\n"},
    {"ModifyClassTakesTheClassIntoTheNamespace",
     intrinsic("ModifyClass", "interop",
               iparam("ModifiedClass",
                      "<CLASS NAME=\"CIM_Old\"><PROPERTY NAME=\"Count\" TYPE=\"uint32\"><VALUE>3</VALUE></PROPERTY>"
                      "</CLASS>")),
     "pfn_modifyClass(path=interop:CIM_Old, modifiedClass=interop:CIM_Old{Count:uint32=3})\n"},
    {"GetInstanceUsesItsDefaults", intrinsic("GetInstance", ns, fooKey),
     "pfn_getInstance(instancePath=" + fooPath +
         ", localOnly=1, includeQualifiers=0, includeClassOrigin=0, propertyList=(null))\n"},
    {"GetInstanceReplacesThePseudoNamespaceClass",
     intrinsic("GetInstance", ns, iparam("InstanceName", instanceName("__Namespace", "root")) +
                                      valueParam("LocalOnly", "false")),
     "pfn_getInstance(instancePath=root/cimv2:CIM_Namespace.Name=\"root\", localOnly=0, includeQualifiers=0, "
     "includeClassOrigin=0, propertyList=(null))\n"},
    {"DeleteInstanceNamesTheInstance", intrinsic("DeleteInstance", ns, fooKey),
     "pfn_deleteInstance(instancePath=" + fooPath + ")\n"},
    {"CreateInstanceTakesTheInstanceIntoTheNamespace",
     intrinsic("CreateInstance", ns, iparam("NewInstance", instanceXml("CIM_Foo", "Name", "x"))),
     "pfn_createInstance(path=root/cimv2:CIM_Foo, instance=root/cimv2:CIM_Foo{Name:string=\"x\"})\n"},
    {"ModifyInstanceTakesTheKeysOfTheNamedInstance",
     intrinsic("ModifyInstance", ns,
               iparam("ModifiedInstance", "<VALUE.NAMEDINSTANCE>" + instanceName("CIM_Foo", "a") +
                                              instanceXml("CIM_Foo", "Caption", "new") + "</VALUE.NAMEDINSTANCE>")),
     "pfn_setInstance(path=" + fooPath +
         ", instance=root/cimv2:CIM_Foo{Caption:string=\"new\"}, includeQualifiers=1, propertyList=(null))\n"},
    {"ModifyInstanceOfABareInstanceTargetsItsClass",
     intrinsic("ModifyInstance", ns, iparam("ModifiedInstance", instanceXml("CIM_Foo", "Name", "a"))),
     "pfn_setInstance(path=root/cimv2:CIM_Foo, instance=root/cimv2:CIM_Foo{Name:string=\"a\"}, "
     "includeQualifiers=1, propertyList=(null))\n"},
    {"GetPropertyNamesInstanceAndProperty", intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
     "pfn_getProperty(instancePath=" + fooPath + ", propertyName=Caption)\n"},
    {"SetPropertyPassesTheNewValue",
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Caption") + valueParam("NewValue", "hello")),
     "pfn_setProperty(instancePath=" + fooPath + ", propertyName=Caption, newValue=string \"hello\")\n"},
    {"SetPropertyWithoutNewValuePassesNull",
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
     "pfn_setProperty(instancePath=" + fooPath + ", propertyName=Caption, newValue=(null))\n"},
    {"GetQualifierPassesNamespaceAndName", intrinsic("GetQualifier", ns, valueParam("QualifierName", "Key")),
     "pfn_getQualifier(nameSpace=root/cimv2, qualifierName=Key)\n"},
    {"GetQualifierPassesNoNameForAnInstanceName",
     intrinsic("GetQualifier", ns, iparam("QualifierName", "<INSTANCENAME CLASSNAME=\"Key\"/>")),
     "pfn_getQualifier(nameSpace=root/cimv2, qualifierName=(null))\n"},
    {"DeleteQualifierPutsTheNameInTheClassName",
     intrinsic("DeleteQualifier", ns, valueParam("QualifierName", "Abstract")),
     "pfn_deleteQualifier(path=root/cimv2:Abstract)\n"},
    {"SetQualifierKeepsThePlaceholderAndPassesTheDeclaration",
     intrinsic("SetQualifier", ns,
               iparam("QualifierDeclaration", "<QUALIFIER.DECLARATION NAME=\"Abstract\" TYPE=\"boolean\" "
                                              "ISARRAY=\"false\"><SCOPE CLASS=\"true\"/><VALUE>false</VALUE>"
                                              "</QUALIFIER.DECLARATION>")),
     "pfn_setQualifier(path=root/cimv2:Container, declaration=Abstract:boolean=false scope=1 flavor=9)\n"},
    {"EnumerateQualifiersKeepsThePlaceholderClassName", intrinsic("EnumerateQualifiers", ns),
     "pfn_enumerateQualifiers(path=root/cimv2:Container)\n"},
    {"ExecQueryKeepsThePlaceholderClassName",
     intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL") + valueParam("Query", "SELECT * FROM CIM_Foo")),
     "pfn_execQuery(path=root/cimv2:Container, query=SELECT * FROM CIM_Foo, queryLanguage=WQL)\n"},
    {"AssociatorsOfAClassNameTargetTheClass", intrinsic("Associators", ns, fooObject),
     "pfn_associators(path=root/cimv2:CIM_Foo, assocClass=(null), resultClass=(null), role=(null), "
     "resultRole=(null), includeQualifiers=0, includeClassOrigin=0, propertyList=(null))\n"},
    {"AssociatorsOfAnInstanceTargetTheInstanceInTheRequestNamespace",
     intrinsic("Associators", ns,
               iparam("ObjectName", instanceName("CIM_Foo", "a")) + valueParam("AssocClass", "CIM_Assoc") +
                   valueParam("ResultClass", "CIM_Bar") + valueParam("Role", "Left") +
                   valueParam("ResultRole", "Right") + valueParam("IncludeQualifiers", "true") +
                   valueParam("IncludeClassOrigin", "true") + propertyList("<VALUE>Name</VALUE>")),
     "pfn_associators(path=" + fooPath +
         ", assocClass=CIM_Assoc, resultClass=CIM_Bar, role=Left, resultRole=Right, includeQualifiers=1, "
         "includeClassOrigin=1, propertyList={Name})\n"},
    {"AssociatorNamesPassesTheFilters",
     intrinsic("AssociatorNames", ns, fooObject + valueParam("AssocClass", "CIM_Assoc") + valueParam("ResultRole", "R")),
     "pfn_associatorNames(path=root/cimv2:CIM_Foo, assocClass=CIM_Assoc, resultClass=(null), role=(null), "
     "resultRole=R)\n"},
    {"ReferencesOfAnInstance",
     intrinsic("References", ns,
               iparam("ObjectName", instanceName("CIM_Foo", "a")) + valueParam("ResultClass", "CIM_Assoc") +
                   valueParam("Role", "Left")),
     "pfn_references(path=" + fooPath +
         ", resultClass=CIM_Assoc, role=Left, includeQualifiers=0, includeClassOrigin=0, propertyList=(null))\n"},
    {"ReferenceNamesOfAClass", intrinsic("ReferenceNames", ns, fooObject + valueParam("Role", "Left")),
     "pfn_referenceNames(path=root/cimv2:CIM_Foo, resultClass=(null), role=Left)\n"},
    {"InvokeMethodPassesTheParametersAsTheyAre",
     extrinsic("Reset", ns, "CIM_Foo",
               "<PARAMVALUE NAME=\"Force\" PARAMTYPE=\"boolean\"><VALUE>true</VALUE></PARAMVALUE>\n"
               "<PARAMVALUE NAME=\"Delay\" PARAMTYPE=\"uint32\"><VALUE>5</VALUE></PARAMVALUE>\n"),
     "pfn_invokeMethod(path=root/cimv2:CIM_Foo, methodName=Reset, inParameters={Force:boolean=true,Delay:uint32=5}, "
     "outParameters={})\n"},
    {"InvokeMethodOnAnInstanceWithoutParametersPassesNoList", extrinsic("Stop", ns, instanceName("CIM_Foo", "a")),
     "pfn_invokeMethod(path=" + fooPath + ", methodName=Stop, inParameters=(null), outParameters={})\n"},
    {"AMethodNamedLikeAnEarlyIntrinsicOperationIsThatOperation",
     extrinsic("GetClass", ns, "CIM_Foo", "<PARAMVALUE NAME=\"ClassName\"><VALUE>CIM_Foo</VALUE></PARAMVALUE>\n"),
     "pfn_getClass(path=root/cimv2:CIM_Foo, localOnly=1, includeQualifiers=1, includeClassOrigin=0, "
     "propertyList=(null))\n"},
    {"AMethodNamedLikeALaterOperationIsAMethodCall", extrinsic("Associators", ns, "CIM_Foo"),
     "pfn_invokeMethod(path=root/cimv2:CIM_Foo, methodName=Associators, inParameters=(null), outParameters={})\n"},
    {"ExportIndicationDeliversTheIndication",
     exportRequest("<EXPPARAMVALUE NAME=\"NewIndication\">" + instanceXml("CIM_Alert", "Message", "disk full") +
                   "</EXPPARAMVALUE>\n"),
     "pfn_deliverIndication(path=(null), indication=(null):CIM_Alert{Message:string=\"disk full\"})\n"},
};

class OperationCalls : public testing::TestWithParam<CallCase> {};

TEST_P(OperationCalls, PassTheRequestToItsSlot) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    std::string response = requestmix::respond(GetParam().request, cimom.handle());
    EXPECT_EQ(cimom.callsText(), GetParam().calls);
    EXPECT_EQ(response.find("<ERROR"), std::string::npos) << response;
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, OperationCalls, testing::ValuesIn(callCases),
                         [](const testing::TestParamInfo<CallCase> &info) { return info.param.name; });

}  // namespace
