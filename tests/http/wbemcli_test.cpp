// wbemcli, an independent CIM-XML client, against the real server with a
// repository compiled from MOF: every command it has, in an order where the
// writes show in the reads that follow them.
#include <gtest/gtest.h>

#include <regex>

#include "server_process.h"

namespace {

using namespace httptest;

struct Step {
    std::vector<std::string> args;  // {H} stands for 127.0.0.1:port/root/cimv2
    std::string out;                // {H} likewise
    std::string err;                // empty for success (exit 0), else the whole text (exit 16)
};

std::string expand(const std::string &text, const std::string &base) {
    return std::regex_replace(text, std::regex("\\{H\\}"), base);
}

std::string failure(const std::string &message) { return "*\n* wbemcli: " + message + "\n*\n"; }

TEST(Wbemcli, EveryCommandAgainstAMofRepository) {
    if (access("/usr/bin/wbemcli", X_OK) != 0) GTEST_SKIP() << "wbemcli is not installed";
    ServerProcess server({"--host-name", "testhost", "--mof", CIMXML_SOURCE_DIR "/tests/http/wbemcli_fixture.mof"});
    const std::string alpha = "{H}:Test_Element.Name=\"alpha\"", web = "{H}:Test_Service.Name=\"web\"";
    const std::string alphaLine = alpha + " Name=\"alpha\",Count=1,Enabled=true,Tags=\"a\",\"b c\"\n";
    const std::string webProperties = "Name=\"web\",Count=2,Enabled=false,Tags=\n";
    const std::string dependency =
        "testhost/root/cimv2:Test_Dependency.Antecedent=Test_Element.Name=\"alpha\",Dependent=Test_Service.Name=\"web\"";
    const std::vector<Step> steps = {
        {{"ecn", "{H}:Test_Element"}, "{H}:Test_Service\n", ""},
        {{"ec", "{H}:Test_Element"}, "{H}:Test_Service Name=,Count=,Enabled=,Tags=\n", ""},
        {{"gc", "{H}:Test_Service"}, "{H}:Test_Service Name=,Count=,Enabled=,Tags=\n", ""},
        {{"gcd", "{H}:Test_Element"},
         "\n<CLASS NAME=\"Test_Element\">\n"
         "<PROPERTY NAME=\"Name\" TYPE=\"string\" PROPAGATED=\"false\">\n</PROPERTY>\n"
         "<PROPERTY NAME=\"Count\" TYPE=\"uint32\" PROPAGATED=\"false\">\n</PROPERTY>\n"
         "<PROPERTY NAME=\"Enabled\" TYPE=\"boolean\" PROPAGATED=\"false\">\n</PROPERTY>\n"
         "<PROPERTY.ARRAY NAME=\"Tags\" TYPE=\"string\" PROPAGATED=\"false\">\n</PROPERTY.ARRAY>\n</CLASS>\n\n",
         ""},
        {{"ein", "{H}:Test_Element"}, alpha + "\n" + web + "\n", ""},
        {{"ei", "{H}:Test_Element"}, alphaLine + web + " " + webProperties, ""},
        {{"ei", "{H}:Test_Element", "Name,Tags"}, alpha + " Name=\"alpha\",Tags=\"a\",\"b c\"\n" + web + " Name=\"web\",Tags=\n", ""},
        {{"-e100", "gi", alpha}, alphaLine, ""},
        {{"gi", "{H}:Test_Element.Name=\"nope\""}, "",
         failure("Cim: (6) CIM_ERR_NOT_FOUND: no instance Test_Element.Name=\"nope\" in namespace root/cimv2")},
        {{"ain", alpha}, "testhost/root/cimv2:Test_Service.Name=\"web\"\n", ""},
        {{"ai", alpha}, "testhost/root/cimv2:Test_Service.Name=\"web\" " + webProperties, ""},
        {{"rin", alpha}, dependency + "\n", ""},
        {{"ri", alpha},
         dependency + " Antecedent=Test_Element.Name=\"alpha\",Dependent=Test_Service.Name=\"web\"\n", ""},
        {{"gp", alpha, "Tags"}, "a,b c\n", ""},
        {{"sp", alpha, "Count=7"}, "", ""},
        {{"gp", alpha, "Count"}, "7\n", ""},
        {{"ci", "{H}:Test_Element.Name=\"beta\"", "Name=\"beta\",Count=3,Enabled=true"}, "{H}:Test_Element.Name=\"beta\"\n", ""},
        {{"mi", "{H}:Test_Element.Name=\"beta\"", "Count=4"}, "", ""},
        {{"gi", "{H}:Test_Element.Name=\"beta\""}, "{H}:Test_Element.Name=\"beta\" Name=\"beta\",Count=4,Enabled=true,Tags=\n", ""},
        {{"di", "{H}:Test_Element.Name=\"beta\""}, "", ""},
        {{"ein", "{H}:Test_Element"}, alpha + "\n" + web + "\n", ""},
        {{"cm", web, "Restart.Force=true"}, "",
         failure("Cim: (16) CIM_ERR_METHOD_NOT_AVAILABLE: no provider serves method Test_Service.Restart")},
        {{"cmx", web, "Restart.Force=true"},
         "\n<METHODRESPONSE NAME=\"Restart\">\n<ERROR CODE=\"16\" DESCRIPTION=\"no provider serves method "
         "Test_Service.Restart\"/>\n</METHODRESPONSE>\n\n",
         ""},
        {{"dc", "{H}:Test_Dependency"}, "", ""},
        {{"ain", alpha}, "", ""},
    };
    const std::string base = "127.0.0.1:" + std::to_string(server.port()) + "/root/cimv2";
    for (const Step &step : steps) {
        std::vector<std::string> args;
        for (const std::string &arg : step.args) args.push_back(expand(arg, "http://" + base));
        CommandResult result = runCommand("wbemcli", args);
        std::string command = args[0] + " " + args[1];
        EXPECT_EQ(result.out, expand(step.out, base)) << command;
        EXPECT_EQ(result.err, step.err) << command;
        EXPECT_EQ(result.status, step.err.empty() ? 0 : 16) << command;
    }
}

}  // namespace
