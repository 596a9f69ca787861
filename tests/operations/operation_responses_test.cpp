// Whole responses, byte for byte, for one success and one failure of every
// operation, each run through the exported request handler.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "operations/operation_test_support.h"
#include "support/cimom_double.h"

namespace {

using testsupport::CimomDouble;
using namespace optest;

// ---- Results the object manager hands over ----

// CIM_Foo.Name="<name>" in root/cimv2, on host server.example (so that
// written paths do not depend on the machine).
CIMInstance *fooInstance(const wchar_t *name) {
    CIMPropertyList *properties = newCIMPropertyList();
    freeReturnCode(appendToCIMPropertyList(
        properties, newPropertyKey(newCIMString(L"Name"), nullptr, newCIMValue(CIM_STRING, newCIMString(name)))));
    CIMInstance *instance = newInstance(newCIMString(L"CIM_Foo"), newCIMString(L"root/cimv2"), properties);
    CIMObjectPath *path = newObjectPathFromInst(instance);
    setObjectPathHost(path, newCIMString(L"server.example"));
    setInstancePath(instance, path);
    return instance;
}

CIMObjectPath *fooPath() {
    CIMInstance *instance = fooInstance(L"a");
    CIMObjectPath *path = copyObjectPath(getInstancePath(instance));
    freeCIMInstance(instance);
    return path;
}

void *fooInstanceList() {
    CIMInstanceList *list = newCIMInstanceList();
    freeReturnCode(appendToCIMInstanceList(list, fooInstance(L"a")));
    return list;
}

void *fooPathList() {
    CIMObjectPathList *list = newCIMObjectPathList();
    freeReturnCode(appendToCIMObjectPathList(list, fooPath()));
    return list;
}

void *fooClassList() {
    CIMClassList *list = newCIMClassList();
    freeReturnCode(appendToCIMClassList(list, newCIMClass(newCIMString(L"CIM_Foo"), nullptr)));
    return list;
}

void *classNameList() {
    CIMObjectPathList *list = newCIMObjectPathList();
    freeReturnCode(appendToCIMObjectPathList(list, newObjectPathWithName(newCIMString(L"CIM_Foo"))));
    return list;
}

void *declarationList() {
    CIMQualifierTypeList *list = newCIMQualifierTypeList();
    freeReturnCode(appendToCIMQualifierTypeList(list, testsupport::makeQualifierDeclaration(L"Abstract")));
    return list;
}

// ---- Written forms ----

const std::string fooInstanceName =
    "<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n<KEYBINDING NAME=\"Name\">\n"
    "<KEYVALUE VALUETYPE=\"string\" TYPE=\"string\">a</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n";
const std::string fooInstanceXml =
    "<INSTANCE CLASSNAME=\"CIM_Foo\">\n<PROPERTY NAME=\"Name\" TYPE=\"string\" PROPAGATED=\"false\">\n"
    "<VALUE>a</VALUE>\n</PROPERTY>\n</INSTANCE>\n";
const std::string fooInstancePath =
    "<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>server.example</HOST>\n<LOCALNAMESPACEPATH>\n"
    "<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n" +
    fooInstanceName + "</INSTANCEPATH>\n";
const std::string abstractDeclaration =
    "<QUALIFIER.DECLARATION NAME=\"Abstract\" TYPE=\"boolean\" ISARRAY=\"false\"  OVERRIDABLE=\"true\" "
    "TOSUBCLASS=\"true\" TRANSLATABLE=\"false\">\n"
    "<SCOPE   CLASS=\"false\"  ASSOCIATION=\"false\"  REFERENCE=\"true\"  PROPERTY=\"true\"  METHOD=\"false\"  "
    "PARAMETER=\"false\"  INDICATION=\"false\"/>\n<VALUE>false</VALUE>\n</QUALIFIER.DECLARATION>\n";
const std::string emptyReturn = "<IRETURNVALUE>\n</IRETURNVALUE>\n";

std::string returned(const std::string &content) { return "<IRETURNVALUE>\n" + content + "</IRETURNVALUE>\n"; }

std::string intrinsicResponse(const std::string &name, const std::string &body) {
    return responseHead() + "<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"" + name + "\">\n" + body +
           "</IMETHODRESPONSE>\n</SIMPLERSP>\n" + responseTail();
}

std::string methodResponse(const std::string &name, const std::string &body) {
    return responseHead() + "<SIMPLERSP>\n<METHODRESPONSE NAME=\"" + name + "\">\n" + body +
           "</METHODRESPONSE>\n</SIMPLERSP>\n" + responseTail();
}

// ---- Requests ----

const std::string ns = "root/cimv2";
const std::string fooKey = instanceNameParam("CIM_Foo", "Name", "a");
const std::string fooClassName = classNameParam("CIM_Foo");
const std::string objectName = iparam("ObjectName", "<CLASSNAME NAME=\"CIM_Foo\"/>");
const std::string newIndication =
    "<EXPPARAMVALUE NAME=\"NewIndication\">" + instanceXml("CIM_Alert", "Message", "disk full") + "</EXPPARAMVALUE>\n";

ReturnCode *noStatusReferences(CIMObjectPath *, CIMString *, CIMString *, int, int, CIMStringList *, CIMList **) {
    return nullptr;
}

struct ResponseCase {
    const char *name;
    std::string request;
    std::function<void(CimomDouble &)> setup;
    std::string expected;
    // Replaces slots of a copy of the double's table with functions of the
    // case's own, for answers the double does not give.
    void (*patch)(CIMOMHandle &) = nullptr;
};

void PrintTo(const ResponseCase &c, std::ostream *os) { *os << c.name; }

auto result(const char *slot, void *(*make)()) {
    return [slot, make](CimomDouble &cimom) { cimom.setResult(slot, make); };
}
auto status(const char *slot, int code, const char *description = nullptr) {
    return [=](CimomDouble &cimom) {
        if (description) {
            cimom.setStatus(slot, code, std::string(description));
        } else {
            cimom.setStatus(slot, code);
        }
    };
}
auto nothing() {
    return [](CimomDouble &) {};
}

const ResponseCase responseCases[] = {
    // ---- successes ----
    {"CreateInstanceNamesTheNewInstance",
     intrinsic("CreateInstance", ns, iparam("NewInstance", instanceXml("CIM_Foo", "Name", "a"))),
     result("pfn_createInstance", [] { return static_cast<void *>(fooPath()); }),
     intrinsicResponse("CreateInstance", returned(fooInstanceName))},
    {"ExportIndicationAnswersWithAnEmptyReturn", exportRequest(newIndication), nothing(),
     responseHead() +
         "<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE NAME=\"ExportIndication\">\n<IRETURNVALUE>\n</IRETURNVALUE>\n"
         "</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>\n" +
         responseTail()},
    {"EnumerateQualifiersListsDeclarations", intrinsic("EnumerateQualifiers", ns),
     result("pfn_enumerateQualifiers", declarationList),
     intrinsicResponse("EnumerateQualifiers", returned(abstractDeclaration))},
    {"EnumerateClassesListsClasses", intrinsic("EnumerateClasses", ns), result("pfn_enumerateClasses", fooClassList),
     intrinsicResponse("EnumerateClasses", returned("<CLASS NAME=\"CIM_Foo\">\n</CLASS>\n"))},
    {"EnumerateClassNamesListsClassNames", intrinsic("EnumerateClassNames", ns),
     result("pfn_enumerateClassNames", classNameList),
     intrinsicResponse("EnumerateClassNames", returned("<CLASSNAME NAME=\"CIM_Foo\"/>\n"))},
    {"DeleteQualifierAnswersEmpty", intrinsic("DeleteQualifier", ns, valueParam("QualifierName", "Abstract")),
     nothing(), intrinsicResponse("DeleteQualifier", emptyReturn)},
    {"GetQualifierReturnsTheDeclaration", intrinsic("GetQualifier", ns, valueParam("QualifierName", "Abstract")),
     result("pfn_getQualifier",
            [] { return static_cast<void *>(testsupport::makeQualifierDeclaration(L"Abstract")); }),
     intrinsicResponse("GetQualifier", returned(abstractDeclaration))},
    {"SetQualifierAnswersEmpty",
     intrinsic("SetQualifier", ns,
               iparam("QualifierDeclaration", "<QUALIFIER.DECLARATION NAME=\"Abstract\" TYPE=\"boolean\">"
                                              "<VALUE>false</VALUE></QUALIFIER.DECLARATION>")),
     nothing(), intrinsicResponse("SetQualifier", emptyReturn)},
    {"CreateClassAnswersEmpty", intrinsic("CreateClass", ns, iparam("NewClass", "<CLASS NAME=\"CIM_New\"/>")),
     nothing(), intrinsicResponse("CreateClass", emptyReturn)},
    {"DeleteClassAnswersEmpty", intrinsic("DeleteClass", ns, fooClassName), nothing(),
     intrinsicResponse("DeleteClass", emptyReturn)},
    {"GetClassReturnsTheClass", intrinsic("GetClass", ns, fooClassName),
     result("pfn_getClass", [] { return static_cast<void *>(newCIMClass(newCIMString(L"CIM_Foo"), nullptr)); }),
     intrinsicResponse("GetClass", returned("<CLASS NAME=\"CIM_Foo\">\n</CLASS>\n"))},
    {"ModifyClassAnswersEmpty", intrinsic("ModifyClass", ns, iparam("ModifiedClass", "<CLASS NAME=\"CIM_Foo\"/>")),
     nothing(), intrinsicResponse("ModifyClass", emptyReturn)},
    {"GetPropertyReturnsTheValue", intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
     result("pfn_getProperty",
            [] { return static_cast<void *>(newCIMValue(CIM_STRING, newCIMString(L"hello & <bye>"))); }),
     intrinsicResponse("GetProperty", returned("<VALUE>hello &amp; &lt;bye&gt;</VALUE>\n"))},
    {"SetPropertyAnswersEmpty",
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Caption") + valueParam("NewValue", "x")),
     nothing(), intrinsicResponse("SetProperty", emptyReturn)},
    {"ModifyInstanceAnswersEmpty",
     intrinsic("ModifyInstance", ns,
               iparam("ModifiedInstance", "<VALUE.NAMEDINSTANCE>" + fooInstanceName +
                                              instanceXml("CIM_Foo", "Name", "a") + "</VALUE.NAMEDINSTANCE>")),
     nothing(), intrinsicResponse("ModifyInstance", emptyReturn)},
    {"DeleteInstanceAnswersEmpty", intrinsic("DeleteInstance", ns, fooKey), nothing(),
     intrinsicResponse("DeleteInstance", emptyReturn)},
    {"EnumerateInstancesListsNamedInstances", intrinsic("EnumerateInstances", ns, fooClassName),
     result("pfn_enumerateInstances", fooInstanceList),
     intrinsicResponse("EnumerateInstances",
                       returned("<VALUE.NAMEDINSTANCE>\n" + fooInstanceName + fooInstanceXml +
                                "</VALUE.NAMEDINSTANCE>\n"))},
    {"EnumerateInstanceNamesListsInstanceNames", intrinsic("EnumerateInstanceNames", ns, fooClassName),
     result("pfn_enumerateInstanceNames", fooPathList),
     intrinsicResponse("EnumerateInstanceNames", returned(fooInstanceName))},
    {"GetInstanceReturnsTheInstance", intrinsic("GetInstance", ns, fooKey),
     result("pfn_getInstance", [] { return static_cast<void *>(fooInstance(L"a")); }),
     intrinsicResponse("GetInstance", returned(fooInstanceXml))},
    {"ExecQueryListsObjects",
     intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL") + valueParam("Query", "SELECT * FROM CIM_Foo")),
     result("pfn_execQuery", fooInstanceList),
     intrinsicResponse("ExecQuery", returned("<VALUE.OBJECT>\n" + fooInstanceXml + "</VALUE.OBJECT>\n"))},
    {"InvokeMethodReturnsValueAndOutputParameters",
     extrinsic("Reset", ns, "CIM_Foo", "<PARAMVALUE NAME=\"Force\"><VALUE>true</VALUE></PARAMVALUE>\n"),
     [](CimomDouble &cimom) {
         cimom.setResult("pfn_invokeMethod", [] {
             uint32_t zero = 0;
             return static_cast<void *>(newCIMValue(CIM_UINT32, &zero));
         });
         cimom.setInvokeOutput([](CIMPropertyList *out) {
             uint32_t two = 2;
             freeReturnCode(appendToCIMPropertyList(
                 out, newProperty(newCIMString(L"Message"), nullptr, newCIMValue(CIM_STRING, newCIMString(L"done")),
                                  CIM_STRING, nullptr, 0)));
             freeReturnCode(appendToCIMPropertyList(
                 out, newProperty(newCIMString(L"Count"), nullptr, newCIMValue(CIM_UINT32, &two), CIM_UINT32,
                                  nullptr, 0)));
         });
     },
     methodResponse("Reset", "<RETURNVALUE PARAMTYPE=\"uint32\">\n<VALUE>0</VALUE>\n</RETURNVALUE>\n"
                             "<PARAMVALUE NAME=\"Message\" PARAMTYPE=\"string\">\n<VALUE>done</VALUE>\n</PARAMVALUE>\n"
                             "<PARAMVALUE NAME=\"Count\" PARAMTYPE=\"uint32\">\n<VALUE>2</VALUE>\n</PARAMVALUE>\n")},
    {"AssociatorsListObjectsWithPaths", intrinsic("Associators", ns, objectName),
     result("pfn_associators", fooInstanceList),
     intrinsicResponse("Associators", returned("<VALUE.OBJECTWITHPATH>\n" + fooInstancePath + fooInstanceXml +
                                               "</VALUE.OBJECTWITHPATH>\n"))},
    {"AssociatorNamesListObjectPaths", intrinsic("AssociatorNames", ns, objectName),
     result("pfn_associatorNames", fooPathList),
     intrinsicResponse("AssociatorNames", returned("<OBJECTPATH>\n" + fooInstancePath + "</OBJECTPATH>\n"))},
    {"ReferencesListObjectsWithPaths", intrinsic("References", ns, objectName),
     result("pfn_references", fooInstanceList),
     intrinsicResponse("References", returned("<VALUE.OBJECTWITHPATH>\n" + fooInstancePath + fooInstanceXml +
                                              "</VALUE.OBJECTWITHPATH>\n"))},
    {"ReferenceNamesListObjectPaths", intrinsic("ReferenceNames", ns, objectName),
     result("pfn_referenceNames", fooPathList),
     intrinsicResponse("ReferenceNames", returned("<OBJECTPATH>\n" + fooInstancePath + "</OBJECTPATH>\n"))},

    // ---- failures ----
    {"CreateInstanceThatExists",
     intrinsic("CreateInstance", ns, iparam("NewInstance", instanceXml("CIM_Foo", "Name", "a"))),
     status("pfn_createInstance", 11, "instance exists"),
     intrinsicResponse("CreateInstance", "<ERROR CODE=\"11\" DESCRIPTION=\"instance exists\"/>\n")},
    {"ExportIndicationWithoutIndication", exportRequest(""), nothing(),
     methodResponse("ExportIndication",
                    "<ERROR CODE=\"1\" DESCRIPTION=\"CIMOMhdle_exportIndication: failed - Null parameter list.\"/>\n")},
    {"EnumerateQualifiersOfAnUnknownNamespace", intrinsic("EnumerateQualifiers", "nowhere"),
     status("pfn_enumerateQualifiers", 3, "no namespace <nowhere>"),
     intrinsicResponse("EnumerateQualifiers",
                       "<ERROR CODE=\"3\" DESCRIPTION=\"no namespace &lt;nowhere&gt;\"/>\n")},
    {"EnumerateClassesWithoutAListFromTheObjectManager", intrinsic("EnumerateClasses", ns), nothing(),
     intrinsicResponse("EnumerateClasses", "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n")},
    {"EnumerateClassNamesOfAnUnknownClass", intrinsic("EnumerateClassNames", ns, fooClassName),
     status("pfn_enumerateClassNames", 5, "no class"),
     intrinsicResponse("EnumerateClassNames", "<ERROR CODE=\"5\" DESCRIPTION=\"no class\"/>\n")},
    {"DeleteQualifierWithoutName", intrinsic("DeleteQualifier", ns, valueParam("Name", "Abstract")), nothing(),
     intrinsicResponse("DeleteQualifier", "<ERROR CODE=\"1\" DESCRIPTION=\"CIMOMhdle_deleteQualifier failed - "
                                          "QualifierName parameter is null.\"/>\n")},
    {"GetQualifierThatDoesNotExist", intrinsic("GetQualifier", ns, valueParam("QualifierName", "Nope")),
     status("pfn_getQualifier", 6, "not found"),
     intrinsicResponse("GetQualifier", "<ERROR CODE=\"6\" DESCRIPTION=\"not found\"/>\n")},
    {"SetQualifierDeniedWithoutDescription", intrinsic("SetQualifier", ns), status("pfn_setQualifier", 2),
     intrinsicResponse("SetQualifier", "<ERROR CODE=\"2\" />\n")},
    {"CreateClassWithABadSuperclass", intrinsic("CreateClass", ns, iparam("NewClass", "<CLASS NAME=\"CIM_New\"/>")),
     status("pfn_createClass", 10, "no superclass"),
     intrinsicResponse("CreateClass", "<ERROR CODE=\"10\" DESCRIPTION=\"no superclass\"/>\n")},
    {"DeleteClassWithChildren", intrinsic("DeleteClass", ns, fooClassName),
     status("pfn_deleteClass", 8, "has children"),
     intrinsicResponse("DeleteClass", "<ERROR CODE=\"8\" DESCRIPTION=\"has children\"/>\n")},
    {"GetClassWithoutClassName", intrinsic("GetClass", ns, valueParam("LocalOnly", "true")), nothing(),
     intrinsicResponse("GetClass",
                       "<ERROR CODE=\"1\" DESCRIPTION=\"CIMOMhdle_getClass - failed; ClassName parameter is "
                       "null.\"/>\n")},
    {"ModifyClassWithInstances", intrinsic("ModifyClass", ns, iparam("ModifiedClass", "<CLASS NAME=\"CIM_Foo\"/>")),
     status("pfn_modifyClass", 9, "has instances"),
     intrinsicResponse("ModifyClass", "<ERROR CODE=\"9\" DESCRIPTION=\"has instances\"/>\n")},
    {"GetPropertyThatDoesNotExist", intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "Nope")),
     status("pfn_getProperty", 12, "no such property"),
     intrinsicResponse("GetProperty", "<ERROR CODE=\"12\" DESCRIPTION=\"no such property\"/>\n")},
    {"SetPropertyOfTheWrongType",
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Count") + valueParam("NewValue", "x")),
     status("pfn_setProperty", 13, "type mismatch"),
     intrinsicResponse("SetProperty", "<ERROR CODE=\"13\" DESCRIPTION=\"type mismatch\"/>\n")},
    {"ModifyInstanceThatDoesNotExist",
     intrinsic("ModifyInstance", ns,
               iparam("ModifiedInstance", "<VALUE.NAMEDINSTANCE>" + fooInstanceName +
                                              instanceXml("CIM_Foo", "Name", "a") + "</VALUE.NAMEDINSTANCE>")),
     status("pfn_setInstance", 6, "not found"),
     intrinsicResponse("ModifyInstance", "<ERROR CODE=\"6\" DESCRIPTION=\"not found\"/>\n")},
    {"DeleteInstanceThatDoesNotExist", intrinsic("DeleteInstance", ns, fooKey),
     status("pfn_deleteInstance", 6, "not found"),
     intrinsicResponse("DeleteInstance", "<ERROR CODE=\"6\" DESCRIPTION=\"not found\"/>\n")},
    {"EnumerateInstancesWithoutAListFromTheObjectManager", intrinsic("EnumerateInstances", ns, fooClassName),
     nothing(),
     intrinsicResponse("EnumerateInstances", "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n")},
    {"EnumerateInstanceNamesOfAnUnknownClass", intrinsic("EnumerateInstanceNames", ns, fooClassName),
     status("pfn_enumerateInstanceNames", 5, "no class"),
     intrinsicResponse("EnumerateInstanceNames", "<ERROR CODE=\"5\" DESCRIPTION=\"no class\"/>\n")},
    {"GetInstanceThatDoesNotExist", intrinsic("GetInstance", ns, fooKey), status("pfn_getInstance", 6, "not found"),
     intrinsicResponse("GetInstance", "<ERROR CODE=\"6\" DESCRIPTION=\"not found\"/>\n")},
    {"ExecQueryInAnUnknownLanguage",
     intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "XQL") + valueParam("Query", "q")),
     status("pfn_execQuery", 14, "XQL unknown"),
     intrinsicResponse("ExecQuery", "<ERROR CODE=\"14\" DESCRIPTION=\"XQL unknown\"/>\n")},
    {"InvokeMethodThatDoesNotExist", extrinsic("Reset", ns, "CIM_Foo"),
     status("pfn_invokeMethod", 17, "no method Reset"),
     methodResponse("Reset", "<ERROR CODE=\"17\" DESCRIPTION=\"no method Reset\"/>\n")},
    {"AssociatorsWithABadParameter", intrinsic("Associators", ns, objectName),
     status("pfn_associators", 4, "bad role"),
     intrinsicResponse("Associators", "<ERROR CODE=\"4\" DESCRIPTION=\"bad role\"/>\n")},
    {"AssociatorNamesOfAnObjectManagerWithoutTheSlot", intrinsic("AssociatorNames", ns, objectName),
     [](CimomDouble &cimom) { cimom.leaveNull({"pfn_associatorNames"}); },
     intrinsicResponse("AssociatorNames",
                       "<ERROR CODE=\"7\" DESCRIPTION=\"Operation not supported by the object manager.\"/>\n")},
    {"ReferencesFromASlotThatGivesNoStatus", intrinsic("References", ns, objectName),
     nothing(),
     intrinsicResponse("References",
                       "<ERROR CODE=\"1\" DESCRIPTION=\"The object manager returned no status.\"/>\n"),
     [](CIMOMHandle &handle) { handle.pfn_references = noStatusReferences; }},
    {"ReferenceNamesFailingInTheObjectManager", intrinsic("ReferenceNames", ns, objectName),
     status("pfn_referenceNames", 1, "repository offline"),
     intrinsicResponse("ReferenceNames", "<ERROR CODE=\"1\" DESCRIPTION=\"repository offline\"/>\n")},
};

