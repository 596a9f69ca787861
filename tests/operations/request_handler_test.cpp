// The exported request handler: texts it refuses (in both profiles), names
// it does not serve, a document that does not decode, large requests, the
// response record, the heap after many requests, and eight threads sending
// requests while the collector runs.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "cimxml/module_lifecycle.h"
#include "support/log_capture.h"
#include "support/profiles.h"
#include "support/request_mix.h"
#include "support/xml_checks.h"

namespace {

using namespace testsupport;
using requestmix::respond;

const std::string ns = "root/cimv2";
const std::string getClass = intrinsic("GetClass", ns, classNameParam("CIM_Foo"));

struct RefusedText {
    const char *name;
    const char *text;  // NULL stands for a NULL request
    bool withHandle;
    const char *error;
    const char *logged;
    ProfileChanges strict = {};  // what the strict profile answers differently
};

const std::string huge = "<" + std::string(8 << 20, 'a');
const std::string bom = "\xEF\xBB\xBF" + getClass;
const std::string blankFirst = " " + getClass;
const std::string multiRequest =
    request("<MULTIREQ>\n<SIMPLEREQ>\n<IMETHODCALL NAME=\"GetClass\">\n</IMETHODCALL>\n</SIMPLEREQ>\n</MULTIREQ>\n");
const char *const invalid = "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>\n";
const char *const empty = "CIMXML_RequestMessage_Handler - Message body is empty";
const char *const kindless = "<ERROR CODE=\"1\" DESCRIPTION=\"Message does not contain the operation type!\"/>\n";
const char *const multiple = "<ERROR CODE=\"7\" DESCRIPTION=\"Multiple requests are not supported!!\"/>\n";
const char *const noKind = "CIMXML_RequestMessage_Handler - Message does not contain the operation type!";
const char *const multipleLogged = "CIMXML_RequestMessage_Handler - Multiple requests are not supported!";
// Strict reads a document behind a byte-order mark and blanks (the double
// answers GetClass without a class).
const ProfileChanges answered = {{"ID=\"ID\"", "ID=\"1001\""},
                                 {"\"Unknown\">\n<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!",
                                  "\"GetClass\">\n<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed."}};

const RefusedText refusedTexts[] = {
    {"NullText", nullptr, true, invalid, empty, cimErrorLine("request-not-well-formed")},
    {"EmptyText", "", true, invalid, empty, cimErrorLine("request-not-well-formed")},
    {"EmptyTextWithoutHandle", "", false, invalid, empty, cimErrorLine("request-not-well-formed")},
    {"BlankFirst", blankFirst.c_str(), true, invalid, empty, answered},
    {"ByteOrderMarkFirst", bom.c_str(), true, invalid, empty, answered},
    {"AResponse", "<CIM><MESSAGE ID=\"1\"><SIMPLERSP><METHODRESPONSE NAME=\"X\"/></SIMPLERSP></MESSAGE></CIM>", true,
     kindless, noKind, cimErrorLine("request-not-valid")},
    // Strict finds these as elements, with the message id.
    {"MultipleRequests", multiRequest.c_str(), true, multiple, multipleLogged, {{"ID=\"ID\"", "ID=\"1001\""}}},
    {"MultipleExports",
     "<CIM><MESSAGE ID=\"1\"><MULTIEXPREQ><SIMPLEEXPREQ><EXPMETHODCALL NAME=\"ExportIndication\">"
     "</EXPMETHODCALL></SIMPLEEXPREQ></MULTIEXPREQ></MESSAGE></CIM>",
     true, multiple, multipleLogged, {{"ID=\"ID\"", "ID=\"1\""}}},
    {"NoHandle", getClass.c_str(), false, "<ERROR CODE=\"1\" DESCRIPTION=\"The CIMOM Handle is NULL!\"/>\n",
     "CIMXML_RequestMessage_Handler - The CIMOM Handle is NULL!"},
    {"HugeTextOfNoKind", huge.c_str(), true, kindless, noKind, cimErrorLine("request-not-valid")},
};

TEST(Handler, RefusedTextsAreAnsweredWithAWholeErrorDocumentInEachProfile) {
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        CimomDouble cimom;
        for (const RefusedText &r : refusedTexts) {
            LogCapture log(0);
            std::string response = respond(r.text, r.withHandle ? cimom.handle() : nullptr);
            std::string refused = simpleResponse("IMETHODRESPONSE", "Unknown", r.error, "ID");
            EXPECT_EQ(withoutFreshId(response), strict ? strictForm(refused, r.strict) : refused) << r.name;
            EXPECT_TRUE(strict || log.contains(r.logged, 0)) << r.name;
        }
        EXPECT_TRUE(strict || cimom.callsText().empty()) << cimom.callsText();
    }
}

