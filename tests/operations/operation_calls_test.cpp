// What the operations hand to the object manager for the parameters a
// request gives (the defaults are in the answers of every operation): flags,
// names in any case, property lists, pseudo classes, parameters of the wrong
// type, instance targets and methods named like operations.
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
    {"EnumerateClassesTakesEveryFlag",
     intrinsic("EnumerateClasses", ns, classNameParam("CIM_Foo") + valueParam("DeepInheritance", "TRUE") +
                                           valueParam("LocalOnly", "false") + valueParam("IncludeQualifiers", "false") +
                                           valueParam("IncludeClassOrigin", "true")),
     "pfn_enumerateClasses(path=root/cimv2:CIM_Foo, deepInheritance=1, localOnly=0, includeQualifiers=0, "
     "includeClassOrigin=1)\n"},
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
    {"GetClassTakesFlagsAndPropertyList",
     intrinsic("GetClass", ns, classNameParam("CIM_Foo") + valueParam("LocalOnly", "false") +
                                   valueParam("IncludeQualifiers", "false") + valueParam("IncludeClassOrigin", "true") +
                                   propertyList("<VALUE>Count</VALUE><VALUE>Name</VALUE>")),
     "pfn_getClass(path=root/cimv2:CIM_Foo, localOnly=0, includeQualifiers=0, includeClassOrigin=1, "
     "propertyList={Count,Name})\n"},
    {"GetInstanceReplacesThePseudoNamespaceClass",
     intrinsic("GetInstance", ns, iparam("InstanceName", instanceName("__Namespace", "root")) +
                                      valueParam("LocalOnly", "false")),
     "pfn_getInstance(instancePath=root/cimv2:CIM_Namespace.Name=\"root\", localOnly=0, includeQualifiers=0, "
     "includeClassOrigin=0, propertyList=(null))\n"},
    {"ModifyInstanceOfABareInstanceTargetsItsClass",
     intrinsic("ModifyInstance", ns, iparam("ModifiedInstance", instanceXml("CIM_Foo", "Name", "a"))),
     "pfn_setInstance(path=root/cimv2:CIM_Foo, instance=root/cimv2:CIM_Foo{Name:string=\"a\"}, "
     "includeQualifiers=1, propertyList=(null))\n"},
    {"SetPropertyWithoutNewValuePassesNull",
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
     "pfn_setProperty(instancePath=" + fooPath + ", propertyName=Caption, newValue=(null))\n"},
    {"GetQualifierPassesNoNameForAnInstanceName",
     intrinsic("GetQualifier", ns, iparam("QualifierName", "<INSTANCENAME CLASSNAME=\"Key\"/>")),
     "pfn_getQualifier(nameSpace=root/cimv2, qualifierName=(null))\n"},
    {"AssociatorsOfAnInstanceTargetTheInstanceInTheRequestNamespace",
     intrinsic("Associators", ns,
               iparam("ObjectName", instanceName("CIM_Foo", "a")) + valueParam("AssocClass", "CIM_Assoc") +
                   valueParam("ResultClass", "CIM_Bar") + valueParam("Role", "Left") +
                   valueParam("ResultRole", "Right") + valueParam("IncludeQualifiers", "true") +
                   valueParam("IncludeClassOrigin", "true") + propertyList("<VALUE>Name</VALUE>")),
     "pfn_associators(path=" + fooPath +
         ", assocClass=CIM_Assoc, resultClass=CIM_Bar, role=Left, resultRole=Right, includeQualifiers=1, "
         "includeClassOrigin=1, propertyList={Name})\n"},
    {"ReferencesOfAnInstance",
     intrinsic("References", ns,
               iparam("ObjectName", instanceName("CIM_Foo", "a")) + valueParam("ResultClass", "CIM_Assoc") +
                   valueParam("Role", "Left")),
     "pfn_references(path=" + fooPath +
         ", resultClass=CIM_Assoc, role=Left, includeQualifiers=0, includeClassOrigin=0, propertyList=(null))\n"},
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