class OperationResponses : public testing::TestWithParam<ResponseCase> {};

TEST_P(OperationResponses, AreWrittenWhole) {
    const ResponseCase &c = GetParam();
    CimomDouble cimom;
    c.setup(cimom);
    CIMOMHandle table = *cimom.handle();
    if (c.patch) c.patch(table);
    EXPECT_EQ(handle(c.request, &table), c.expected);
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, OperationResponses, testing::ValuesIn(responseCases),
                         [](const testing::TestParamInfo<ResponseCase> &info) { return info.param.name; });

// One response spelled out in full, without the helpers above.
TEST(OperationResponses, FailedGetClassReadsAsOneDocument) {
    CimomDouble cimom;
    cimom.setStatus("pfn_getClass", 6, "no such class");
    EXPECT_EQ(handle(intrinsic("GetClass", ns, fooClassName), cimom.handle()),
              "CIMOperation: MethodResponse\r\n"
              "CIMProtocolVersion: 1.2\r\n"
              "\r\n"
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
              "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n"
              "<SIMPLERSP>\n"
              "<IMETHODRESPONSE NAME=\"GetClass\">\n"
              "<ERROR CODE=\"6\" DESCRIPTION=\"no such class\"/>\n"
              "</IMETHODRESPONSE>\n"
              "</SIMPLERSP>\n"
              "</MESSAGE>\n"
              "</CIM>\n");
}

}  // namespace
