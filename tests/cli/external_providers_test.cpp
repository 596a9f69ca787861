// Providers from outside the server in the real cimxmld, called through
// cimxml-cli. Command providers: the example's live instances, and a
// provider that fails in every way a program can (exits, hangs, writes
// what is no answer, answers the wrong class or value), each failing that
// one call with status 1 and a message that says what happened, while the
// server and other providers go on; the program is started again after a
// wait, and /metrics counts it; a reload takes registrations in and out.
// The example library provider: every
// operation it serves, and its indication reaching a subscription.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "replay_server.h"
#include "test_listener.h"

namespace clitest {
namespace {

namespace fs = std::filesystem;
using httptest::ServerProcess;

const char *const faultsScript = R"(import json, sys, time
for line in sys.stdin:
    request = json.loads(line)
    name = (request.get("keys") or {}).get("Name", "")
    out = lambda obj: sys.stdout.write(json.dumps(obj) + "\n")
    if request["op"] == "InvokeMethod":
        out({"return": 0, "out": {"Result": 2 * request["parameters"]["N"]}})
    if name == "crash": sys.exit(3)
    if name == "hang": time.sleep(30)
    if name == "garbage": sys.stdout.write("this is no JSON\n")
    if name == "wrongclass": out({"class": "Test_Other", "instance": {"Name": name}})
    if name == "badvalue": out({"instance": {"Name": name, "Count": "many"}})
    if name == "flood": sys.stdout.write("x" * (17 << 20))
    if name == "ok" and request["op"] == "GetInstance": out({"instance": {"Name": name, "Count": 7}})
    if request["op"] == "References":
        out({"instance": {"Left": request["object"], "Right": 'root/cimv2:Test_Fault.Name="ok"'}})
        name = "ok"
    out({"id": request["id"], "status": 0 if name == "ok" else 6, "message": "no " + name})
    sys.stdout.flush()
)";

// Sends an alert when it starts, and one amid each answer.
const char *const alertsScript = R"(import json, sys
say = lambda obj: print(json.dumps(obj), flush=True)
say({"indication": {"Message": "alerts started", "AlertType": 2}})
say({"indication": {"Message": "no such class"}, "class": "CIM_Nope"})
for line in sys.stdin:
    request = json.loads(line)
    say({"indication": {"Message": "asked for " + request["op"]}, "namespace": "root/cimv2"})
    say({"id": request["id"], "status": 6, "message": "none"})
)";

// A folder every user may read, with the example provider, a provider of
// faults, one of alerts, and a registration of a class that does not exist.
std::string providersFolder() {
    std::string folder = (fs::temp_directory_path() / ("cimxml-providers-" + std::to_string(getpid()))).string();
    fs::remove_all(folder);
    fs::create_directories(folder);
    chmod(folder.c_str(), 0755);
    const fs::path example = fs::path(CIMXML_SOURCE_DIR) / "examples/providers/python";
    fs::copy_file(example / "net_interfaces.py", fs::path(folder) / "net_interfaces.py");
    fs::copy_file(example / "net_interfaces.json", fs::path(folder) / "net_interfaces.json");
    std::ofstream(fs::path(folder) / "faults.py") << faultsScript;
    std::ofstream(fs::path(folder) / "faults.json")
        << R"({"command": ["/usr/bin/python3", "faults.py"], "timeout": 1,
               "classes": [{"class": "Test_Fault", "namespaces": ["root/cimv2"], "kinds": ["instance", "method"]},
                           {"class": "Test_Link", "namespaces": ["root/cimv2"], "kinds": ["association"]}]})";
    std::ofstream(fs::path(folder) / "alerts.py") << alertsScript;
    std::ofstream(fs::path(folder) / "alerts.json")
        << R"({"command": ["/usr/bin/python3", "alerts.py"],
               "classes": [{"class": "CIM_AlertIndication", "namespaces": ["root/cimv2"], "kinds": ["indication"]},
                           {"class": "Test_Alerted", "namespaces": ["root/cimv2"], "kinds": ["instance"]}]})";
    std::ofstream(fs::path(folder) / "missing.json")
        << R"({"command": ["/usr/bin/python3", "faults.py"],
               "classes": [{"class": "Test_Nowhere", "namespaces": ["root/cimv2"], "kinds": ["instance"]}]})";
    for (const auto &entry : fs::directory_iterator(folder)) chmod(entry.path().c_str(), 0644);
    return folder;
}

std::string mofOf(const std::string &folder) {
    std::string path = folder + "/test.mof";
    std::ifstream example(std::string(CIMXML_SOURCE_DIR) + "/examples/providers/python/net_interfaces.mof");
    std::ofstream(path) << example.rdbuf() << "\nclass Test_Fault { [Key] string Name; uint32 Count; "
                                                                   "uint32 Twice([In] uint32 N, [Out] uint32 Result); };\n"
                                                                   "class Test_Alerted { [Key] string Name; };\n"
                                                                   "[Association] class Test_Link { [Key] Test_Fault REF Left; "
                                                                   "[Key] Test_Fault REF Right; };\n";
    return path;
}

