// cimxml-cli and cimxml-mof --url against the real cimxmld on a loopback
// port, serving the wbemcli test's repository: every subcommand once with
// its main options, checked by its whole JSON output (or MOF, where MOF is
// the point), the exit statuses of failures, and MOF that goes to the server
// and comes back equal.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "replay_server.h"

namespace clitest {
namespace {

using httptest::ServerProcess;

struct Step {
    std::vector<std::string> args;  // "@" opens an argument with http://127.0.0.1:PORT
    std::string out;
    int status = 0;
    std::string err = "";
};

// Runs each step in order against the server (cimxml-mof when the first
// argument is "mof"), comparing whole outputs and statuses.
void run(const ServerProcess &server, const std::vector<Step> &steps) {
    std::string url = "http://127.0.0.1:" + std::to_string(server.port());
    for (const Step &step : steps) {
        std::vector<std::string> args;
        for (const std::string &arg : step.args)
            args.push_back(std::regex_replace(arg, std::regex("^@"), url));
        bool mof = args.front() == "mof";
        if (mof) args.erase(args.begin());
        SCOPED_TRACE(args.front() + " " + args.at(1));
        httptest::CommandResult result = runTool(args, "", mof ? CIMXML_MOF_PATH : CIMXML_CLI_PATH);
        EXPECT_EQ(result.out, step.out);
        EXPECT_EQ(result.err, step.err);
        EXPECT_EQ(result.status, step.status);
    }
}

const std::string fixture = CIMXML_SOURCE_DIR "/tests/http/wbemcli_fixture.mof";
const std::string ns = "@/root/cimv2", alpha = ns + ":Test_Element.Name=\"alpha\"";

TEST(AgainstCimxmld, EverySubcommandWithItsMainOptions) {
    ServerProcess server({"--host-name", "testhost", "--mof", fixture});
    const std::string web =
        R"({"kind":"instance","class":"Test_Service","namespace":"root/cimv2","path":"//testhost/root/cimv2:Test_Service.Name=\"web\"","properties":{"Name":{"type":"string","value":"web"},"Count":{"type":"uint32","value":2},"Enabled":{"type":"boolean","value":false},"Tags":{"type":"string[]","value":null}}})";
    run(server,
        {
            {{"enumerate-class-names", ns + ":Test_Element", "--deep-inheritance", "-o", "json"},
             R"({"kind":"path","path":"Test_Service","class":"Test_Service","keys":{}})"
             "\n"},
            {{"get-class", ns + ":Test_Element", "--include-qualifiers=false", "-o", "json"},
             R"({"kind":"class","class":"Test_Element","superclass":null,"qualifiers":{},"properties":{"Name":{"type":"string","value":null},"Count":{"type":"uint32","value":null},"Enabled":{"type":"boolean","value":null},"Tags":{"type":"string[]","value":null}},"methods":{}})"
             "\n"},
            {{"enumerate-classes", ns + ":Test_Element", "-o", "json"},
             R"({"kind":"class","class":"Test_Service","superclass":"Test_Element","qualifiers":{},"properties":{},"methods":{"Restart":{"type":"uint32","qualifiers":{},"parameters":{"Force":{"type":"boolean","value":null,"qualifiers":{"In":{"type":"boolean","value":true}}},"Message":{"type":"string","value":null,"qualifiers":{"Out":{"type":"boolean","value":true}}}}}}})"
             "\n"},
            {{"enumerate-instance-names", ns + ":Test_Element", "-o", "json"},
             R"({"kind":"path","path":"root/cimv2:Test_Element.Name=\"alpha\"","namespace":"root/cimv2","class":"Test_Element","keys":{"Name":{"type":"string","value":"alpha"}}}
{"kind":"path","path":"root/cimv2:Test_Service.Name=\"web\"","namespace":"root/cimv2","class":"Test_Service","keys":{"Name":{"type":"string","value":"web"}}}
)"},
            {{"enumerate-instances", ns + ":Test_Element", "--property-list", "Name,Count", "-o", "json"},
             R"({"kind":"instance","class":"Test_Element","path":"root/cimv2:Test_Element.Name=\"alpha\"","properties":{"Name":{"type":"string","value":"alpha"},"Count":{"type":"uint32","value":1}}}
{"kind":"instance","class":"Test_Service","path":"root/cimv2:Test_Service.Name=\"web\"","properties":{"Name":{"type":"string","value":"web"},"Count":{"type":"uint32","value":2}}}
)"},
            {{"set-property", alpha, "Count=7"}, ""},
            {{"get-property", alpha, "Count", "-o", "json"},
             R"({"kind":"property","name":"Count","type":"uint32","value":7})"
             "\n"},
            {{"get-instance", alpha, "-o", "json"},
             R"({"kind":"instance","class":"Test_Element","path":"root/cimv2:Test_Element.Name=\"alpha\"","properties":{"Name":{"type":"string","value":"alpha"},"Count":{"type":"uint32","value":7},"Enabled":{"type":"boolean","value":true},"Tags":{"type":"string[]","value":["a","b c"]}}})"
             "\n"},
            {{"associators", alpha, "--assoc-class", "Test_Dependency", "--role", "Antecedent", "-o", "json"},
             web + "\n"},
            {{"associator-names", alpha, "--result-class", "Test_Service"},
             "//testhost/root/cimv2:Test_Service.Name=\"web\"\n"},
            {{"references", alpha, "--role", "Antecedent", "-o", "json"},
             R"({"kind":"instance","class":"Test_Dependency","namespace":"root/cimv2","path":"//testhost/root/cimv2:Test_Dependency.Antecedent=\"Test_Element.Name=\\\"alpha\\\"\",Dependent=\"Test_Service.Name=\\\"web\\\"\"","properties":{"Antecedent":{"type":"reference","value":"Test_Element.Name=\"alpha\""},"Dependent":{"type":"reference","value":"Test_Service.Name=\"web\""}}})"
             "\n"},
            {{"reference-names", alpha, "--result-class", "Test_Dependency"},
             "//testhost/root/cimv2:Test_Dependency.Antecedent=\"Test_Element.Name=\\\"alpha\\\"\","
             "Dependent=\"Test_Service.Name=\\\"web\\\"\"\n"},
            {{"exec-query", ns, "SELECT Name FROM Test_Service", "--query-language", "WQL", "-o", "json"},
             R"({"kind":"instance","class":"Test_Service","properties":{"Name":{"type":"string","value":"web"}}})"
             "\n"},
            {{"get-qualifier", ns, "Key", "-o", "json"},
             R"({"kind":"qualifier_type","name":"Key","type":"boolean","value":false,"scope":["property","reference"],"flavors":["DisableOverride","ToSubclass"]})"
             "\n"},
            {{"create-namespace", "@/root/clitest"}, "root/clitest\n"},
            {{"set-qualifier", "@/root/clitest", "--mof", "Qualifier Test_Note : string = \"n\", scope(property);"},
             ""},
            {{"enumerate-qualifiers", "@/root/clitest", "-o", "json"},
             R"({"kind":"qualifier_type","name":"Test_Note","type":"string","value":"n","scope":["property"],"flavors":["EnableOverride","ToSubclass"]})"
             "\n"},
            {{"delete-qualifier", "@/root/clitest", "Test_Note"}, ""},
            {{"enumerate-qualifiers", "@/root/clitest", "-o", "json"}, ""},
            {{"enumerate-namespaces", "@", "-o", "json"},
             "{\"kind\":\"namespace\",\"name\":\"root/cimv2\"}\n{\"kind\":\"namespace\",\"name\":\"root/interop\"}\n"
             "{\"kind\":\"namespace\",\"name\":\"root/clitest\"}\n"},
            {{"delete-namespace", "@/root/clitest"}, ""},
            // The documented statuses of failures.
            {{"invoke-method", ns + ":Test_Service.Name=\"web\"", "Restart", "Force=true"},
             "",
             16,
             "cimxml-cli: CIM_ERR_METHOD_NOT_AVAILABLE (16): no provider serves method Test_Service.Restart\n"},
            {{"get-class", ns + ":Test_Nothing"},
             "",
             6,
             "cimxml-cli: CIM_ERR_NOT_FOUND (6): class Test_Nothing does not exist in namespace root/cimv2\n"},
            {{"delete-namespace", "@/root/clitest"},
             "",
             6,
             "cimxml-cli: CIM_ERR_NOT_FOUND (6): namespace root/clitest does not exist\n"},
            {{"set-property", alpha, "Enabled=maybe"},
             "",
             65,
             "cimxml-cli: property Enabled: 'maybe' is not a boolean (true or false)\n"},
            {{"get-class", "http://127.0.0.1:1/root/cimv2:Test_Element"},
             "",
             69,
             "cimxml-cli: cannot connect to 127.0.0.1:1\n"},
            {{"get-property", alpha}, "", 64, "cimxml-cli: get-property: NAME is required\n"},
        });
    // A method the live operating system serves: its values change, their form does not.
    std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
    std::string system = runTool({"enumerate-instance-names", url + "root/cimv2:CIMXML_OperatingSystem"}).out;
    httptest::CommandResult load =
        runTool({"invoke-method", url + system.substr(0, system.find('\n')), "GetLoadAverage", "-o", "json"});
    const std::string real = R"(\{"type":"real64","value":[0-9.e+-]+\})";
    EXPECT_TRUE(std::regex_match(load.out, std::regex(R"(\{"kind":"method_result","method":"GetLoadAverage","return":)"
                                                      R"(\{"type":"uint32","value":0\},"out":\{"LoadAverage1":)" +
                                                      real + ",\"LoadAverage5\":" + real + ",\"LoadAverage15\":" +
                                                      real + "\\}\\}\n")))
        << load.out << load.err;
}

