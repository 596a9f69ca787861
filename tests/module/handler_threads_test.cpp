// Eight threads send a mix of requests through the handler while another
// thread forces collections: every answer must be the one the same request
// gets alone, and every thread must find its own last error afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "cimxml/module_lifecycle.h"
#include "support/log_capture.h"
#include "support/request_mix.h"
#include "support/xml_checks.h"

namespace {

using namespace requestmix;

TEST(HandlerThreads, EveryThreadGetsItsOwnAnswersAndLastErrorWhileTheCollectorRuns) {
    constexpr int threads = 8, perThread = 2500;
    cimxml_process_attach();
    testsupport::CimomDouble cimom, failing;
    cimom.answerEverySlot();
    failing.setStatus("pfn_getClass", 6, not_found_text);
    Handles handles{cimom.handle(), failing.handle()};

    // The failure lines each kind logs alone; under threads each must come
    // as often as its kind was sent, none lost or garbled.
    testsupport::LogCapture log(0);
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