long metric(int port, const std::string &name) {
    httptest::RawConnection client(port);
    client.send("GET /metrics HTTP/1.1\r\n\r\n");
    std::string text = client.receive().body;
    std::smatch value;
    if (!std::regex_search(text, value, std::regex(name + "\\{provider=\"faults\"\\} ([0-9]+)"))) return -1;
    return std::stol(value[1]);
}

TEST(CommandProviders, ServeLiveInstancesAndFailOneCallAtATimeWhenTheProgramDoes) {
    const std::string folder = providersFolder();
    ServerProcess server({"--providers", folder, "--mof", mofOf(folder), "--log-level", "info"});
    const std::string ns = "http://127.0.0.1:" + std::to_string(server.port()) + "/root/cimv2";
    EXPECT_NE(server.log().find(folder + "/missing.json: class Test_Nowhere: no such class in root/cimv2"),
              std::string::npos)
        << server.log();

    // The example: the loopback interface is on every machine.
    httptest::CommandResult all = runTool({"enumerate-instances", ns + ":Example_NetworkInterface", "-o", "json"});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find(R"("Name":{"type":"string","value":"lo"})"), std::string::npos) << all.out;
    httptest::CommandResult lo = runTool({"get-instance", ns + ":Example_NetworkInterface.Name=\"lo\"", "-o", "json"});
    EXPECT_NE(lo.out.find(R"("MTU":{"type":"uint32","value":)"), std::string::npos) << lo.out << lo.err;
    httptest::CommandResult none = runTool({"get-instance", ns + ":Example_NetworkInterface.Name=\"nope\""});
    EXPECT_NE(none.err.find("no network interface nope"), std::string::npos) << none.err;

    // An association: the program's instances that refer to the object,
    // whose other end the server follows.
    httptest::CommandResult linked = runTool({"associator-names", ns + ":Test_Fault.Name=\"a\"", "--role", "Left"});
    EXPECT_TRUE(linked.out.ends_with("/root/cimv2:Test_Fault.Name=\"ok\"\n")) << linked.out << linked.err;

    // While one call hangs, the other provider answers.
    std::thread hanging([&] {
        httptest::CommandResult hang = runTool({"get-instance", ns + ":Test_Fault.Name=\"hang\""});
        EXPECT_NE(hang.err.find("provider faults did not answer in time (1 s)"), std::string::npos) << hang.err;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(runTool({"get-instance", ns + ":Example_NetworkInterface.Name=\"lo\""}).status, 0);
    hanging.join();

    const struct {
        const char *name, *message;
    } faults[] = {
        {"crash", "provider faults exited with status 3"},
        {"garbage", "provider faults wrote a line that is no JSON object: this is no JSON"},
        {"wrongclass", "provider faults answered an instance of \"Test_Other\" for Test_Fault"},
        {"badvalue", "provider faults answered an instance that does not fit Test_Fault: property Count: expected a "
                     "uint32 (0..4294967295), not \"many\""},
        {"flood", "provider faults wrote a line longer than 16777216 bytes"},
    };
    for (const auto &fault : faults) {
        SCOPED_TRACE(fault.name);
        // Each failure after a success waits half a second to start again.
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        httptest::CommandResult ok = runTool({"get-instance", ns + ":Test_Fault.Name=\"ok\"", "-o", "json"});
        EXPECT_NE(ok.out.find(R"("Count":{"type":"uint32","value":7})"), std::string::npos) << ok.err;
        httptest::CommandResult failed = runTool({"get-instance", ns + ":Test_Fault.Name=\"" + std::string(fault.name) + "\""});
        EXPECT_NE(failed.err.find("CIM_ERR_FAILED"), std::string::npos) << failed.err;
        EXPECT_NE(failed.err.find(fault.message), std::string::npos) << failed.err;
    }
    // Within the wait, calls fail at once and say why.
    httptest::CommandResult waiting = runTool({"get-instance", ns + ":Test_Fault.Name=\"ok\""});
    EXPECT_NE(waiting.err.find("; it starts again in"), std::string::npos) << waiting.err;
    // A method's return value and output parameters, typed as declared.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    httptest::CommandResult twice = runTool({"invoke-method", ns + ":Test_Fault.Name=\"ok\"", "Twice", "N=21"});
    EXPECT_EQ(twice.out, "ReturnValue = 0;\nResult = 42;\n") << twice.err;
    // A status the provider chose passes as it is.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    httptest::CommandResult missing = runTool({"get-instance", ns + ":Test_Fault.Name=\"x\""});
    EXPECT_NE(missing.err.find("CIM_ERR_NOT_FOUND"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("no x"), std::string::npos) << missing.err;

    EXPECT_EQ(metric(server.port(), "cimxmld_provider_failures_total"), 6);  // hang and the five
    EXPECT_EQ(metric(server.port(), "cimxmld_provider_restarts_total"), 6);

    // A reload without the registration gives the class back to the
    // repository; with it again, a new program serves it.
    const fs::path registration = fs::path(folder) / "faults.json", aside = fs::path(folder) / "faults.off";
    fs::rename(registration, aside);
    ASSERT_TRUE(server.reload());
    httptest::CommandResult stored = runTool({"get-instance", ns + ":Test_Fault.Name=\"ok\""});
    EXPECT_NE(stored.err.find("CIM_ERR_NOT_FOUND"), std::string::npos) << stored.err;
    EXPECT_EQ(stored.err.find("provider"), std::string::npos) << stored.err;
    EXPECT_EQ(runTool({"get-instance", ns + ":Example_NetworkInterface.Name=\"lo\""}).status, 0);
    fs::rename(aside, registration);
    ASSERT_TRUE(server.reload());
    EXPECT_EQ(runTool({"get-instance", ns + ":Test_Fault.Name=\"ok\""}).status, 0);
    EXPECT_EQ(metric(server.port(), "cimxmld_provider_calls_total"), 1);
    EXPECT_EQ(server.stop(), 0);
    fs::remove_all(folder);
}

TEST(CommandProviders, SendIndicationsBetweenCallsAndAmidThem) {
    const std::string folder = providersFolder();
    TestListener listener;
    ServerProcess server({"--providers", folder, "--mof", mofOf(folder), "--log-level", "info"});
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port());
    runTool({"subscribe", url + "/root/interop", "SELECT * FROM CIM_AlertIndication", "--destination",
             "http://127.0.0.1:" + std::to_string(listener.port()) + "/", "--name", "alerts"});
    // Restarting the program sends its first alert again, now subscribed.
    fs::remove(fs::path(folder) / "faults.json");
    ASSERT_TRUE(server.reload());
    EXPECT_EQ(runTool({"get-instance", url + "/root/cimv2:Test_Alerted.Name=\"x\""}).status, 6);
    std::vector<ReceivedExport> sent = listener.waitFor(2);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[0].body.find("alerts started"), std::string::npos) << sent[0].body;
    EXPECT_NE(sent[1].body.find("asked for GetInstance"), std::string::npos) << sent[1].body;
    EXPECT_NE(server.log().find("provider alerts: indication left out: class \"CIM_Nope\" is not registered for it"),
              std::string::npos)
        << server.log();
    EXPECT_EQ(server.stop(), 0);
    fs::remove_all(folder);
}

