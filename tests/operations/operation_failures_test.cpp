// How the operation functions fail: requests that lack what they need or
// give it with the wrong type are answered with the function's own text
// before the object manager is called; a missing message or handle is
// refused; what the object manager's failures leave as the last error.
#include <gtest/gtest.h>

#include <functional>

#include "cimxml/operations.h"
#include "common_handlers/parse_driver.h"
#include "support/log_capture.h"
#include "support/request_mix.h"
#include <utils/pool_string.h>

namespace {

using namespace testsupport;

const std::string ns = "root/cimv2";
const std::string fooKey = iparam("InstanceName", instanceName("CIM_Foo", "a"));
const std::string classNameAsInstance = iparam("ClassName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"/>");
const std::string instanceNameAsString = iparam("InstanceName", "<CLASSNAME NAME=\"CIM_Foo\"/>");
const std::string unrelated = valueParam("Unrelated", "x");
const std::string caption = valueParam("PropertyName", "Caption");

std::string escaped(const std::string &text) {
    std::string out;
    for (char c : text) out += c == '>' ? "&gt;" : c == '<' ? "&lt;" : c == '&' ? "&amp;" : std::string(1, c);
    return out;
}

struct EarlyFailure {
    std::string request;
    const char *answeredAs;  // the response element's name
    const char *text;
};

void PrintTo(const EarlyFailure &f, std::ostream *os) { *os << f.text; }

const EarlyFailure earlyFailures[] = {
    {intrinsic("CreateInstance", ns), "CreateInstance", "CIMOMhdle_createInstance - msgData->method is null!"},
    {intrinsic("CreateInstance", ns, iparam("NewInstance", "<CLASS NAME=\"CIM_Foo\"/>")), "CreateInstance",
     "CIMOMhdle_createInstance - copyCIMInstance failed."},
    {intrinsic("DeleteInstance", ns), "DeleteInstance", "CIMOMhdle_deleteInstance - copyCIMPropertyList failed!"},
    {intrinsic("DeleteInstance", ns, instanceNameAsString), "DeleteInstance",
     "CIMOMhdle_deleteInstance failed - InstanceName parameter is NULL!"},
    {intrinsic("EnumerateInstanceNames", ns), "EnumerateInstanceNames",
     "CIMOMhdle_enumerateInstanceNames - copyCIMPropertyList failed."},
    {intrinsic("EnumerateInstanceNames", ns, classNameAsInstance), "EnumerateInstanceNames",
     "CIMOMhdle_enumerateInstanceNames: failed - ClassName is null!"},
    {intrinsic("EnumerateInstances", ns), "EnumerateInstances",
     "CIMOMhdle_enumerateInstances - CIMPropertyList is NULL!."},
    {intrinsic("EnumerateInstances", ns, unrelated), "EnumerateInstances",
     "CIMOMhdle_enumerateInstances failed - ClassName parameter is null."},
    {intrinsic("ExecQuery", ns), "ExecQuery", "CIMOMhdle_execQuery: failed - Null parameter list."},
    {intrinsic("ExecQuery", ns, valueParam("Query", "q")), "ExecQuery",
     "CIMOMhdle_execQuery failed - QueryLanguage parameter is null."},
    {intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL")), "ExecQuery",
     "CIMOMhdle_execQuery failed - Query parameter is null."},
    {intrinsic("GetInstance", ns), "GetInstance", "CIMOMhdle_getInstance - copyCIMPropertyList failed."},
    {intrinsic("GetInstance", ns, unrelated), "GetInstance",
     "CIMOMhdle_getInstance failed - InstanceName parameter is null."},
    {intrinsic("ModifyInstance", ns), "ModifyInstance", "CIMOMhdle_modifyInstance - null parameter list."},
    {intrinsic("ModifyInstance", ns, unrelated), "ModifyInstance",
     "CIMOMhdle_modifyInstance failed - modifiedInstance parameter is null"},
    {intrinsic("Associators", ns), "Associators", "CIMOMhdle_associators - null parameter list."},
    {intrinsic("Associators", ns, unrelated), "Associators",
     "CIMOMhdle_associators failed - ObjectName parameter type is null."},
    {intrinsic("Associators", ns, iparam("ObjectName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"/>")), "Associators",
     "CIMOMhdle_associators failed - Could not get ObjectName parameter."},
    {intrinsic("AssociatorNames", ns), "AssociatorNames", "CIMOMhdle_associatorNames - null parameter list."},
    {intrinsic("AssociatorNames", ns, iparam("ObjectName", instanceXml("CIM_Foo", "Name", "a"))), "AssociatorNames",
     "CIMOMhdle_associatorNames failed - ObjectName parameter is null."},
    {intrinsic("References", ns), "References", "CIMOMhdle_references - copyCIMPropertyList failed."},
    {intrinsic("References", ns, unrelated), "References",
     "CIMOMhdle_references failed - ObjectName parameter type is null."},
    {intrinsic("ReferenceNames", ns), "ReferenceNames", "CIMOMhdle_referenceNames - parameter list is null."},
    {intrinsic("ReferenceNames", ns, unrelated), "ReferenceNames",
     "CIMOMhdle_referenceNames failed - ObjectName parameter type is null."},
    // A failed method call is answered in the intrinsic form.
    {request("<SIMPLEREQ>\n<METHODCALL NAME=\"Reset\">\n</METHODCALL>\n</SIMPLEREQ>\n"), "InvokeMethod",
     "CIMOMhdle_invokeMethod: failed - Null parameter(s)."},
    {exportRequest(""), "ExportIndication", "CIMOMhdle_exportIndication: failed - Null parameter list."},
    {exportRequest("<EXPPARAMVALUE NAME=\"Other\"><VALUE>x</VALUE></EXPPARAMVALUE>\n"), "ExportIndication",
     "CIMOMhdle_exportIndication failed - NewIndication parameter is null!"},
    {intrinsic("DeleteClass", ns), "DeleteClass", "CIMOMhdle_deleteClass - failed; Null parameter list."},
    {intrinsic("DeleteClass", ns, unrelated), "DeleteClass",
     "CIMOMhdle_deleteClass failed - ClassName parameter is null."},
    {intrinsic("DeleteQualifier", ns), "DeleteQualifier", "CIMOMhdle_deleteQualifier: failed - Null parameter list."},
    {intrinsic("DeleteQualifier", ns, unrelated), "DeleteQualifier",
     "CIMOMhdle_deleteQualifier failed - QualifierName parameter is null."},
    {intrinsic("GetQualifier", ns), "GetQualifier", "CIMOMhdle_getQualifier: failed - Null parameter list."},
    {intrinsic("GetClass", ns), "GetClass", "CIMOMhdle_getClass: copyCIMPropertyList failed."},
    {intrinsic("GetClass", ns, classNameAsInstance), "GetClass",
     "CIMOMhdle_getClass - failed; ClassName parameter is null."},
    {intrinsic("GetClass", ns, valueParam("LocalOnly", "true")), "GetClass",
     "CIMOMhdle_getClass - failed; ClassName parameter is null."},
    {intrinsic("GetClass", "", classNameParam("CIM_Foo")), "GetClass", "CIMOMhdle_getClass: failed - Null parameter(s)."},
    {intrinsic("ModifyClass", ns), "ModifyClass", "CIMOMhdle_modifyClass: failed - Null parameter list."},
    {intrinsic("ModifyClass", ns, iparam("ModifiedClass", instanceXml("CIM_Foo", "Name", "a"))), "ModifyClass",
     "CIMOMhdle_modifyClass - failed; Null parameter."},
    {intrinsic("CreateClass", ns), "CreateClass", "CIMOMhdle_createClass failed - Null parameter list."},
    {intrinsic("CreateClass", ns, unrelated), "CreateClass", "CIMOMhdle_createClass failed - NewClass parameter is null."},
    {intrinsic("GetProperty", ns), "GetProperty", "CIMOMhdle_getProperty: failed - Null parameter list."},
    {intrinsic("GetProperty", ns, caption), "GetProperty", "CIMOMhdle_getProperty - No InstanceName parameter."},
    {intrinsic("GetProperty", ns, fooKey), "GetProperty", "CIMOMhdle_getProperty failed - PropertyName parameter is null!"},
    {intrinsic("SetProperty", ns), "SetProperty", "CIMOMhdle_setProperty - failed; Null parameter list."},
    {intrinsic("SetProperty", ns, instanceNameAsString + caption), "SetProperty",
     "CIMOMhdle_setProperty - No InstanceName parameter."},
    {intrinsic("SetProperty", ns, fooKey), "SetProperty", "CIMOMhdle_setProperty failed - PropertyName parameter is null!"},
};

class EarlyFailures : public testing::TestWithParam<EarlyFailure> {};

TEST_P(EarlyFailures, AreAnsweredWithTheirTextAndCallNoSlot) {
    const EarlyFailure &f = GetParam();
    CimomDouble cimom;
    cimom.answerEverySlot();
    LogCapture log(0);
    std::string element = f.answeredAs == std::string("ExportIndication") ? "METHODRESPONSE" : "IMETHODRESPONSE";
    EXPECT_EQ(requestmix::respond(f.request, cimom.handle()),
              simpleResponse(element, f.answeredAs, "<ERROR CODE=\"1\" DESCRIPTION=\"" + escaped(f.text) + "\"/>\n"));
    EXPECT_TRUE(log.contains(f.text, 0));
    EXPECT_EQ(cimom.callsText(), "");
}

INSTANTIATE_TEST_SUITE_P(Operations, EarlyFailures, testing::ValuesIn(earlyFailures));

using OperationFunction = int (*)(PoolString *, MessageData *, CIMOMHandle *);

// Runs function on the parsed document with handle and the response pool
// on the stack, as a host keeps its record; returns what it returned.
int run(OperationFunction function, const std::string &document, CIMOMHandle *handle) {
    MessageData *msgData = cimxmlParseMessage(document.c_str());
    PoolString pool{};
    int result = function(&pool, msgData, handle);
    release_PoolStringBuffer(&pool);
    freeMessageData(msgData);
    return result;
}

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
    for (const auto &[function, text] : functions) {
        markLastError();
        EXPECT_EQ(run(function, "", cimom.handle()), 0) << text;
        EXPECT_EQ(lastError(), std::string("1: ") + text);
        markLastError();
        EXPECT_EQ(run(function, intrinsic("GetClass", ns, classNameParam("CIM_Foo")), nullptr), 0) << text;
        EXPECT_EQ(lastError(), std::string("1: ") + text);
    }
    EXPECT_EQ(cimom.callsText(), "");
}

ReturnCode *no_status_delivery(CIMObjectPath *, CIMInstance *) { return nullptr; }

struct LeftError {
    const char *name;
    OperationFunction function;
    std::string request;
    std::function<void(CimomDouble &, CIMOMHandle &)> setup;
    std::string lastError;
    const char *logged;  // a line logged on the way, or NULL
};

void PrintTo(const LeftError &e, std::ostream *os) { *os << e.name; }

const std::string alert = exportRequest("<EXPPARAMVALUE NAME=\"NewIndication\">" +
                                        instanceXml("CIM_Alert", "Message", "m") + "</EXPPARAMVALUE>\n");

const LeftError leftErrors[] = {
    {"AStatusOfTheObjectManager", CIMOMhdle_getInstance, intrinsic("GetInstance", ns, fooKey),
     [](CimomDouble &cimom, CIMOMHandle &) { cimom.setStatus("pfn_getInstance", 6, "not found"); }, "6: not found",
     nullptr},
    {"AFailedDeletion", CIMOMhdle_deleteInstance, intrinsic("DeleteInstance", ns, fooKey),
     [](CimomDouble &cimom, CIMOMHandle &) { cimom.setStatus("pfn_deleteInstance", 6, "gone"); }, "6: gone",
     "CIMOMhdle_deleteInstance - failed!"},
    {"AFailedMethod", CIMOMhdle_invokeMethod, extrinsic("Check", ns, "CIM_Foo"),
     [](CimomDouble &cimom, CIMOMHandle &) { cimom.setStatus("pfn_invokeMethod", 16, "busy"); }, "16: busy", nullptr},
    {"NoInstanceList", CIMOMhdle_enumerateInstances, intrinsic("EnumerateInstances", ns, classNameParam("CIM_Foo")),
     [](CimomDouble &, CIMOMHandle &) {}, "1: CIMOMhdle_enumerateInstances - pfn_enumerateInstances failed!",
     "CIMOMhdle_enumerateInstances - pfn_enumerateInstances failed!"},
    {"NoClass", CIMOMhdle_getClass, intrinsic("GetClass", ns, classNameParam("CIM_Foo")),
     [](CimomDouble &, CIMOMHandle &) {}, "1: Requested operation failed.", nullptr},
    {"AMissingSlot", CIMOMhdle_deleteClass, intrinsic("DeleteClass", ns, classNameParam("CIM_Foo")),
     [](CimomDouble &, CIMOMHandle &table) { table.pfn_deleteClass = nullptr; },
     "7: Operation not supported by the object manager.", nullptr},
    {"AFailedDelivery", CIMOMhdle_exportIndication, alert,
     [](CimomDouble &cimom, CIMOMHandle &) { cimom.setStatus("pfn_deliverIndication", 3, "no listener"); },
     "3: no listener", nullptr},
    {"NoDeliverySlot", CIMOMhdle_exportIndication, alert,
     [](CimomDouble &, CIMOMHandle &table) { table.pfn_deliverIndication = nullptr; }, unchanged, nullptr},
    {"NoDeliveryStatus", CIMOMhdle_exportIndication, alert,
     [](CimomDouble &, CIMOMHandle &table) { table.pfn_deliverIndication = no_status_delivery; },
     "1: The object manager returned no status.", nullptr},
    {"NothingButAWarningWithoutClassName", CIMOMhdle_enumerateClassNames, intrinsic("EnumerateClassNames", ns),
     [](CimomDouble &cimom, CIMOMHandle &) { cimom.answerEverySlot(); }, unchanged,
     "CIMOMhdle_enumerateClassNames - ClassName parameter is null."},
};

class ObjectManagerFailures : public testing::TestWithParam<LeftError> {};

TEST_P(ObjectManagerFailures, LeaveTheirLastErrorAndAreStillAnswered) {
    const LeftError &e = GetParam();
    CimomDouble cimom;
    CIMOMHandle table = *cimom.handle();
    e.setup(cimom, table);
    LogCapture log(1);
    markLastError();
    EXPECT_EQ(run(e.function, e.request, &table), 1);
    EXPECT_EQ(lastError(), e.lastError);
    if (e.logged) {
        EXPECT_TRUE(log.contains(e.logged)) << e.logged;
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, ObjectManagerFailures, testing::ValuesIn(leftErrors),
                         [](const testing::TestParamInfo<LeftError> &info) { return info.param.name; });

}  // namespace
