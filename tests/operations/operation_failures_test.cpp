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
    const char *text;
};

void PrintTo(const EarlyFailure &f, std::ostream *os) { *os << f.text; }

const EarlyFailure earlyFailures[] = {
    {intrinsic("CreateInstance", ns), "CIMOMhdle_createInstance - msgData->method is null!"},
    {intrinsic("CreateInstance", ns, iparam("NewInstance", "<CLASS NAME=\"CIM_Foo\"/>")), "CIMOMhdle_createInstance - copyCIMInstance failed."},
    {intrinsic("DeleteInstance", ns), "CIMOMhdle_deleteInstance - copyCIMPropertyList failed!"},
    {intrinsic("DeleteInstance", ns, instanceNameAsString), "CIMOMhdle_deleteInstance failed - InstanceName parameter is NULL!"},
    {intrinsic("EnumerateInstanceNames", ns), "CIMOMhdle_enumerateInstanceNames - copyCIMPropertyList failed."},
    {intrinsic("EnumerateInstanceNames", ns, classNameAsInstance), "CIMOMhdle_enumerateInstanceNames: failed - ClassName is null!"},
    {intrinsic("EnumerateInstances", ns), "CIMOMhdle_enumerateInstances - CIMPropertyList is NULL!."},
    {intrinsic("EnumerateInstances", ns, unrelated), "CIMOMhdle_enumerateInstances failed - ClassName parameter is null."},
    {intrinsic("ExecQuery", ns), "CIMOMhdle_execQuery: failed - Null parameter list."},
    {intrinsic("ExecQuery", ns, valueParam("Query", "q")), "CIMOMhdle_execQuery failed - QueryLanguage parameter is null."},
    {intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL")), "CIMOMhdle_execQuery failed - Query parameter is null."},
    {intrinsic("GetInstance", ns), "CIMOMhdle_getInstance - copyCIMPropertyList failed."},
    {intrinsic("GetInstance", ns, unrelated), "CIMOMhdle_getInstance failed - InstanceName parameter is null."},
    {intrinsic("ModifyInstance", ns), "CIMOMhdle_modifyInstance - null parameter list."},
    {intrinsic("ModifyInstance", ns, unrelated), "CIMOMhdle_modifyInstance failed - modifiedInstance parameter is null"},
    {intrinsic("Associators", ns), "CIMOMhdle_associators - null parameter list."},
    {intrinsic("Associators", ns, unrelated), "CIMOMhdle_associators failed - ObjectName parameter type is null."},
    {intrinsic("Associators", ns, iparam("ObjectName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"/>")), "CIMOMhdle_associators failed - Could not get ObjectName parameter."},
    {intrinsic("AssociatorNames", ns), "CIMOMhdle_associatorNames - null parameter list."},
    {intrinsic("AssociatorNames", ns, iparam("ObjectName", instanceXml("CIM_Foo", "Name", "a"))), "CIMOMhdle_associatorNames failed - ObjectName parameter is null."},
    {intrinsic("References", ns), "CIMOMhdle_references - copyCIMPropertyList failed."},
    {intrinsic("References", ns, unrelated), "CIMOMhdle_references failed - ObjectName parameter type is null."},
    {intrinsic("ReferenceNames", ns), "CIMOMhdle_referenceNames - parameter list is null."},
    {intrinsic("ReferenceNames", ns, unrelated), "CIMOMhdle_referenceNames failed - ObjectName parameter type is null."},
    // A failed method call is answered in the intrinsic form.
    {request("<SIMPLEREQ>\n<METHODCALL NAME=\"Reset\">\n</METHODCALL>\n</SIMPLEREQ>\n"), "CIMOMhdle_invokeMethod: failed - Null parameter(s)."},
    {exportRequest(""), "CIMOMhdle_exportIndication: failed - Null parameter list."},
    {exportRequest("<EXPPARAMVALUE NAME=\"Other\"><VALUE>x</VALUE></EXPPARAMVALUE>\n"), "CIMOMhdle_exportIndication failed - NewIndication parameter is null!"},
    {intrinsic("DeleteClass", ns), "CIMOMhdle_deleteClass - failed; Null parameter list."},
    {intrinsic("DeleteClass", ns, unrelated), "CIMOMhdle_deleteClass failed - ClassName parameter is null."},
    {intrinsic("DeleteQualifier", ns), "CIMOMhdle_deleteQualifier: failed - Null parameter list."},
    {intrinsic("DeleteQualifier", ns, unrelated), "CIMOMhdle_deleteQualifier failed - QualifierName parameter is null."},
    {intrinsic("GetQualifier", ns), "CIMOMhdle_getQualifier: failed - Null parameter list."},
    {intrinsic("GetClass", ns), "CIMOMhdle_getClass: copyCIMPropertyList failed."},
    {intrinsic("GetClass", ns, classNameAsInstance), "CIMOMhdle_getClass - failed; ClassName parameter is null."},
    {intrinsic("GetClass", ns, valueParam("LocalOnly", "true")), "CIMOMhdle_getClass - failed; ClassName parameter is null."},
    {intrinsic("GetClass", "", classNameParam("CIM_Foo")), "CIMOMhdle_getClass: failed - Null parameter(s)."},
    {intrinsic("ModifyClass", ns), "CIMOMhdle_modifyClass: failed - Null parameter list."},
    {intrinsic("ModifyClass", ns, iparam("ModifiedClass", instanceXml("CIM_Foo", "Name", "a"))), "CIMOMhdle_modifyClass - failed; Null parameter."},
    {intrinsic("CreateClass", ns), "CIMOMhdle_createClass failed - Null parameter list."},
    {intrinsic("CreateClass", ns, unrelated), "CIMOMhdle_createClass failed - NewClass parameter is null."},
    {intrinsic("GetProperty", ns), "CIMOMhdle_getProperty: failed - Null parameter list."},
    {intrinsic("GetProperty", ns, caption), "CIMOMhdle_getProperty - No InstanceName parameter."},
    {intrinsic("GetProperty", ns, fooKey), "CIMOMhdle_getProperty failed - PropertyName parameter is null!"},
    {intrinsic("SetProperty", ns), "CIMOMhdle_setProperty - failed; Null parameter list."},
    {intrinsic("SetProperty", ns, instanceNameAsString + caption), "CIMOMhdle_setProperty - No InstanceName parameter."},
    {intrinsic("SetProperty", ns, fooKey), "CIMOMhdle_setProperty failed - PropertyName parameter is null!"},
};

class EarlyFailures : public testing::TestWithParam<EarlyFailure> {};

TEST_P(EarlyFailures, AreAnsweredWithTheirTextAndCallNoSlot) {
    const EarlyFailure &f = GetParam();
    CimomDouble cimom;
    cimom.answerEverySlot();
    LogCapture log(0);
    // Answered as the operation named in the text, an export in the method form.
    std::string name = f.text + 10;
    name = name.substr(0, name.find_first_of(" :"));
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
    EXPECT_EQ(requestmix::respond(f.request, cimom.handle()),
              simpleResponse(name == "ExportIndication" ? "METHODRESPONSE" : "IMETHODRESPONSE", name,
                             "<ERROR CODE=\"1\" DESCRIPTION=\"" + escaped(f.text) + "\"/>\n"));
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

// Every function refuses a missing message or handle.
TEST(EarlyFailures, NullMessageOrHandle) {
    const OperationFunction functions[] = {
        CIMOMhdle_createInstance,   CIMOMhdle_exportIndication, CIMOMhdle_enumerateQualifiers,
        CIMOMhdle_enumerateClasses, CIMOMhdle_enumerateClassNames, CIMOMhdle_deleteQualifier,
        CIMOMhdle_getQualifier,     CIMOMhdle_setQualifier,     CIMOMhdle_createClass,
        CIMOMhdle_deleteClass,      CIMOMhdle_getClass,         CIMOMhdle_modifyClass,
        CIMOMhdle_getProperty,      CIMOMhdle_setProperty,      CIMOMhdle_modifyInstance,
        CIMOMhdle_deleteInstance,   CIMOMhdle_enumerateInstances, CIMOMhdle_enumerateInstanceNames,
        CIMOMhdle_getInstance,      CIMOMhdle_execQuery,        CIMOMhdle_invokeMethod,
        CIMOMhdle_associators,      CIMOMhdle_associatorNames,  CIMOMhdle_references,
        CIMOMhdle_referenceNames};
    CimomDouble cimom;
    LogCapture log(-1);
    for (OperationFunction function : functions) {
        markLastError();
        EXPECT_EQ(run(function, "", cimom.handle()), 0);
        std::string first = lastError();
        EXPECT_EQ(run(function, intrinsic("GetClass", ns, classNameParam("CIM_Foo")), nullptr), 0);
        EXPECT_EQ(lastError(), first);
        EXPECT_TRUE(first.rfind("1: CIMOMhdle_", 0) == 0 && first.find("Null parameter") != std::string::npos) << first;
    }
    EXPECT_EQ(cimom.callsText(), "");
}

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
    {"NoInstanceList", CIMOMhdle_enumerateInstances, intrinsic("EnumerateInstances", ns, classNameParam("CIM_Foo")),
     [](CimomDouble &, CIMOMHandle &) {}, "1: CIMOMhdle_enumerateInstances - pfn_enumerateInstances failed!",
     "CIMOMhdle_enumerateInstances - pfn_enumerateInstances failed!"},
    {"NoDeliverySlot", CIMOMhdle_exportIndication, alert,
     [](CimomDouble &, CIMOMHandle &table) { table.pfn_deliverIndication = nullptr; }, unchanged, nullptr},
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