TEST(LibraryProviders, ServeEveryOperationAndSendTheirIndications) {
    const std::string folder = (fs::temp_directory_path() / ("cimxml-library-" + std::to_string(getpid()))).string();
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path example = fs::path(CIMXML_SOURCE_DIR) / "examples/providers/c";
    std::ifstream registration(example / "counter_provider.json");
    std::ofstream(fs::path(folder) / "counters.json")
        << std::regex_replace(std::string(std::istreambuf_iterator<char>(registration), {}),
                              std::regex("libcounter_provider.so"), COUNTER_PROVIDER_PATH);
    ServerProcess server({"--providers", folder, "--mof", (example / "counter_provider.mof").string(), "--log-level", "info"});
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port());
    const std::string ns = url + "/root/cimv2", hits = ns + ":Example_Counter.Name=\"hits\"";
    TestListener listener;
    const std::string subscribed = "root/interop:CIM_IndicationSubscription";
    EXPECT_NE(runTool({"subscribe", url + "/root/interop", "SELECT * FROM CIM_AlertIndication", "--destination",
                       "http://127.0.0.1:" + std::to_string(listener.port()) + "/", "--name", "counters"})
                  .out.find(subscribed),
              std::string::npos);

    const struct {
        std::vector<std::string> args;
        std::string out;
        int status;
    } steps[] = {
        {{"create-instance", ns, "--mof", "instance of Example_Counter { Name = \"hits\"; Value = 98; };"},
         "root/cimv2:Example_Counter.Name=\"hits\"\n", 0},
        {{"create-instance", ns, "--mof", "instance of Example_Counter { Name = \"hits\"; };"}, "", 11},
        {{"get-property", hits, "Value"}, "Value = 98;\n", 0},
        {{"set-property", hits, "Value=99"}, "", 0},
        {{"invoke-method", hits, "Increment", "By=2"}, "ReturnValue = 101;\n", 0},
        {{"enumerate-instance-names", ns + ":Example_Counter"}, "root/cimv2:Example_Counter.Name=\"hits\"\n", 0},
        {{"delete-instance", hits}, "", 0},
        {{"get-instance", hits}, "", 6},
    };
    for (const auto &step : steps) {
        httptest::CommandResult result = runTool(step.args);
        EXPECT_EQ(result.out, step.out) << step.args.front() << ": " << result.err;
        EXPECT_EQ(result.status, step.status) << step.args.front() << ": " << result.err;
    }
    std::vector<ReceivedExport> sent = listener.waitFor(1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent.front().body.find("counter hits reached 101"), std::string::npos) << sent.front().body;
    EXPECT_NE(server.log().find("provider counters: counters ready"), std::string::npos) << server.log();
    EXPECT_EQ(server.stop(), 0);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace clitest