// Class, qualifier declaration and instance in the MOF writer's form: what
// goes in through create-class and create-instance comes back from
// get-qualifier, get-class and get-instance as the same text, and cimxml-mof
// --url sends the same files.
const char *const classesMof = R"(qualifier Test_Units : string, scope(property), flavor(EnableOverride, ToSubclass);
[Description("A thing with parts") : EnableOverride ToSubclass Translatable]
class Test_Gadget
{
    [Key : DisableOverride ToSubclass]
    string Id;
    [Test_Units("cm") : EnableOverride ToSubclass]
    uint32 Size = 5;
    string Tags[];
    real64 Ratio;
    datetime Made;
    uint32 Resize([In : DisableOverride ToSubclass] uint32 Size);
};
)";
const char *const instancesMof = R"(instance of Test_Gadget
{
    Id = "g1";
    Size = 7;
    Tags = {"x", "y \"z\""};
    Ratio = 0.25;
    Made = "20240102030405.000000+000";
};
)";

TEST(AgainstCimxmld, MofRoundTripsAndUploads) {
    ServerProcess server({"--host-name", "testhost"});
    std::string classes = testing::TempDir() + "cli_classes.mof", instances = testing::TempDir() + "cli_instances.mof";
    std::ofstream(classes) << classesMof;
    std::ofstream(instances) << instancesMof;
    const std::string gadget = ns + ":Test_Gadget", g1 = gadget + ".Id=\"g1\"";
    run(server,
        {
            {{"create-class", ns, classes}, ""},
            {{"create-instance", ns, instances}, "root/cimv2:Test_Gadget.Id=\"g1\"\n"},
            {{"get-qualifier", ns, "Test_Units"},
             std::string(classesMof).substr(0, std::string(classesMof).find('\n') + 1)},
            {{"get-class", gadget}, std::string(classesMof).substr(std::string(classesMof).find('\n') + 1)},
            {{"get-instance", g1}, "// root/cimv2:Test_Gadget.Id=\"g1\"\n" + std::string(instancesMof)},
            {{"modify-instance", ns, "--mof", "instance of Test_Gadget { Id = \"g1\"; Size = 9; };"}, ""},
            {{"get-instance", g1, "--property-list", "Size,Ratio", "-o", "json"},
             R"({"kind":"instance","class":"Test_Gadget","path":"root/cimv2:Test_Gadget.Id=\"g1\"","properties":{"Size":{"type":"uint32","value":9},"Ratio":{"type":"real64","value":0.25}}})"
             "\n"},
            {{"create-class", ns, "--mof", "class Test_Gadget { [Key] string Id; };"},
             "",
             11,
             "cimxml-cli: --mof:1:1: class Test_Gadget not created: CIM_ERR_ALREADY_EXISTS (11): class Test_Gadget "
             "already exists in namespace root/cimv2\n"},
            {{"delete-instance", g1}, ""},
            {{"get-instance", g1},
             "",
             6,
             "cimxml-cli: CIM_ERR_NOT_FOUND (6): no instance Test_Gadget.Id=\"g1\" in namespace root/cimv2\n"},
            {{"modify-class", ns, "--mof", "class Test_Gadget { [Key] string Id; uint32 Size = 6; };"}, ""},
            {{"get-class", gadget, "--include-qualifiers=false", "-o", "json"},
             R"({"kind":"class","class":"Test_Gadget","superclass":null,"qualifiers":{},"properties":{"Id":{"type":"string","value":null},"Size":{"type":"uint32","value":6}},"methods":{}})"
             "\n"},
            {{"delete-class", gadget}, ""},
            {{"mof", "--url", ns, classes, instances}, ""},
            {{"enumerate-instance-names", gadget}, "root/cimv2:Test_Gadget.Id=\"g1\"\n"},
            {{"mof", "--url", ns, classes},
             "",
             1,
             classes + ":3:1: class Test_Gadget not created: CIM_ERR_ALREADY_EXISTS (11): class Test_Gadget already "
                       "exists in namespace root/cimv2\n"},
        });
}