TEST(Dispatch, NamesOutsideTheListInAnyCaseAreNotSupported) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    LogCapture log(2);
    for (const char *name : {"FrobnicateClass", "getclass", "GETCLASS", "Getclass", "GetClass "}) {
        EXPECT_EQ(respond(intrinsic(name, ns, classNameParam("CIM_Foo")), cimom.handle()),
                  simpleResponse("IMETHODRESPONSE", "MethodResponse", "<ERROR CODE=\"7\" />\n"))
            << name;
        EXPECT_TRUE(log.contains(std::string(name) + " method not supported", 0)) << name;
    }
    EXPECT_EQ(cimom.callsText(), "");
    respond(getClass, cimom.handle());
    EXPECT_TRUE(log.contains("Forwarding GetClass request to object manager", 2));
}

// A malformed document is answered with the error the thread held before
// (one of the handler thread test's requests, and of the profile test's);
// a thread that holds no last error answers status 1.
TEST(UndecodableRequests, AreAnsweredWithWhatTheThreadHolds) {
    CimomDouble cimom;
    LogCapture log(0);
    std::string response;
    std::thread([&] { response = respond("<CIM><IMETHODCALL NAME=\"GetClass\">", cimom.handle()); }).join();
    EXPECT_EQ(withoutFreshId(response), simpleResponse("IMETHODRESPONSE", "Unknown", "<ERROR CODE=\"1\" />\n", "ID"));
}

TEST(LargeRequests, AnInstanceOfSeveralMegabytesIsPassedOnWhole) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    const std::string big(4 << 20, 'x');
    respond(intrinsic("CreateInstance", ns, iparam("NewInstance", instanceXml("CIM_Foo", "Name", big))), cimom.handle());
    EXPECT_EQ(
        cimom.callsText(),
        "pfn_createInstance(path=root/cimv2:CIM_Foo, instance=root/cimv2:CIM_Foo{Name:string=\"" + big + "\"})\n");
}

TEST(ResponseRecord, GivesTheSameTextUntilReleasedAndIsMeasuredOncePerCall) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    LogCapture log(-1);
    ZelStatsFigures before{}, after{};
    ASSERT_EQ(zelStatsRead(cimxmlStats, CIMXML_STATS_HANDLE, &before), 1);
    MessageHandler *record = CIMXML_RequestMessage_Handler(getClass.c_str(), nullptr, cimom.handle());
    ASSERT_NE(record, nullptr);
    char *first = CIMXML_getResponseFromMessageHandler(record);
    EXPECT_EQ(CIMXML_getResponseFromMessageHandler(record), first);
    const std::string text = first;
    CIMXML_releaseMessageHandler(record);
    EXPECT_EQ(text, respond(getClass, cimom.handle()));
    EXPECT_EQ(CIMXML_getResponseFromMessageHandler(nullptr), nullptr);
    CIMXML_releaseMessageHandler(nullptr);
    respond(nullptr, cimom.handle());
    respond(multiRequest, cimom.handle());
    respond(intrinsic("Nothing", ns), cimom.handle());
    ASSERT_EQ(zelStatsRead(cimxmlStats, CIMXML_STATS_HANDLE, &after), 1);
    EXPECT_EQ(after.count - before.count, 5u);
}

