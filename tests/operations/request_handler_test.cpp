// The exported request handler: its checks in order, the dispatch by name,
// and a complete response record for every text it is given.
#include <gtest/gtest.h>

#include <malloc.h>

#include <regex>
#include <string>
#include <thread>

#include "cimxml/last_error.h"
#include "cimxml/module_lifecycle.h"
#include "cimxml/request_handler.h"
#include "operations/operation_test_support.h"
#include "support/cimom_double.h"
#include "support/log_capture.h"
#include "support/xml_checks.h"

namespace {

using testsupport::CimomDouble;
using testsupport::LogCapture;
using namespace optest;

const std::string ns = "root/cimv2";
const std::string getClass = intrinsic("GetClass", ns, classNameParam("CIM_Foo"));

// The response with a freshly made message id replaced by "ID".
std::string withoutFreshId(const std::string &response) {
    return std::regex_replace(response, std::regex("<MESSAGE ID=\"[0-9:]+\""), "<MESSAGE ID=\"ID\"");
}

std::string errorResponse(const std::string &id, const std::string &name, const std::string &error,
                          const char *element = "IMETHODRESPONSE") {
    return responseHead(id) + "<SIMPLERSP>\n<" + element + " NAME=\"" + name + "\">\n" + error + "</" + element +
           ">\n</SIMPLERSP>\n" + responseTail();
}

struct RefusedText {
    const char *name;
    const char *text;  // NULL stands for a NULL request
    bool withHandle;
    const char *error;
    const char *logged;
};

void PrintTo(const RefusedText &r, std::ostream *os) { *os << r.name; }

const std::string bom = "\xEF\xBB\xBF" + getClass;
const std::string blankFirst = " " + getClass;
const std::string responseOnly = "<CIM><MESSAGE ID=\"1\"><SIMPLERSP><METHODRESPONSE NAME=\"X\"/></SIMPLERSP></MESSAGE></CIM>";
const std::string multiRequest = request("<MULTIREQ>\n<SIMPLEREQ>\n<IMETHODCALL NAME=\"GetClass\">\n"
                                         "</IMETHODCALL>\n</SIMPLEREQ>\n</MULTIREQ>\n");
const std::string multiExport = "<CIM><MESSAGE ID=\"1\"><MULTIEXPREQ><SIMPLEEXPREQ><EXPMETHODCALL NAME=\"ExportIndication\">"
                                "</EXPMETHODCALL></SIMPLEEXPREQ></MULTIEXPREQ></MESSAGE></CIM>";

const RefusedText refusedTexts[] = {
    {"NullText", nullptr, true, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>\n",
     "CIMXML_RequestMessage_Handler - Message body is empty"},
    {"EmptyText", "", true, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>\n",
     "CIMXML_RequestMessage_Handler - Message body is empty"},
    {"EmptyTextWithoutHandle", "", false, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>\n",
     "CIMXML_RequestMessage_Handler - Message body is empty"},
    {"BlankFirst", blankFirst.c_str(), true, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>\n",
     "CIMXML_RequestMessage_Handler - Message body is empty"},
    {"ByteOrderMarkFirst", bom.c_str(), true, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>\n",
     "CIMXML_RequestMessage_Handler - Message body is empty"},
    {"NoKind", "<CIM><MESSAGE ID=\"1\"/></CIM>", true,
     "<ERROR CODE=\"1\" DESCRIPTION=\"Message does not contain the operation type!\"/>\n",
     "CIMXML_RequestMessage_Handler - Message does not contain the operation type!"},
    {"AResponse", responseOnly.c_str(), true,
     "<ERROR CODE=\"1\" DESCRIPTION=\"Message does not contain the operation type!\"/>\n",
     "CIMXML_RequestMessage_Handler - Message does not contain the operation type!"},
    {"MultipleRequests", multiRequest.c_str(), true,
     "<ERROR CODE=\"7\" DESCRIPTION=\"Multiple requests are not supported!!\"/>\n",
     "CIMXML_RequestMessage_Handler - Multiple requests are not supported!"},
    {"MultipleExports", multiExport.c_str(), true,
     "<ERROR CODE=\"7\" DESCRIPTION=\"Multiple requests are not supported!!\"/>\n",
     "CIMXML_RequestMessage_Handler - Multiple requests are not supported!"},
    {"NoHandle", getClass.c_str(), false, "<ERROR CODE=\"1\" DESCRIPTION=\"The CIMOM Handle is NULL!\"/>\n",
     "CIMXML_RequestMessage_Handler - The CIMOM Handle is NULL!"},
};

class RefusedTexts : public testing::TestWithParam<RefusedText> {};

TEST_P(RefusedTexts, AreAnsweredWithAWholeErrorDocument) {
    const RefusedText &r = GetParam();
    CimomDouble cimom;
    LogCapture log(0);
    std::string response = handle(r.text, r.withHandle ? cimom.handle() : nullptr);
    EXPECT_EQ(withoutFreshId(response), errorResponse("ID", "Unknown", r.error));
    EXPECT_EQ(testsupport::wellFormednessError(testsupport::bodyAfterHeader(response)), "");
    EXPECT_TRUE(log.contains(r.logged, 0));
    EXPECT_EQ(cimom.calls().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Handler, RefusedTexts, testing::ValuesIn(refusedTexts),
                         [](const testing::TestParamInfo<RefusedText> &info) { return info.param.name; });

TEST(MultiRequestTest, FindsEitherMarkerAnywhere) {
    EXPECT_EQ(isMultiRequest(nullptr), 0);
    EXPECT_EQ(isMultiRequest(""), 0);
    EXPECT_EQ(isMultiRequest("<SIMPLEREQ>"), 0);
    EXPECT_EQ(isMultiRequest("<MULTIREQ>"), 1);
    EXPECT_EQ(isMultiRequest("x MULTIEXPREQ"), 1);
    EXPECT_EQ(isMultiRequest("<multireq>"), 0) << "case-sensitive";
}

// ---- Dispatch ----

TEST(Dispatch, AnUnknownOperationIsNotSupported) {
    CimomDouble cimom;
    LogCapture log(0);
    EXPECT_EQ(handle(intrinsic("FrobnicateClass", ns), cimom.handle()),
              errorResponse("1001", "MethodResponse", "<ERROR CODE=\"7\" />\n"));
    EXPECT_TRUE(log.contains("FrobnicateClass method not supported", 0));
}

TEST(Dispatch, NamesAreMatchedWithTheirCase) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    for (const char *name : {"getclass", "GETCLASS", "Getclass", "GetClass "}) {
        EXPECT_EQ(handle(intrinsic(name, ns, classNameParam("CIM_Foo")), cimom.handle()),
                  errorResponse("1001", "MethodResponse", "<ERROR CODE=\"7\" />\n"))
            << name;
    }
    EXPECT_EQ(cimom.calls().size(), 0u);
}

TEST(Dispatch, AnExtrinsicMethodNamedLikeAnEarlyIntrinsicOperationIsThatOperation) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    std::string response = handle(
        extrinsic("GetClass", ns, "CIM_Foo", "<PARAMVALUE NAME=\"ClassName\"><VALUE>CIM_Foo</VALUE></PARAMVALUE>\n"),
        cimom.handle());
    EXPECT_EQ(responseStartLine(response), "<IMETHODRESPONSE NAME=\"GetClass\">");
    EXPECT_EQ(cimom.callCount("pfn_getClass"), 1u);
    EXPECT_EQ(cimom.callCount("pfn_invokeMethod"), 0u);
}

