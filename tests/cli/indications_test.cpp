// Indications from the real cimxmld to a listener: subscriptions made with
// cimxml-cli in root/interop, each lifecycle kind delivered as an
// ExportIndication that validates against the DTD, filters that must not
// select, a listener that goes down and comes back, and listeners that fail
// until their subscription's error policy applies.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <thread>

#include "replay_server.h"
#include "test_listener.h"
#include "support/xml_checks.h"

namespace clitest {
namespace {

using httptest::ServerProcess;

class Indications : public ::testing::Test {
protected:
    virtual std::vector<std::string> serverArgs() const { return {"--log-level", "info"}; }
    void SetUp() override {
        server = std::make_unique<ServerProcess>(serverArgs());
        url = "http://127.0.0.1:" + std::to_string(server->port());
        ASSERT_EQ(cli({"create-class", url + "/root/cimv2", "--mof", "class Demo_Service { [Key] string Name; string State; };"}), "");
        service = url + "/" + trimmed(cli({"enumerate-instance-names", url + "/root/interop:CIM_IndicationService"}));
    }
    static std::string trimmed(std::string text) {
        while (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    }
    // What cimxml-cli wrote to stdout; a failure fails the test.
    std::string cli(const std::vector<std::string> &args) {
        httptest::CommandResult result = runTool(args);
        EXPECT_EQ(result.status, 0) << args.front() << ": " << result.err;
        return result.out;
    }
    // Creates an instance in root/interop from MOF; its path without namespace.
    std::string make(const std::string &mof) {
        std::string path = trimmed(cli({"create-instance", url + "/root/interop", "--mof", mof}));
        return path.substr(path.find(':') + 1);
    }
    static std::string quoted(const std::string &text) { return "\"" + std::regex_replace(text, std::regex("\""), "\\\"") + "\""; }
    // A filter, a destination at the listener's target and a subscription
    // joining them; the subscription's URL.
    std::string subscribe(const std::string &name, const std::string &query, const std::string &language,
                          const std::string &target, const std::string &policy = "2") {
        std::string filter = make("instance of CIM_IndicationFilter { Name = " + quoted(name) + "; Query = " +
                                  quoted(query) + "; QueryLanguage = " + quoted(language) + "; };");
        std::string destination = make("instance of CIM_ListenerDestinationCIMXML { Name = " + quoted(name) +
                                       "; Destination = \"http://127.0.0.1:" + std::to_string(listener.port()) +
                                       target + "\"; };");
        return url + "/root/interop:" +
               make("instance of CIM_IndicationSubscription { Filter = " + quoted(filter) + "; Handler = " +
                    quoted(destination) + "; OnFatalErrorPolicy = " + policy + "; };");
    }
    void write(const std::string &what, const std::string &state) {
        const std::string web = url + "/root/cimv2:Demo_Service.Name=\"web\"";
        if (what == "create")
            cli({"create-instance", url + "/root/cimv2", "--mof", "instance of Demo_Service { Name = \"web\"; State = \"" + state + "\"; };"});
        else if (what == "set")
            cli({"set-property", web, "State=" + state});
        else
            cli({"delete-instance", web});
    }
    void retries(int attempts, int interval) {
        cli({"set-property", service, "DeliveryRetryAttempts=" + std::to_string(attempts)});
        cli({"set-property", service, "DeliveryRetryInterval=" + std::to_string(interval)});
    }

    TestListener listener;
    std::unique_ptr<ServerProcess> server;
    std::string url, service;
};

// The value of a property of an export request's indication; an embedded
// instance as its CIM-XML text.
std::string property(const std::string &body, const std::string &name) {
    std::smatch found;
    if (!std::regex_search(body, found, std::regex("<PROPERTY NAME=\"" + name + "\"[^>]*>\n(<VALUE>(<!\\[CDATA\\[)?([^\\]<]*|[^\\]]*)(\\]\\]>)?</VALUE>\n)?</PROPERTY>")))
        return "absent";
    return found[1].matched ? found[3].str() : "NULL";
}

std::string demo(const std::string &state) {
    return "<INSTANCE CLASSNAME=\"Demo_Service\">\n<PROPERTY NAME=\"Name\" TYPE=\"string\" PROPAGATED=\"false\">\n"
           "<VALUE>web</VALUE>\n</PROPERTY>\n<PROPERTY NAME=\"State\" TYPE=\"string\" PROPAGATED=\"false\">\n<VALUE>" +
           state + "</VALUE>\n</PROPERTY>\n</INSTANCE>\n";
}

// One line per export: target, class, number, source and previous state.
std::string summary(const std::vector<ReceivedExport> &exports) {
    std::string text;
    for (const ReceivedExport &one : exports) {
        std::smatch kind;
        std::regex_search(one.body, kind, std::regex("<INSTANCE CLASSNAME=\"(CIM_Inst[A-Za-z]+)\""));
        auto state = [&](const std::string &name) {
            std::string value = property(one.body, name);
            for (const char *s : {"starting", "running", "stopped"})
                if (value == demo(s)) return std::string(s);
            return value;
        };
        text += one.head.substr(5, one.head.find(' ', 5) - 5) + " " + kind[1].str() + " #" +
                property(one.body, "SequenceNumber") + " " + state("SourceInstance") + " was " +
                state("PreviousInstance") + (one.accepted ? "" : " (refused)") + "\n";
    }
    return text;
}

TEST_F(Indications, EachIndicationKindReachesItsListenerAsAValidExportIndication) {
    subscribe("demo", "SELECT * FROM CIM_InstIndication WHERE SourceInstance ISA 'Demo_Service'", "WQL", "/listener");
    subscribe("never", "SELECT * FROM CIM_InstIndication WHERE SourceInstance.State = 'never'", "DMTF:CQL", "/never");
    // Refused with their statuses (cimxml-cli exits with them).
    httptest::CommandResult refused = runTool({"create-instance", url + "/root/interop", "--mof",
        "instance of CIM_ListenerDestinationCIMXML { Name = \"m\"; Destination = \"http://169.254.169.254/\"; };"});
    EXPECT_EQ(refused.status, 2) << refused.err;
    refused = runTool({"create-instance", url + "/root/interop", "--mof",
        "instance of CIM_IndicationFilter { Name = \"x\"; Query = \"SELECT * FROM Demo_Service\"; QueryLanguage = \"WQL\"; };"});
    EXPECT_EQ(refused.status, 4) << refused.err;
    EXPECT_NE(refused.err.find("Query: class Demo_Service is not an indication class"), std::string::npos) << refused.err;

    write("create", "starting");
    write("set", "running");
    write("delete", "");
    std::vector<ReceivedExport> exports = listener.waitFor(3);
    EXPECT_EQ(summary(exports),
              "/listener CIM_InstCreation #0 starting was absent\n"
              "/listener CIM_InstModification #1 running was starting\n"
              "/listener CIM_InstDeletion #2 running was absent\n");
    std::vector<std::pair<std::string, std::string>> documents;
    for (const ReceivedExport &one : exports) {
        for (const char *line : {"\r\nCIMExport: MethodRequest", "\r\nCIMExportMethod: ExportIndication",
                                 "\r\nCIMProtocolVersion: 1.2", "\r\nContent-Type: text/xml;charset=UTF-8"})
            EXPECT_NE(one.head.find(line), std::string::npos) << line << "\n" << one.head;
        EXPECT_EQ(property(one.body, "SequenceContext"), property(exports[0].body, "SequenceContext"));
        EXPECT_EQ(property(one.body, "IndicationFilterName"), "demo");
        EXPECT_TRUE(std::regex_match(property(one.body, "IndicationTime"), std::regex("[0-9]{14}\\.[0-9]{6}[+-][0-9]{3}")));
        documents.emplace_back("export " + property(one.body, "SequenceNumber"), one.body);
    }
    if (std::optional<std::string> complaints = testsupport::ownDtdComplaints(documents, true)) {
        EXPECT_EQ(*complaints, "");
    }
    httptest::RawConnection metrics(server->port());
    metrics.send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    std::string figures = metrics.receive().body;
    for (const char *line : {"cimxmld_subscriptions_active 2\n", "cimxmld_indications_matched_total 3\n",
                             "cimxmld_indications_delivered_total 3\n", "cimxmld_indications_dropped_total 0\n"})
        EXPECT_NE(figures.find(line), std::string::npos) << line;
}

TEST_F(Indications, AListenerDownForAWhileThenBackReceivesEverythingInOrder) {
    retries(20, 1);
    subscribe("demo", "SELECT * FROM CIM_InstIndication", "WQL", "/");
    listener.down();
    write("create", "starting");
    write("set", "running");
    write("set", "stopped");
    write("delete", "");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(listener.waitFor(1, std::chrono::seconds(0)).size(), 0u);
    listener.up();
    EXPECT_EQ(summary(listener.waitFor(4)),
              "/ CIM_InstCreation #0 starting was absent\n"
              "/ CIM_InstModification #1 running was starting\n"
              "/ CIM_InstModification #2 stopped was running\n"
              "/ CIM_InstDeletion #3 stopped was absent\n");
}

TEST_F(Indications, CimxmlCliListenWritesEachIndicationItReceives) {
    retries(20, 1);
    subscribe("demo", "SELECT * FROM CIM_InstIndication WHERE SourceInstance ISA 'Demo_Service'", "WQL", "/");
    listener.down();  // cimxml-cli takes its port
    struct Form {
        std::vector<std::string> options;
        std::vector<std::pair<std::string, std::string>> writes;
        std::vector<std::string> lines;  // in this order in the output
    } forms[] = {
        {{}, {{"create", "starting"}, {"set", "running"}},
         {"instance of CIM_InstCreation\n{", "SequenceNumber = 0;", "instance of CIM_InstModification\n{",
          "SequenceNumber = 1;"}},
        {{"--json"}, {{"set", "stopped"}, {"delete", ""}},
         {"{\"kind\":\"instance\",\"class\":\"CIM_InstModification\"",
          "\"SequenceNumber\":{\"type\":\"sint64\",\"value\":2}", "\n{\"kind\":\"instance\",\"class\":\"CIM_InstDeletion\"",
          "\"SequenceNumber\":{\"type\":\"sint64\",\"value\":3}"}},
    };
    for (const Form &form : forms) {
        std::vector<std::string> args = {"listen", "--port", std::to_string(listener.port()), "--count", "2"};
        args.insert(args.end(), form.options.begin(), form.options.end());
        httptest::CommandResult result;
        std::thread listening([&] { result = runTool(args); });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (const auto &[what, state] : form.writes) write(what, state);
        listening.join();
        EXPECT_EQ(result.status, 0) << result.err;
        std::size_t at = 0;
        for (const std::string &line : form.lines) {
            at = result.out.find(line, at);
            EXPECT_NE(at, std::string::npos) << line << "\n" << result.out;
        }
    }
}

TEST_F(Indications, SubscribeAndUnsubscribeMakeAndRemoveAllThreeOrNone) {
    const std::string interop = url + "/root/interop", listenerUrl = "http://127.0.0.1:" + std::to_string(listener.port()) + "/s";
    const std::string query = "SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA 'Demo_Service'";
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string outStart;  // of every line of the output
        std::size_t lines;
    } steps[] = {
        {{"subscribe", interop, query, "--destination", "ftp://127.0.0.1/", "--name", "bad"}, 4, "", 0},
        {{"unsubscribe", interop, "bad"}, 6, "", 0},  // the filter made first went again
        {{"subscribe", interop, query, "--destination", listenerUrl, "--name", "mine"}, 0, "root/interop:CIM_", 3},
    };
    for (const Step &step : steps) {
        httptest::CommandResult result = runTool(step.args);
        EXPECT_EQ(result.status, step.status) << step.args.front() << ": " << result.err;
        std::size_t lines = 0;
        for (std::size_t at = 0; at < result.out.size(); at = result.out.find('\n', at) + 1, ++lines)
            EXPECT_EQ(result.out.compare(at, step.outStart.size(), step.outStart), 0) << result.out;
        EXPECT_EQ(lines, step.lines) << result.out;
    }
    write("create", "starting");
    EXPECT_EQ(summary(listener.waitFor(1)), "/s CIM_InstCreation #0 starting was absent\n");
    httptest::CommandResult removed = runTool({"unsubscribe", interop, "mine"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(std::count(removed.out.begin(), removed.out.end(), '\n'), 3) << removed.out;
    write("delete", "");
    write("create", "again");
    EXPECT_EQ(listener.waitFor(2, std::chrono::seconds(1)).size(), 1u);
}

// Subscriptions live in the repository: after a restart delivery goes on,
// in a new sequence context that starts again at 0.
class DurableSubscriptions : public Indications {
protected:
    std::vector<std::string> serverArgs() const override { return {"--repository", repository}; }
    void TearDown() override { std::filesystem::remove(repository); }
    const std::string repository = ::testing::TempDir() + "indications-" + std::to_string(getpid()) + ".db";
};

TEST_F(DurableSubscriptions, SurviveARestartAndDeliveryResumes) {
    subscribe("demo", "SELECT * FROM CIM_InstIndication WHERE SourceInstance ISA 'Demo_Service'", "WQL", "/");
    write("create", "starting");
    ASSERT_EQ(listener.waitFor(1).size(), 1u);
    EXPECT_EQ(server->stop(), 0);
    server = std::make_unique<ServerProcess>(serverArgs());
    url = "http://127.0.0.1:" + std::to_string(server->port());
    write("set", "running");
    std::vector<ReceivedExport> exports = listener.waitFor(2);
    EXPECT_EQ(summary(exports), "/ CIM_InstCreation #0 starting was absent\n/ CIM_InstModification #0 running was starting\n");
    ASSERT_EQ(exports.size(), 2u);
    EXPECT_NE(property(exports[0].body, "SequenceContext"), property(exports[1].body, "SequenceContext"));
}

// A queue of two: while the listener is down the first indication waits
// in its delivery, the queue keeps the newest two, the listener sees the gap.
class ShortQueue : public Indications {
    std::vector<std::string> serverArgs() const override { return {"--indication-queue", "2"}; }
};

TEST_F(ShortQueue, OverflowDropsTheOldestAndCountsIt) {
    retries(20, 1);
    subscribe("demo", "SELECT * FROM CIM_InstIndication", "WQL", "/");
    listener.down();
    write("create", "starting");
    for (const char *state : {"running", "stopped", "running", "stopped"}) write("set", state);
    listener.up();
    EXPECT_EQ(summary(listener.waitFor(3)),
              "/ CIM_InstCreation #0 starting was absent\n"
              "/ CIM_InstModification #3 running was stopped\n"
              "/ CIM_InstModification #4 stopped was running\n");
    httptest::RawConnection metrics(server->port());
    metrics.send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_NE(metrics.receive().body.find("cimxmld_indications_dropped_total 2\n"), std::string::npos);
}

TEST_F(Indications, AFailingListenerIsRetriedThenItsSubscriptionFollowsItsPolicy) {
    retries(1, 1);
    struct Case {
        TestListener::Answer answer;
        const char *policy;
        std::string after;  // in get-instance's output, or the exit status
    } cases[] = {
        {TestListener::Answer::CimError, "3", "SubscriptionState = 4;"},  // Disable
        {TestListener::Answer::HttpError, "4", "exit 6"},                 // Remove
    };
    std::size_t seen = 0;
    int n = 0;
    for (const Case &c : cases) {
        listener.answer(c.answer);
        std::string subscription = subscribe("f" + std::to_string(++n), "SELECT * FROM CIM_InstCreation", "WQL", "/", c.policy);
        write("create", "starting");
        write("delete", "");
        // The first attempt and one retry, both numbered 0; the state change
        // of the subscription is no creation, so nothing follows.
        std::vector<ReceivedExport> exports = listener.waitFor(seen + 2);
        ASSERT_EQ(exports.size(), seen + 2);
        EXPECT_EQ(summary({exports.begin() + static_cast<long>(seen), exports.end()}),
                  "/ CIM_InstCreation #0 starting was absent (refused)\n/ CIM_InstCreation #0 starting was absent (refused)\n");
        seen = exports.size();
        std::string state;
        for (int tries = 0; tries < 100 && state.find(c.after) == std::string::npos; ++tries) {
            httptest::CommandResult result = runTool({"get-instance", subscription});
            state = result.status == 0 ? result.out : "exit " + std::to_string(result.status);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_NE(state.find(c.after), std::string::npos) << state;
    }
}

}  // namespace
}  // namespace clitest