// The strict profile tells the host each answer's parts: the header lines,
// the document and the status its ERROR carries, the same as the text says;
// classic offers only the text.
TEST(ResponseRecord, StrictGivesTheAnswersPartsAsTheTextHasThem) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    cimom.setStatus("pfn_deleteInstance", 6, "not found");
    cimom.setStatus("pfn_invokeMethod", 17, "no such method");
    LogCapture log(-1);
    const std::string requests[] = {
        getClass,
        intrinsic("DeleteInstance", ns, "<IPARAMVALUE NAME=\"InstanceName\">" + instanceName("CIM_Foo", "a") + "</IPARAMVALUE>\n"),
        extrinsic("Reset", ns, "CIM_Foo"),
        intrinsic("OpenEnumerateInstances", ns, classNameParam("CIM_Foo")),
        multiRequest,
        "",
        "<CIM><MESSAGE ID=\"1\"><SIMPLEREQ><IMETHODCALL NAME=\"GetClass\"></SIMPLEREQ></MESSAGE></CIM>",
    };
    static const std::regex code("<(?:IMETHODRESPONSE|METHODRESPONSE)[^>]*>\\s*<ERROR CODE=\"(\\d+)\"");
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        std::set<int> statuses;
        for (const std::string &request : requests) {
            MessageHandler *record = CIMXML_RequestMessage_Handler(request.c_str(), nullptr, cimom.handle());
            ASSERT_NE(record, nullptr);
            const std::string text = CIMXML_getResponseFromMessageHandler(record);
            CIMXMLAnswerParts parts{};
            int offered = CIMXML_getAnswerParts(record, &parts);
            // The parts point into the record: copy them before it goes.
            const std::string header = offered ? std::string(parts.header, parts.headerLength) : "";
            const std::string body = offered ? std::string(parts.body, parts.bodyLength) : "";
            CIMXML_releaseMessageHandler(record);
            if (!strict) {
                EXPECT_EQ(offered, 0);
                continue;
            }
            ASSERT_EQ(offered, 1) << request;
            std::smatch found;
            int status = std::regex_search(text, found, code) ? std::stoi(found[1]) : 0;
            EXPECT_EQ(header + "\r\n" + body, text);
            EXPECT_EQ(parts.status, status) << text;
            statuses.insert(status);
        }
        if (strict) {
            EXPECT_EQ(statuses, (std::set<int>{0, 1, 4, 6, 7, 17}));
        }
    }
    EXPECT_EQ(CIMXML_getAnswerParts(nullptr, nullptr), 0);
}

// The module frees what it owns: once warmed up, the same requests again and
// again leave the ordinary heap (where CIM objects live) where it was.
TEST(Resources, RepeatedRequestsDoNotGrowTheHeap) {
    CimomDouble cimom;
    cimom.answerEverySlot();
    cimom.setStatus("pfn_deleteInstance", 6, "not found");
    cimom.setRecording(false);
    LogCapture log(-1);
    const std::string fooKey = iparam("InstanceName", instanceName("CIM_Foo", "a"));
    std::vector<std::string> requests = {
        intrinsic("GetInstance", ns, fooKey + iparam("PropertyList", "<VALUE.ARRAY/>")),
        intrinsic("DeleteInstance", ns, fooKey), intrinsic("GetProperty", ns, fooKey + valueParam("PropertyName", "C")),
        intrinsic("Associators", ns, iparam("ObjectName", instanceName("CIM_Foo", "a"))),
        intrinsic("EnumerateQualifiers", ns), intrinsic("EnumerateClasses", ns),
        extrinsic("Reset", ns, "CIM_Foo", "<PARAMVALUE NAME=\"Force\"><VALUE>true</VALUE></PARAMVALUE>\n"),
        exportRequest("<EXPPARAMVALUE NAME=\"NewIndication\">" + instanceXml("CIM_Alert", "Message", "m") +
                      "</EXPPARAMVALUE>\n"),
        intrinsic("GetClass", ns)};
    for (const requestmix::Kind &kind : requestmix::request_mix()) requests.push_back(kind.request);
    auto round = [&] {
        for (const std::string &text : requests) respond(text, cimom.handle());
    };
    for (int i = 0; i < 50; ++i) round();
    std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 500; ++i) round();
    std::size_t after = mallinfo2().uordblks;
    EXPECT_LT(after, before + 64 * 1024) << "heap grew from " << before << " to " << after;
}