TEST(Dispatch, AnExtrinsicMethodNamedLikeALaterOperationIsAMethodCall) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    std::string response = handle(extrinsic("Associators", ns, "CIM_Foo"), cimom.handle());
    EXPECT_EQ(responseStartLine(response), "<METHODRESPONSE NAME=\"Associators\">");
    EXPECT_EQ(cimom.callCount("pfn_invokeMethod"), 1u);
    EXPECT_EQ(cimom.callCount("pfn_associators"), 0u);
}

TEST(Dispatch, AFailedOperationIsAnsweredWithItsLastError) {
    CimomDouble cimom;
    LogCapture log(0);
    EXPECT_EQ(handle(intrinsic("GetClass", ns), cimom.handle()),
              errorResponse("1001", "GetClass",
                            "<ERROR CODE=\"1\" DESCRIPTION=\"CIMOMhdle_getClass: copyCIMPropertyList failed.\"/>\n"));
    EXPECT_TRUE(log.contains("CIMOMhdle_getClass - failed.", 0));
}

TEST(Dispatch, AFailedMethodCallIsAnsweredInTheIntrinsicForm) {
    CimomDouble cimom;
    LogCapture log(0);
    EXPECT_EQ(handle(request("<SIMPLEREQ>\n<METHODCALL NAME=\"Reset\">\n</METHODCALL>\n</SIMPLEREQ>\n"),
                     cimom.handle()),
              errorResponse("1001", "InvokeMethod",
                            "<ERROR CODE=\"1\" DESCRIPTION=\"CIMOMhdle_invokeMethod: failed - Null parameter(s).\"/>\n"));
    EXPECT_TRUE(log.contains("CIMOMhdle_invokeMethod - failed.", 0));
}

