// Eight threads send a mix of requests through the handler while another
// thread forces collections: every answer must be the one the same request
// gets alone, and every thread must find its own last error afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "module/request_mix.h"
#include "support/cimom_double.h"
#include "support/log_capture.h"
#include "support/xml_checks.h"

namespace {

using namespace requestmix;

constexpr int thread_count = 8;
constexpr int requests_per_thread = 2500;

TEST(HandlerThreads, EveryThreadGetsItsOwnAnswersAndLastErrorWhileTheCollectorRuns) {
    cimxml_process_attach();
    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    testsupport::CimomDouble failing;
    failing.setStatus("pfn_getClass", 6, not_found_text);
    Handles handles{cimom.handle(), failing.handle()};

    // Failure lines each kind logs alone; under threads each must come as
    // often as its kind was sent, none lost or garbled.
    testsupport::LogCapture log(0);
    const std::vector<Kind> kinds = request_mix();
    std::vector<Expected> expected;
    std::vector<std::map<std::string, std::size_t>> linesPerKind;
    for (const Kind &kind : kinds) {
        log.clear();
        expected.push_back(answers_alone({kind}, handles).front());
        linesPerKind.emplace_back();
        for (const auto &line : log.lines()) ++linesPerKind.back()[line.text];
    }
    log.clear();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        const std::string &response = expected[k].response;
        EXPECT_NE(response.find(kinds[k].mustHold), std::string::npos) << kinds[k].name << ":\n" << response;
        EXPECT_EQ(testsupport::wellFormednessError(testsupport::bodyAfterHeader(response)), "")
            << kinds[k].name << ":\n"
            << response;
    }
    EXPECT_NE(cimom.lastCall("pfn_createInstance")[1].second.find("CIM_Inner{X:uint32=5}"), std::string::npos)
        << "the embedded instance did not reach the object manager: "
        << cimom.lastCall("pfn_createInstance")[1].second;
    EXPECT_EQ(expected[get_class_not_found].lastError, (LastError{false, 6, not_found_text}));
    // Neither an unknown operation nor a document that does not parse stores
    // an error of its own.
    EXPECT_TRUE(expected[unknown_operation].lastError.keepsMarker);
    EXPECT_TRUE(expected[malformed].lastError.keepsMarker);
    cimom.clearCalls();
    failing.clearCalls();
    cimom.setRecording(false);
    failing.setRecording(false);

    StressResult result =
        run_stress(kinds, expected, handles, thread_count, requests_per_thread, std::chrono::milliseconds(2));
    std::printf("%d requests on %d threads in %.2f s with %d forced collections\n",
                thread_count * requests_per_thread, thread_count, result.seconds, result.collections);
    EXPECT_EQ(result.failures, 0);
    for (const std::string &failure : result.firstFailures) ADD_FAILURE() << failure;
    EXPECT_GT(result.collections, 1);

    std::map<std::string, std::size_t> wantedLines;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        for (const auto &[text, count] : linesPerKind[k]) wantedLines[text] += count * result.sentPerKind[k];
    }
    std::map<std::string, std::size_t> loggedLines;
    for (const auto &line : log.lines()) ++loggedLines[line.text];
    EXPECT_EQ(loggedLines, wantedLines);

    // Every request reached the object manager exactly once, none twice.
    EXPECT_EQ(cimom.callCount("pfn_getClass"), result.sentPerKind[get_class]);
    EXPECT_EQ(failing.callCount("pfn_getClass"), result.sentPerKind[get_class_not_found]);
    EXPECT_EQ(cimom.callCount("pfn_enumerateInstances"), result.sentPerKind[enumerate_instances]);
    EXPECT_EQ(cimom.callCount("pfn_createInstance"), result.sentPerKind[create_instance]);
}

}  // namespace