// Eight threads send a mix of requests through the handler while another
// thread forces collections: every answer must be the one the same request
// gets alone, and every thread must find its own last error afterwards.

TEST(HandlerThreads, EveryThreadGetsItsOwnAnswersAndLastErrorWhileTheCollectorRuns) {
    using namespace requestmix;
    constexpr int threads = 8, perThread = 2500;
    cimxml_process_attach();
    CimomDouble cimom, failing;
    cimom.answerEverySlot();
    failing.setStatus("pfn_getClass", 6, not_found_text);
    Handles handles{cimom.handle(), failing.handle()};

    // The failure lines each kind logs alone; under threads each must come
    // as often as its kind was sent, none lost or garbled.
    LogCapture log(0);
    const std::vector<Kind> kinds = request_mix();
    std::vector<Expected> expected;
    std::vector<std::map<std::string, std::size_t>> linesOf(kind_count);
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        log.clear();
        expected.push_back(answer(kinds[k], handles, "baseline"));
        for (const auto &line : log.lines()) ++linesOf[k][line.text];
        EXPECT_NE(expected[k].response.find(kinds[k].mustHold), std::string::npos) << expected[k].response;
        EXPECT_EQ(testsupport::wellFormednessError(testsupport::bodyAfterHeader(expected[k].response)), "");
    }
    EXPECT_NE(cimom.callsText().find("CIM_Inner{X:uint32=5}"), std::string::npos)
        << "the embedded instance did not reach the object manager:\n" << cimom.callsText();
    EXPECT_EQ(expected[get_class_not_found].lastError, std::string("6: ") + not_found_text);
    // Neither an unknown operation nor an unparsable document stores an error.
    EXPECT_EQ(expected[unknown_operation].lastError, "2: baseline");
    EXPECT_EQ(expected[malformed].lastError, "2: baseline");
    log.clear();
    cimom.clearCalls();
    failing.clearCalls();
    cimom.setRecording(false);
    failing.setRecording(false);

    StressResult result = run_stress(kinds, expected, handles, threads, perThread, std::chrono::milliseconds(2));
    std::printf("%d requests on %d threads in %.2f s with %d forced collections\n", threads * perThread, threads,
                result.seconds, result.collections);
    EXPECT_EQ(result.failures, 0);
    for (const std::string &failure : result.firstFailures) ADD_FAILURE() << failure;
    EXPECT_GT(result.collections, 1);

    std::map<std::string, std::size_t> wanted, logged;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        for (const auto &[text, count] : linesOf[k]) wanted[text] += count * result.sentPerKind[k];
    }
    for (const auto &line : log.lines()) ++logged[line.text];
    EXPECT_EQ(logged, wanted);
    // Every request reached the object manager exactly once.
    EXPECT_EQ(cimom.callCount("pfn_getClass"), result.sentPerKind[get_class]);
    EXPECT_EQ(failing.callCount("pfn_getClass"), result.sentPerKind[get_class_not_found]);
    EXPECT_EQ(cimom.callCount("pfn_enumerateInstances"), result.sentPerKind[enumerate_instances]);
    EXPECT_EQ(cimom.callCount("pfn_createInstance"), result.sentPerKind[create_instance]);
}

}  // namespace