TEST(Dispatch, TheForwardedOperationIsTraced) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    LogCapture log(2);
    handle(getClass, cimom.handle());
    EXPECT_TRUE(log.contains("Forwarding GetClass request to object manager", 2));
}

// ---- Documents that do not decode ----

void storeLastError(int code, const wchar_t *description) {
    ReturnCode *rc = newReturnCode(code, description);
    cimxml_setlasterror(rc);
    freeReturnCode(rc);
}

TEST(UndecodableRequests, AMalformedDocumentReportsWhatTheThreadHolds) {
    CimomDouble cimom;
    LogCapture log(0);
    storeLastError(5, L"left from before");
    std::string response = handle("<CIM><MESSAGE ID=\"9\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"GetClass\"></SIMPLEREQ>",
                                  cimom.handle());
    EXPECT_EQ(withoutFreshId(response),
              errorResponse("ID", "Unknown", "<ERROR CODE=\"5\" DESCRIPTION=\"left from before\"/>\n"));
    EXPECT_TRUE(log.containsFragment("Parse error at line 1"));
}

TEST(UndecodableRequests, AThreadWithoutLastErrorAnswersStatusOne) {
    CimomDouble cimom;
    std::string response;
    std::thread fresh([&] {
        LogCapture log(0);
        response = handle("<CIM><IMETHODCALL NAME=\"GetClass\">", cimom.handle());
    });
    fresh.join();
    EXPECT_EQ(withoutFreshId(response), errorResponse("ID", "Unknown", "<ERROR CODE=\"1\" />\n"));
}

TEST(UndecodableRequests, ARequestWithoutCallElementKeepsItsMessageId) {
    CimomDouble cimom;
    LogCapture log(0);
    storeLastError(1, L"no call");
    std::string response =
        handle("<CIM><MESSAGE ID=\"77\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ>METHODCALL</SIMPLEREQ></MESSAGE></CIM>",
               cimom.handle());
    EXPECT_EQ(response, errorResponse("77", "Unknown", "<ERROR CODE=\"1\" DESCRIPTION=\"no call\"/>\n"));
}

// Every prefix of a request (the document cut at any byte) gets a whole,
// well-formed response.
TEST(UndecodableRequests, DocumentsCutAtAnyByte) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    cimom.setRecording(false);
    LogCapture log(-1);
    const std::string full = intrinsic("GetInstance", ns,
                                       instanceNameParam("CIM_Foo", "Name", "a&amp;b") +
                                           valueParam("LocalOnly", "false") +
                                           iparam("PropertyList", "<VALUE.ARRAY><VALUE>Name</VALUE></VALUE.ARRAY>"));
    for (std::size_t length = 0; length <= full.size(); ++length) {
        std::string cut = full.substr(0, length);
        std::string response = handle(cut, cimom.handle());
        ASSERT_EQ(response.rfind("CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n", 0), 0u) << length;
        ASSERT_EQ(testsupport::wellFormednessError(testsupport::bodyAfterHeader(response)), "") << length;
    }
    EXPECT_EQ(cimom.callCount("pfn_getInstance"), 2u)
        << "only the whole document, with or without its final line feed, reaches the object manager";
}

TEST(LargeRequests, AnInstanceOfSeveralMegabytesIsPassedOnWhole) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    const std::string big(4 << 20, 'x');
    std::string response =
        handle(intrinsic("CreateInstance", ns, iparam("NewInstance", instanceXml("CIM_Foo", "Name", big))),
               cimom.handle());
    EXPECT_EQ(responseStartLine(response), "<IMETHODRESPONSE NAME=\"CreateInstance\">");
    EXPECT_EQ(response.find("<ERROR"), std::string::npos);
    EXPECT_EQ(cimom.lastCall("pfn_createInstance")[1].second,
              "root/cimv2:CIM_Foo{Name:string=\"" + big + "\"}");
}

