// How the operation functions fail: the texts they record before answering,
// parameters of the wrong type, and what becomes the thread's last error
// when the object manager fails.
#include <gtest/gtest.h>

#include <string>

#include "cimxml/operations.h"
#include "operations/operation_test_support.h"
#include "support/cimom_double.h"
#include "support/log_capture.h"

namespace {

using testsupport::CimomDouble;
using testsupport::LogCapture;
using namespace optest;

const std::string ns = "root/cimv2";
const std::string fooKey = instanceNameParam("CIM_Foo", "Name", "a");
const std::string fooClassName = classNameParam("CIM_Foo");
const std::string classNameAsInstance = iparam("ClassName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"/>");
const std::string instanceNameAsString = iparam("InstanceName", "<CLASSNAME NAME=\"CIM_Foo\"/>");
const std::string unrelated = valueParam("Unrelated", "x");

void dropNamespace(MessageData *msgData) { setObjectPathNameSpace(msgData->objectPath, nullptr); }

struct EarlyFailure {
    const char *name;
    OperationFunction function;
    std::string request;
    const char *recorded;
    void (*change)(MessageData *) = nullptr;
};

void PrintTo(const EarlyFailure &f, std::ostream *os) { *os << f.name; }

const EarlyFailure earlyFailures[] = {
    {"CreateInstanceWithoutParameters", CIMOMhdle_createInstance, intrinsic("CreateInstance", ns),
     "CIMOMhdle_createInstance - msgData->method is null!"},
    {"CreateInstanceWithAClassForTheInstance", CIMOMhdle_createInstance,
     intrinsic("CreateInstance", ns, iparam("NewInstance", "<CLASS NAME=\"CIM_Foo\"/>")),
     "CIMOMhdle_createInstance - copyCIMInstance failed."},
    {"DeleteInstanceWithoutParameters", CIMOMhdle_deleteInstance, intrinsic("DeleteInstance", ns),
     "CIMOMhdle_deleteInstance - copyCIMPropertyList failed!"},
    {"DeleteInstanceWithAStringForTheInstanceName", CIMOMhdle_deleteInstance,
     intrinsic("DeleteInstance", ns, instanceNameAsString),
     "CIMOMhdle_deleteInstance failed - InstanceName parameter is NULL!"},
    {"DeleteInstanceWithoutNamespace", CIMOMhdle_deleteInstance, intrinsic("DeleteInstance", ns, fooKey),
     "CIMOMhdle_deleteInstance failed - Namespace is NULL!", dropNamespace},
    {"EnumerateInstanceNamesWithoutParameters", CIMOMhdle_enumerateInstanceNames,
     intrinsic("EnumerateInstanceNames", ns), "CIMOMhdle_enumerateInstanceNames - copyCIMPropertyList failed."},
    {"EnumerateInstanceNamesWithAPathForTheClassName", CIMOMhdle_enumerateInstanceNames,
     intrinsic("EnumerateInstanceNames", ns, classNameAsInstance),
     "CIMOMhdle_enumerateInstanceNames: failed - ClassName is null!"},
    {"EnumerateInstancesWithoutParameters", CIMOMhdle_enumerateInstances, intrinsic("EnumerateInstances", ns),
     "CIMOMhdle_enumerateInstances - CIMPropertyList is NULL!."},
    {"EnumerateInstancesWithoutClassName", CIMOMhdle_enumerateInstances,
     intrinsic("EnumerateInstances", ns, valueParam("LocalOnly", "true")),
     "CIMOMhdle_enumerateInstances failed - ClassName parameter is null."},
    {"ExecQueryWithoutParameters", CIMOMhdle_execQuery, intrinsic("ExecQuery", ns),
     "CIMOMhdle_execQuery: failed - Null parameter list."},
    {"ExecQueryWithoutLanguage", CIMOMhdle_execQuery, intrinsic("ExecQuery", ns, valueParam("Query", "q")),
     "CIMOMhdle_execQuery failed - QueryLanguage parameter is null."},
    {"ExecQueryWithoutQuery", CIMOMhdle_execQuery, intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL")),
     "CIMOMhdle_execQuery failed - Query parameter is null."},
    {"GetInstanceWithoutParameters", CIMOMhdle_getInstance, intrinsic("GetInstance", ns),
     "CIMOMhdle_getInstance - copyCIMPropertyList failed."},
    {"GetInstanceWithoutInstanceName", CIMOMhdle_getInstance, intrinsic("GetInstance", ns, unrelated),
     "CIMOMhdle_getInstance failed - InstanceName parameter is null."},
    {"GetInstanceWithoutNamespace", CIMOMhdle_getInstance, intrinsic("GetInstance", ns, fooKey),
     "CIMOMhdle_getInstance failed - Namespace is NULL!", dropNamespace},
    {"ModifyInstanceWithoutParameters", CIMOMhdle_modifyInstance, intrinsic("ModifyInstance", ns),
     "CIMOMhdle_modifyInstance - null parameter list."},
    {"ModifyInstanceWithoutInstance", CIMOMhdle_modifyInstance, intrinsic("ModifyInstance", ns, unrelated),
     "CIMOMhdle_modifyInstance failed - modifiedInstance parameter is null"},
    {"AssociatorsWithoutParameters", CIMOMhdle_associators, intrinsic("Associators", ns),
     "CIMOMhdle_associators - null parameter list."},
    {"AssociatorsWithoutObjectName", CIMOMhdle_associators, intrinsic("Associators", ns, unrelated),
     "CIMOMhdle_associators failed - ObjectName parameter type is null."},
    {"AssociatorsOfAnInstanceNameWithoutKeys", CIMOMhdle_associators,
     intrinsic("Associators", ns, iparam("ObjectName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"/>")),
     "CIMOMhdle_associators failed - Could not get ObjectName parameter."},
    {"AssociatorNamesWithoutParameters", CIMOMhdle_associatorNames, intrinsic("AssociatorNames", ns),
     "CIMOMhdle_associatorNames - null parameter list."},
    {"AssociatorNamesOfAnInstanceObject", CIMOMhdle_associatorNames,
     intrinsic("AssociatorNames", ns, iparam("ObjectName", instanceXml("CIM_Foo", "Name", "a"))),
     "CIMOMhdle_associatorNames failed - ObjectName parameter is null."},
    {"ReferencesWithoutParameters", CIMOMhdle_references, intrinsic("References", ns),
     "CIMOMhdle_references - copyCIMPropertyList failed."},
    {"ReferencesWithoutObjectName", CIMOMhdle_references, intrinsic("References", ns, unrelated),
     "CIMOMhdle_references failed - ObjectName parameter type is null."},
    {"ReferenceNamesWithoutParameters", CIMOMhdle_referenceNames, intrinsic("ReferenceNames", ns),
     "CIMOMhdle_referenceNames - parameter list is null."},
    {"ReferenceNamesWithoutObjectName", CIMOMhdle_referenceNames, intrinsic("ReferenceNames", ns, unrelated),
     "CIMOMhdle_referenceNames failed - ObjectName parameter type is null."},
    {"InvokeMethodWithoutTarget", CIMOMhdle_invokeMethod,
     request("<SIMPLEREQ>\n<METHODCALL NAME=\"Reset\">\n</METHODCALL>\n</SIMPLEREQ>\n"),
     "CIMOMhdle_invokeMethod: failed - Null parameter(s)."},
    {"ExportIndicationWithoutParameters", CIMOMhdle_exportIndication, exportRequest(""),
     "CIMOMhdle_exportIndication: failed - Null parameter list."},
    {"ExportIndicationWithoutIndication", CIMOMhdle_exportIndication,
     exportRequest("<EXPPARAMVALUE NAME=\"Other\"><VALUE>x</VALUE></EXPPARAMVALUE>\n"),
     "CIMOMhdle_exportIndication failed - NewIndication parameter is null!"},
    {"DeleteClassWithoutParameters", CIMOMhdle_deleteClass, intrinsic("DeleteClass", ns),
     "CIMOMhdle_deleteClass - failed; Null parameter list."},
    {"DeleteClassWithoutClassName", CIMOMhdle_deleteClass, intrinsic("DeleteClass", ns, unrelated),
     "CIMOMhdle_deleteClass failed - ClassName parameter is null."},
    {"DeleteQualifierWithoutParameters", CIMOMhdle_deleteQualifier, intrinsic("DeleteQualifier", ns),
     "CIMOMhdle_deleteQualifier: failed - Null parameter list."},
    {"DeleteQualifierWithoutName", CIMOMhdle_deleteQualifier, intrinsic("DeleteQualifier", ns, unrelated),
     "CIMOMhdle_deleteQualifier failed - QualifierName parameter is null."},
    {"GetQualifierWithoutParameters", CIMOMhdle_getQualifier, intrinsic("GetQualifier", ns),
     "CIMOMhdle_getQualifier: failed - Null parameter list."},
    {"GetClassWithoutParameters", CIMOMhdle_getClass, intrinsic("GetClass", ns),
     "CIMOMhdle_getClass: copyCIMPropertyList failed."},
    {"GetClassWithAPathForTheClassName", CIMOMhdle_getClass, intrinsic("GetClass", ns, classNameAsInstance),
     "CIMOMhdle_getClass - failed; ClassName parameter is null."},
    {"GetClassWithoutNamespacePath", CIMOMhdle_getClass, intrinsic("GetClass", "", fooClassName),
     "CIMOMhdle_getClass: failed - Null parameter(s)."},
    {"ModifyClassWithoutParameters", CIMOMhdle_modifyClass, intrinsic("ModifyClass", ns),
     "CIMOMhdle_modifyClass: failed - Null parameter list."},
    {"ModifyClassWithAnInstanceForTheClass", CIMOMhdle_modifyClass,
     intrinsic("ModifyClass", ns, iparam("ModifiedClass", instanceXml("CIM_Foo", "Name", "a"))),
     "CIMOMhdle_modifyClass - failed; Null parameter."},
    {"CreateClassWithoutParameters", CIMOMhdle_createClass, intrinsic("CreateClass", ns),
     "CIMOMhdle_createClass failed - Null parameter list."},
    {"CreateClassWithoutClass", CIMOMhdle_createClass, intrinsic("CreateClass", ns, unrelated),
     "CIMOMhdle_createClass failed - NewClass parameter is null."},
    {"GetPropertyWithoutParameters", CIMOMhdle_getProperty, intrinsic("GetProperty", ns),
     "CIMOMhdle_getProperty: failed - Null parameter list."},
    {"GetPropertyWithoutInstanceName", CIMOMhdle_getProperty,
     intrinsic("GetProperty", ns, valueParam("PropertyName", "Caption")),
     "CIMOMhdle_getProperty - No InstanceName parameter."},
    {"GetPropertyWithoutPropertyName", CIMOMhdle_getProperty, intrinsic("GetProperty", ns, fooKey),
     "CIMOMhdle_getProperty failed - PropertyName parameter is null!"},
    {"GetPropertyWithoutNamespace", CIMOMhdle_getProperty,
     intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
     "CIMOMhdle_getProperty failed - Namespace is NULL!", dropNamespace},
    {"SetPropertyWithoutParameters", CIMOMhdle_setProperty, intrinsic("SetProperty", ns),
     "CIMOMhdle_setProperty - failed; Null parameter list."},
    {"SetPropertyWithAStringForTheInstanceName", CIMOMhdle_setProperty,
     intrinsic("SetProperty", ns, instanceNameAsString + valueParam("PropertyName", "Caption")),
     "CIMOMhdle_setProperty - No InstanceName parameter."},
    {"SetPropertyWithoutPropertyName", CIMOMhdle_setProperty, intrinsic("SetProperty", ns, fooKey),
     "CIMOMhdle_setProperty failed - PropertyName parameter is null!"},
    {"SetPropertyWithoutNamespace", CIMOMhdle_setProperty,
     intrinsic("SetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
     "CIMOMhdle_setProperty failed - Namespace is NULL!", dropNamespace},
};

class EarlyFailures : public testing::TestWithParam<EarlyFailure> {};

TEST_P(EarlyFailures, RecordTheirTextAndCallNoSlot) {
    const EarlyFailure &f = GetParam();
    CimomDouble cimom;
    cimom.answerEverySlot();
    markLastError();
    LogCapture log(0);
    Outcome outcome = run(f.function, f.request, cimom.handle(), f.change);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.response, "") << "nothing written";
    EXPECT_EQ(lastError(), std::string("1: ") + f.recorded);
    EXPECT_TRUE(log.contains(f.recorded, 0));
    EXPECT_EQ(cimom.calls().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Operations, EarlyFailures, testing::ValuesIn(earlyFailures),
                         [](const testing::TestParamInfo<EarlyFailure> &info) { return info.param.name; });

// Every function refuses a missing message or handle with its own text.
TEST(EarlyFailures, NullMessageOrHandle) {
    const std::pair<OperationFunction, const char *> functions[] = {
        {CIMOMhdle_createInstance, "CIMOMhdle_createInstance - failed - Null parameter(s)."},
        {CIMOMhdle_exportIndication, "CIMOMhdle_exportIndication: failed - Null parameter(s)."},
        {CIMOMhdle_enumerateQualifiers, "CIMOMhdle_enumerateQualifiers: failed - Null parameter(s)."},
        {CIMOMhdle_enumerateClasses, "CIMOMhdle_enumerateClasses: failed - Null parameter(s)."},
        {CIMOMhdle_enumerateClassNames, "CIMOMhdle_enumerateClassNames: failed - Null parameter(s)."},
        {CIMOMhdle_deleteQualifier, "CIMOMhdle_deleteQualifier - failed; Null parameter."},
        {CIMOMhdle_getQualifier, "CIMOMhdle_getQualifier: failed - Null parameter(s)."},
        {CIMOMhdle_setQualifier, "CIMOMhdle_setQualifier - failed; Null parameter."},
        {CIMOMhdle_createClass, "CIMOMhdle_createClass: failed - Null parameter(s)."},
        {CIMOMhdle_deleteClass, "CIMOMhdle_deleteClass: failed - Null parameter(s)."},
        {CIMOMhdle_getClass, "CIMOMhdle_getClass: failed - Null parameter(s)."},
        {CIMOMhdle_modifyClass, "CIMOMhdle_modifyClass: failed - Null parameter(s)."},
        {CIMOMhdle_getProperty, "CIMOMhdle_getProperty: failed - Null parameter(s)."},
        {CIMOMhdle_setProperty, "CIMOMhdle_setProperty: failed - Null parameter."},
        {CIMOMhdle_modifyInstance, "CIMOMhdle_modifyInstance: failed - Null parameter(s)."},
        {CIMOMhdle_deleteInstance, "CIMOMhdle_deleteInstance: failed - Null parameter(s)."},
        {CIMOMhdle_enumerateInstances, "CIMOMhdle_enumerateInstances: failed - Null parameter(s)."},
        {CIMOMhdle_enumerateInstanceNames, "CIMOMhdle_enumerateInstanceNames: failed - Null parameter(s)."},
        {CIMOMhdle_getInstance, "CIMOMhdle_getInstance: failed - Null parameter(s)."},
        {CIMOMhdle_execQuery, "CIMOMhdle_execQuery: failed - Null parameter(s)."},
        {CIMOMhdle_invokeMethod, "CIMOMhdle_invokeMethod: failed - Null parameter(s)."},
        {CIMOMhdle_associators, "CIMOMhdle_associators: failed - Null parameter(s)."},
        {CIMOMhdle_associatorNames, "CIMOMhdle_associatorNames: failed - Null parameter(s)."},
        {CIMOMhdle_references, "CIMOMhdle_references: failed - Null parameter(s)."},
        {CIMOMhdle_referenceNames, "CIMOMhdle_referenceNames: failed - Null parameter(s)."},
    };
    CimomDouble cimom;
    LogCapture log(0);
    const std::string anyRequest = intrinsic("GetClass", ns, fooClassName);
    for (const auto &[function, text] : functions) {
        PoolString pool{};
        markLastError();
        EXPECT_EQ(function(&pool, nullptr, cimom.handle()), 0) << text;
        EXPECT_EQ(lastError(), std::string("1: ") + text);
        markLastError();
        EXPECT_EQ(run(function, anyRequest, nullptr).result, 0) << text;
        EXPECT_EQ(lastError(), std::string("1: ") + text);
    }
    EXPECT_EQ(cimom.calls().size(), 0u);
}

// ---- Parameters of the wrong type count as absent ----

TEST(WrongParameterTypes, OptionalOnesFallBackToTheirDefaults) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    std::string response = handle(intrinsic("EnumerateInstances", ns,
                                            fooClassName + iparam("LocalOnly", "<CLASSNAME NAME=\"false\"/>") +
                                                iparam("DeepInheritance", "<INSTANCENAME CLASSNAME=\"X\"/>") +
                                                iparam("PropertyList", "<CLASSNAME NAME=\"Caption\"/>")),
                                  cimom.handle());
    EXPECT_EQ(responseStartLine(response), "<IMETHODRESPONSE NAME=\"EnumerateInstances\">");
    EXPECT_EQ(cimom.lastCall("pfn_enumerateInstances"),
              (testsupport::CallArgs{{"path", "root/cimv2:CIM_Foo"},
                                     {"localOnly", "1"},
                                     {"deepInheritance", "1"},
                                     {"includeQualifiers", "0"},
                                     {"includeClassOrigin", "0"},
                                     {"propertyList", "(null)"}}));
}

TEST(WrongParameterTypes, AnInstanceNameForAQualifierNameIsNotPassedOn) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    handle(intrinsic("GetQualifier", ns, iparam("QualifierName", "<INSTANCENAME CLASSNAME=\"Key\"/>")),
           cimom.handle());
    EXPECT_EQ(cimom.lastCall("pfn_getQualifier"),
              (testsupport::CallArgs{{"nameSpace", "root/cimv2"}, {"qualifierName", "(null)"}}));
}

// ---- What the object manager's answers leave behind ----

TEST(ObjectManagerFailures, BecomeTheLastErrorAndTheFunctionStillAnswers) {
    CimomDouble cimom;
    cimom.setStatus("pfn_getInstance", 6, "not found");
    markLastError();
    Outcome outcome = run(CIMOMhdle_getInstance, intrinsic("GetInstance", ns, fooKey), cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(responseBody(outcome.response), "<ERROR CODE=\"6\" DESCRIPTION=\"not found\"/>\n");
    EXPECT_EQ(lastError(), "6: not found");
}

TEST(ObjectManagerFailures, EnumerateInstancesWithoutAListRecordsItsOwnText) {
    CimomDouble cimom;
    LogCapture log(0);
    Outcome outcome = run(CIMOMhdle_enumerateInstances, intrinsic("EnumerateInstances", ns, fooClassName),
                          cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(responseBody(outcome.response),
              "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n");
    EXPECT_EQ(lastError(), "1: CIMOMhdle_enumerateInstances - pfn_enumerateInstances failed!");
    EXPECT_TRUE(log.contains("CIMOMhdle_enumerateInstances - pfn_enumerateInstances failed!", 0));
}

TEST(ObjectManagerFailures, OtherOperationsWithoutAResultRecordWhatTheyAnswer) {
    CimomDouble cimom;
    Outcome outcome = run(CIMOMhdle_getClass, intrinsic("GetClass", ns, fooClassName), cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(lastError(), "1: Requested operation failed.");
}

TEST(ObjectManagerFailures, AMissingSlotAnswersNotSupported) {
    CimomDouble cimom;
    cimom.leaveNull({"pfn_deleteClass"});
    Outcome outcome = run(CIMOMhdle_deleteClass, intrinsic("DeleteClass", ns, fooClassName), cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(lastError(), "7: Operation not supported by the object manager.");
}

TEST(ObjectManagerFailures, DeleteInstanceLogsItsFailure) {
    CimomDouble cimom;
    cimom.setStatus("pfn_deleteInstance", 6, "gone");
    LogCapture log(0);
    run(CIMOMhdle_deleteInstance, intrinsic("DeleteInstance", ns, fooKey), cimom.handle());
    EXPECT_TRUE(log.contains("CIMOMhdle_deleteInstance - failed!", 0));
    EXPECT_EQ(lastError(), "6: gone");
}

TEST(ObjectManagerFailures, ResultsComingWithAFailureAreNotWritten) {
    CimomDouble cimom;
    cimom.setStatus("pfn_enumerateClassNames", 5, "no class");
    cimom.setResult("pfn_enumerateClassNames", [] { return static_cast<void *>(testsupport::makeClassPathList(2)); },
                    true);
    Outcome outcome = run(CIMOMhdle_enumerateClassNames, intrinsic("EnumerateClassNames", ns), cimom.handle());
    EXPECT_EQ(responseBody(outcome.response), "<ERROR CODE=\"5\" DESCRIPTION=\"no class\"/>\n");
}

// ---- Details of single operations ----

TEST(OperationDetails, EnumerateClassNamesWithoutClassNameWarns) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    LogCapture log(1);
    Outcome outcome = run(CIMOMhdle_enumerateClassNames, intrinsic("EnumerateClassNames", ns), cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_TRUE(log.contains("CIMOMhdle_enumerateClassNames - ClassName parameter is null.", 1));
}

TEST(OperationDetails, ModifyInstanceWritesUnderTheSetInstanceLabel) {
    CimomDouble cimom;
    LogCapture log(2);
    // A bare INSTANCE carries no instance name: the path gets no keys.
    Outcome outcome = run(CIMOMhdle_modifyInstance,
                          intrinsic("ModifyInstance", ns, iparam("ModifiedInstance", instanceXml("CIM_Foo", "Name", "a"))),
                          cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.label, "CIMOMhdle_setInstance");
    EXPECT_EQ(cimom.lastCall("pfn_setInstance")[0].second, "root/cimv2:CIM_Foo");
    EXPECT_TRUE(log.contains("get_namedinstance_path: failed - CCIMObjectPathList is null.", 2));
}

TEST(OperationDetails, GetPropertyAnswersUnderTheNamePropertyName) {
    CimomDouble cimom;
    cimom.setResult("pfn_getProperty", [] {
        uint32_t count = 42;
        return static_cast<void *>(newCIMValue(CIM_UINT32, &count));
    });
    Outcome outcome = run(CIMOMhdle_getProperty,
                          intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "Count")), cimom.handle());
    EXPECT_EQ(responseBody(outcome.response), "<IRETURNVALUE>\n<VALUE>42</VALUE>\n</IRETURNVALUE>\n");
}

TEST(OperationDetails, InvokeMethodWithoutReturnValueWritesOnlyOutputParameters) {
    CimomDouble cimom;
    cimom.setInvokeOutput([](CIMPropertyList *out) {
        freeReturnCode(appendToCIMPropertyList(
            out, newProperty(newCIMString(L"Log"), nullptr, newCIMValue(CIM_STRING, newCIMString(L"ok")), CIM_STRING,
                             nullptr, 0)));
    });
    Outcome outcome = run(CIMOMhdle_invokeMethod, extrinsic("Check", ns, "CIM_Foo"), cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(responseStartLine(outcome.response), "<METHODRESPONSE NAME=\"Check\">");
    EXPECT_EQ(responseBody(outcome.response),
              "<PARAMVALUE NAME=\"Log\" PARAMTYPE=\"string\">\n<VALUE>ok</VALUE>\n</PARAMVALUE>\n");
}

TEST(OperationDetails, InvokeMethodFailureBecomesTheLastError) {
    CimomDouble cimom;
    cimom.setStatus("pfn_invokeMethod", 16, "busy");
    markLastError();
    Outcome outcome = run(CIMOMhdle_invokeMethod, extrinsic("Check", ns, "CIM_Foo"), cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(lastError(), "16: busy");
}

// ---- Indication export and the delivery slot ----

const std::string alert =
    exportRequest("<EXPPARAMVALUE NAME=\"NewIndication\">" + instanceXml("CIM_Alert", "Message", "disk full") +
                  "</EXPPARAMVALUE>\n");
const std::string exportBody = "<IRETURNVALUE>\n</IRETURNVALUE>\n";

ReturnCode *noStatusDelivery(CIMObjectPath *, CIMInstance *) { return nullptr; }

TEST(IndicationExport, FailedDeliveryIsRecordedAndStillAnswered) {
    CimomDouble cimom;
    cimom.setStatus("pfn_deliverIndication", 3, "no listener");
    markLastError();
    Outcome outcome = run(CIMOMhdle_exportIndication, alert, cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(responseBody(outcome.response), exportBody);
    EXPECT_EQ(lastError(), "3: no listener");
}

TEST(IndicationExport, WithoutDeliverySlotNothingIsDeliveredOrRecorded) {
    CimomDouble cimom;
    cimom.leaveNull({"pfn_deliverIndication"});
    markLastError();
    Outcome outcome = run(CIMOMhdle_exportIndication, alert, cimom.handle());
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(responseBody(outcome.response), exportBody);
    EXPECT_EQ(lastError(), "0: unchanged");
    EXPECT_EQ(cimom.calls().size(), 0u);
}

TEST(IndicationExport, ADeliveryWithoutStatusCountsAsFailed) {
    CimomDouble cimom;
    CIMOMHandle table = *cimom.handle();
    table.pfn_deliverIndication = noStatusDelivery;
    Outcome outcome = run(CIMOMhdle_exportIndication, alert, &table);
    EXPECT_EQ(responseBody(outcome.response), exportBody);
    EXPECT_EQ(lastError(), "1: The object manager returned no status.");
}

TEST(IndicationExport, TheIndicationTakesTheTargetNamespace) {
    CimomDouble cimom;
    run(CIMOMhdle_exportIndication, alert, cimom.handle(), [](MessageData *msgData) {
        msgData->objectPath = newObjectPathWithName(nullptr);
        setObjectPathNameSpace(msgData->objectPath, newCIMString(L"root/interop"));
    });
    EXPECT_EQ(cimom.lastCall("pfn_deliverIndication"),
              (testsupport::CallArgs{{"path", "root/interop:(none)"},
                                     {"indication", "root/interop:CIM_Alert{Message:string=\"disk full\"}"}}));
}

}  // namespace