// Over HTTPS with users: the certificate checked against --ca, or not at
// all with --insecure (said on stderr); credentials from the URL or
// CIMXML_PASSWORD, and the statuses of missing and wrong ones.
TEST(AgainstCimxmld, HttpsWithCertificateAndUsers) {
    std::string folder = testing::TempDir() + "cli_tls_" + std::to_string(getpid());
    struct RemovedAtEnd {
        std::string path;
        ~RemovedAtEnd() { std::filesystem::remove_all(path); }
    } removed{folder};
    std::string cert = folder + "/cert.pem", key = folder + "/key.pem", passwd = folder + "/passwd";
    std::string command = "mkdir -p " + folder +
                          " && openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "
                          "/CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " +
                          key + " -out " + cert + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_EQ(httptest::runCimxmld({"--add-user", "alice", "--passwd", passwd}, "secret\n").status, 0);
    ServerProcess server({"--cert", cert, "--key", key, "--passwd", passwd});
    std::string at = "127.0.0.1:" + std::to_string(server.httpsPort());
    std::string https = "https://alice:secret@" + at, names = "root/cimv2\nroot/interop\n";
    setenv("CIMXML_PASSWORD", "secret", 1);
    run(server, {
                    {{"enumerate-namespaces", https, "--ca", cert}, names},
                    {{"enumerate-namespaces", "https://alice@" + at, "--ca", cert}, names},
                    {{"enumerate-namespaces", https},
                     "",
                     69,
                     "cimxml-cli: the certificate of " + at +
                         " could not be verified (--ca FILE names its issuer; --insecure skips the check)\n"},
                    {{"enumerate-namespaces", https, "--insecure"},
                     names,
                     0,
                     "cimxml-cli: WARNING: --insecure: the certificate of " + at +
                         " is NOT checked; anyone between here and there can read and change this session\n"},
                    {{"enumerate-namespaces", "https://alice:wrong@" + at, "--ca", cert},
                     "",
                     77,
                     "cimxml-cli: " + at + " refused the password of alice (HTTP 401)\n"},
                    {{"enumerate-namespaces", "https://" + at, "--ca", cert},
                     "",
                     77,
                     "cimxml-cli: " + at +
                         " asks for a user and password (HTTP 401); give them in the URL: http://user@host/...\n"},
                });
    unsetenv("CIMXML_PASSWORD");
}

}  // namespace
}  // namespace clitest