TEST(LargeRequests, AHugeUnknownTextIsRefusedCheaply) {
    CimomDouble cimom;
    LogCapture log(0);
    const std::string big = "<" + std::string(8 << 20, 'a');
    EXPECT_EQ(withoutFreshId(handle(big, cimom.handle())),
              errorResponse("ID", "Unknown",
                            "<ERROR CODE=\"1\" DESCRIPTION=\"Message does not contain the operation type!\"/>\n"));
}

// ---- The response record ----

TEST(ResponseRecord, GivesTheSameTextUntilReleased) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    MessageHandler *record = CIMXML_RequestMessage_Handler(getClass.c_str(), nullptr, cimom.handle());
    ASSERT_NE(record, nullptr);
    char *first = CIMXML_getResponseFromMessageHandler(record);
    EXPECT_EQ(CIMXML_getResponseFromMessageHandler(record), first);
    EXPECT_EQ(responseStartLine(first), "<IMETHODRESPONSE NAME=\"GetClass\">");
    CIMXML_releaseMessageHandler(record);
    EXPECT_EQ(CIMXML_getResponseFromMessageHandler(nullptr), nullptr);
    CIMXML_releaseMessageHandler(nullptr);
}

TEST(ResponseRecord, EveryCallIsMeasuredOnce) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    LogCapture log(-1);
    ZelStatsFigures before{};
    ZelStatsFigures after{};
    ASSERT_EQ(zelStatsRead(cimxmlStats, CIMXML_STATS_HANDLE, &before), 1);
    handle(getClass, cimom.handle());
    handle(nullptr, cimom.handle());
    handle(multiRequest, cimom.handle());
    handle(intrinsic("Nothing", ns), cimom.handle());
    ASSERT_EQ(zelStatsRead(cimxmlStats, CIMXML_STATS_HANDLE, &after), 1);
    EXPECT_EQ(after.count - before.count, 4u);
}

// ---- Threads and resources ----

TEST(LastError, StaysWithItsThread) {
    CimomDouble cimom;
    LogCapture log(-1);
    storeLastError(6, L"this thread's");
    std::thread other([&] { handle(intrinsic("GetClass", ns), cimom.handle()); });
    other.join();
    EXPECT_EQ(lastError(), "6: this thread's");
}

// The module frees what it owns: once warmed up, the same requests again and
// again leave the ordinary heap (where CIM objects live) where it was.
TEST(Resources, RepeatedRequestsDoNotGrowTheHeap) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    cimom.setStatus("pfn_deleteInstance", 6, "not found");
    cimom.setRecording(false);
    LogCapture log(-1);
    const std::string fooKey = instanceNameParam("CIM_Foo", "Name", "a");
    const std::string requests[] = {
        getClass,
        intrinsic("EnumerateInstances", ns, classNameParam("CIM_Foo") + iparam("PropertyList", "<VALUE.ARRAY/>")),
        intrinsic("EnumerateClasses", ns),
        intrinsic("GetInstance", ns, fooKey),
        intrinsic("DeleteInstance", ns, fooKey),
        intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "Caption")),
        intrinsic("CreateInstance", ns, iparam("NewInstance", instanceXml("CIM_Foo", "Name", "b"))),
        intrinsic("Associators", ns, iparam("ObjectName", "<INSTANCENAME CLASSNAME=\"CIM_Foo\"><KEYBINDING "
                                                          "NAME=\"Name\"><KEYVALUE>a</KEYVALUE></KEYBINDING>"
                                                          "</INSTANCENAME>")),
        intrinsic("ReferenceNames", ns, iparam("ObjectName", "<CLASSNAME NAME=\"CIM_Foo\"/>")),
        intrinsic("EnumerateQualifiers", ns),
        extrinsic("Reset", ns, "CIM_Foo", "<PARAMVALUE NAME=\"Force\"><VALUE>true</VALUE></PARAMVALUE>\n"),
        exportRequest("<EXPPARAMVALUE NAME=\"NewIndication\">" + instanceXml("CIM_Alert", "Message", "m") +
                      "</EXPPARAMVALUE>\n"),
        intrinsic("GetClass", ns),
        intrinsic("Unknown", ns),
        "<CIM><IMETHODCALL NAME=\"GetClass\">",
    };
    auto round = [&] {
        for (const std::string &text : requests) handle(text, cimom.handle());
    };
    for (int i = 0; i < 50; ++i) round();
    std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 500; ++i) round();
    std::size_t after = mallinfo2().uordblks;
    EXPECT_LT(after, before + 64 * 1024) << "heap grew from " << before << " to " << after;
}

}  // namespace
