// How the operation functions fail early: requests that lack what they need
// or give it with the wrong type are answered with the function's own text
// before the object manager is called; a missing message or handle is
// refused.
#include <gtest/gtest.h>

#include <cctype>

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
    const char *text;  // after "CIMOMhdle_"
};

void PrintTo(const EarlyFailure &f, std::ostream *os) { *os << "CIMOMhdle_" << f.text; }

const EarlyFailure earlyFailures[] = {
    {intrinsic("CreateInstance", ns), "createInstance - msgData->method is null!"},
    {intrinsic("CreateInstance", ns, iparam("NewInstance", "<CLASS NAME=\"CIM_Foo\"/>")),
     "createInstance - copyCIMInstance failed."},
    {intrinsic("DeleteInstance", ns), "deleteInstance - copyCIMPropertyList failed!"},
    {intrinsic("DeleteInstance", ns, instanceNameAsString), "deleteInstance failed - InstanceName parameter is NULL!"},
    {intrinsic("EnumerateInstanceNames", ns), "enumerateInstanceNames - copyCIMPropertyList failed."},
    {intrinsic("EnumerateInstanceNames", ns, classNameAsInstance),
     "enumerateInstanceNames: failed - ClassName is null!"},
    {intrinsic("EnumerateInstances", ns), "enumerateInstances - CIMPropertyList is NULL!."},
    {intrinsic("EnumerateInstances", ns, unrelated), "enumerateInstances failed - ClassName parameter is null."},
    {intrinsic("ExecQuery", ns), "execQuery: failed - Null parameter list."},
    {intrinsic("ExecQuery", ns, valueParam("Query", "q")), "execQuery failed - QueryLanguage parameter is null."},
    {intrinsic("ExecQuery", ns, valueParam("QueryLanguage", "WQL")), "execQuery failed - Query parameter is null."},
    {intrinsic("GetInstance", ns), "getInstance - copyCIMPropertyList failed."},
    {intrinsic("GetInstance", ns, unrelated), "getInstance failed - InstanceName parameter is null."},
    {intrinsic("ModifyInstance", ns), "modifyInstance - null parameter list."},
    {intrinsic("ModifyInstance", ns, unrelated), "modifyInstance failed - modifiedInstance parameter is null"},
    {intrinsic("Associators", ns), "associators - null parameter list."},
    {intrinsic("Associators", ns, unrelated), "associators failed - ObjectName parameter type is null."},
    {intrinsic("Associators", ns, iparam("ObjectName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"/>")),
     "associators failed - Could not get ObjectName parameter."},
    {intrinsic("AssociatorNames", ns), "associatorNames - null parameter list."},
    {intrinsic("AssociatorNames", ns, iparam("ObjectName", instanceXml("CIM_Foo", "Name", "a"))),
     "associatorNames failed - ObjectName parameter is null."},
    {intrinsic("References", ns), "references - copyCIMPropertyList failed."},
    {intrinsic("References", ns, unrelated), "references failed - ObjectName parameter type is null."},
    {intrinsic("ReferenceNames", ns), "referenceNames - parameter list is null."},
    {intrinsic("ReferenceNames", ns, unrelated), "referenceNames failed - ObjectName parameter type is null."},
    // A failed method call is answered in the intrinsic form.
    {request("<SIMPLEREQ>\n<METHODCALL NAME=\"Reset\">\n</METHODCALL>\n</SIMPLEREQ>\n"),
     "invokeMethod: failed - Null parameter(s)."},
    {exportRequest(""), "exportIndication: failed - Null parameter list."},
    {exportRequest("<EXPPARAMVALUE NAME=\"Other\"><VALUE>x</VALUE></EXPPARAMVALUE>\n"),
     "exportIndication failed - NewIndication parameter is null!"},
    {intrinsic("DeleteClass", ns), "deleteClass - failed; Null parameter list."},
    {intrinsic("DeleteClass", ns, unrelated), "deleteClass failed - ClassName parameter is null."},
    {intrinsic("DeleteQualifier", ns), "deleteQualifier: failed - Null parameter list."},
    {intrinsic("DeleteQualifier", ns, unrelated), "deleteQualifier failed - QualifierName parameter is null."},
    {intrinsic("GetQualifier", ns), "getQualifier: failed - Null parameter list."},
    {intrinsic("GetClass", ns), "getClass: copyCIMPropertyList failed."},
    {intrinsic("GetClass", ns, classNameAsInstance), "getClass - failed; ClassName parameter is null."},
    {intrinsic("GetClass", ns, valueParam("LocalOnly", "true")), "getClass - failed; ClassName parameter is null."},
    {intrinsic("GetClass", "", classNameParam("CIM_Foo")), "getClass: failed - Null parameter(s)."},
    {intrinsic("ModifyClass", ns), "modifyClass: failed - Null parameter list."},
    {intrinsic("ModifyClass", ns, iparam("ModifiedClass", instanceXml("CIM_Foo", "Name", "a"))),
     "modifyClass - failed; Null parameter."},
    {intrinsic("CreateClass", ns), "createClass failed - Null parameter list."},
    {intrinsic("CreateClass", ns, unrelated), "createClass failed - NewClass parameter is null."},
    {intrinsic("GetProperty", ns), "getProperty: failed - Null parameter list."},
    {intrinsic("GetProperty", ns, caption), "getProperty - No InstanceName parameter."},
    {intrinsic("GetProperty", ns, fooKey), "getProperty failed - PropertyName parameter is null!"},
    {intrinsic("SetProperty", ns), "setProperty - failed; Null parameter list."},
    {intrinsic("SetProperty", ns, instanceNameAsString + caption), "setProperty - No InstanceName parameter."},
    {intrinsic("SetProperty", ns, fooKey), "setProperty failed - PropertyName parameter is null!"},
};

class EarlyFailures : public testing::TestWithParam<EarlyFailure> {};

TEST_P(EarlyFailures, AreAnsweredWithTheirTextAndCallNoSlot) {
    const EarlyFailure &f = GetParam();
    CimomDouble cimom;
    cimom.answerEverySlot();
    LogCapture log(0);
    // Answered as the operation named in the text, an export in the method form.
    std::string text = "CIMOMhdle_" + std::string(f.text), name = text.substr(10, text.find_first_of(" :") - 10);
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
    EXPECT_EQ(requestmix::respond(f.request, cimom.handle()),
              simpleResponse(name == "ExportIndication" ? "METHODRESPONSE" : "IMETHODRESPONSE", name,
                             "<ERROR CODE=\"1\" DESCRIPTION=\"" + escaped(text) + "\"/>\n"));
    EXPECT_TRUE(log.contains(text, 0));
    EXPECT_EQ(cimom.callsText(), "");
}

// Named after the text, e.g. "GetClassFailedClassNameParameterIsNull_35".
INSTANTIATE_TEST_SUITE_P(Operations, EarlyFailures, testing::ValuesIn(earlyFailures), [](const auto &info) {
    std::string name;
    bool upper = true;
    for (const char *c = info.param.text; *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += upper ? static_cast<char>(std::toupper(*c)) : *c;
        upper = !std::isalnum(static_cast<unsigned char>(*c));
    }
    return name + "_" + std::to_string(info.index);
});

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

}  // namespace
