// cimxml-cli against recorded answers: this server's and other servers'
// forms (numeric and named error codes, both EmbeddedObject forms, CDATA,
// HTTP errors, an HTML page, silence). Each row compares the whole
// stdout, the whole stderr and the exit status, and the CIMMethod lines the
// client sent.
#include <gtest/gtest.h>

#include <regex>

#include "replay_server.h"

namespace clitest {
namespace {

std::string message(const std::string &inner) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">"
           "<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP>" +
           inner + "</SIMPLERSP></MESSAGE></CIM>\n";
}
RecordedAnswer answer(const std::string &method, const std::string &returned) {
    return {200,
            message("<IMETHODRESPONSE NAME=\"" + method + "\"><IRETURNVALUE>" + returned +
                    "</IRETURNVALUE></IMETHODRESPONSE>"),
            {},
            0};
}
RecordedAnswer error(const std::string &method, const std::string &code, const std::string &description) {
    return {200,
            message("<IMETHODRESPONSE NAME=\"" + method + "\"><ERROR CODE=\"" + code + "\" DESCRIPTION=\"" +
                    description + "\"/></IMETHODRESPONSE>"),
            {},
            0};
}
std::string instanceName(const std::string &className, const std::string &keys) {
    return "<INSTANCENAME CLASSNAME=\"" + className + "\">" + keys + "</INSTANCENAME>";
}
std::string key(const std::string &name, const std::string &type, const std::string &value) {
    return "<KEYBINDING NAME=\"" + name + "\"><KEYVALUE VALUETYPE=\"" + type + "\">" + value +
           "</KEYVALUE></KEYBINDING>";
}
const std::string owner =
    "<INSTANCEPATH><NAMESPACEPATH><HOST>h</HOST><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/>"
    "<NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH></NAMESPACEPATH>" +
    instanceName("Test_Owner", key("Id", "numeric", "7")) + "</INSTANCEPATH>";

const RecordedAnswer itemClass = answer(
    "GetClass",
    "<CLASS NAME=\"Test_Item\" SUPERCLASS=\"Test_Base\"><QUALIFIER NAME=\"Description\" TYPE=\"string\">"
    "<VALUE>An item</VALUE></QUALIFIER><PROPERTY NAME=\"Name\" TYPE=\"string\"><QUALIFIER NAME=\"Key\" "
    "TYPE=\"boolean\"><VALUE>TRUE</VALUE></QUALIFIER></PROPERTY><PROPERTY NAME=\"Count\" TYPE=\"uint8\"></PROPERTY>"
    "<PROPERTY.ARRAY NAME=\"Sizes\" TYPE=\"uint16\"><VALUE.ARRAY><VALUE>1</VALUE><VALUE>2</VALUE></VALUE.ARRAY>"
    "</PROPERTY.ARRAY><PROPERTY.REFERENCE NAME=\"Owner\" REFERENCECLASS=\"Test_Owner\"></PROPERTY.REFERENCE>"
    "<METHOD NAME=\"Reboot\" TYPE=\"uint32\"><PARAMETER NAME=\"Delay\" TYPE=\"uint8\"></PARAMETER>"
    "<PARAMETER NAME=\"Mode\" TYPE=\"string\"></PARAMETER></METHOD></CLASS>");

// Two instances: this server's EmbeddedObject="instance" with an escaped
// INSTANCE, and another server's EmbeddedObject="object" with CDATA.
std::string namedInstance(const std::string &name, const std::string &embedded) {
    return "<VALUE.NAMEDINSTANCE>" + instanceName("Test_Item", key("Name", "string", name)) +
           "<INSTANCE CLASSNAME=\"Test_Item\"><PROPERTY NAME=\"Name\" TYPE=\"string\"><VALUE>" + name +
           "</VALUE></PROPERTY><PROPERTY NAME=\"Big\" TYPE=\"uint64\"><VALUE>18446744073709551615</VALUE></PROPERTY>"
           "<PROPERTY NAME=\"Low\" TYPE=\"sint8\"><VALUE>-128</VALUE></PROPERTY><PROPERTY NAME=\"Ratio\" "
           "TYPE=\"real32\"><VALUE>0.1</VALUE></PROPERTY><PROPERTY NAME=\"On\" TYPE=\"boolean\"><VALUE>TRUE</VALUE>"
           "</PROPERTY><PROPERTY NAME=\"Note\" TYPE=\"string\"></PROPERTY><PROPERTY.ARRAY NAME=\"Sizes\" "
           "TYPE=\"uint16\"><VALUE.ARRAY><VALUE>1</VALUE><VALUE>65535</VALUE></VALUE.ARRAY></PROPERTY.ARRAY>"
           "<PROPERTY.REFERENCE NAME=\"Owner\" REFERENCECLASS=\"Test_Owner\"><VALUE.REFERENCE>" +
           owner + "</VALUE.REFERENCE></PROPERTY.REFERENCE>" + embedded + "</INSTANCE></VALUE.NAMEDINSTANCE>";
}
const std::string instances =
    namedInstance("a &quot;b&quot;",
                  "<PROPERTY NAME=\"Part\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>&lt;INSTANCE "
                  "CLASSNAME=\"Test_Part\"&gt;&lt;PROPERTY NAME=\"Id\" TYPE=\"uint32\"&gt;&lt;VALUE&gt;3&lt;/VALUE&gt;"
                  "&lt;/PROPERTY&gt;&lt;/INSTANCE&gt;</VALUE></PROPERTY>") +
    namedInstance("c",
                  "<PROPERTY NAME=\"Part\" TYPE=\"string\" EmbeddedObject=\"object\"><VALUE><![CDATA[<INSTANCE "
                  "CLASSNAME=\"Test_Part\"><PROPERTY NAME=\"Id\" TYPE=\"uint32\"><VALUE>4</VALUE></PROPERTY>"
                  "</INSTANCE>]]></VALUE></PROPERTY>");

const RecordedAnswer unitsDeclaration =
    answer("GetQualifier",
           "<QUALIFIER.DECLARATION NAME=\"Units\" TYPE=\"string\" TOSUBCLASS=\"true\">"
           "<SCOPE PROPERTY=\"true\" METHOD=\"true\"/></QUALIFIER.DECLARATION>");

struct Case {
    const char *name;
    std::vector<std::string> args;  // "@" stands for http://127.0.0.1:PORT
    std::vector<RecordedAnswer> answers;
    std::string out, err;  // "%A" in err stands for 127.0.0.1:PORT
    int status;
    std::string methods;    // the CIMMethod lines sent, one space after each
    std::string sent = "";  // a part of the last request's body
};

const std::string item = "@/root/cimv2:Test_Item.Name=\"a\"";

const std::string html500 = "<!DOCTYPE html><html><body><h1>500 Internal Server Error</h1></body></html>";
const RecordedAnswer rebooted{
    200,
    message("<METHODRESPONSE NAME=\"Reboot\"><RETURNVALUE PARAMTYPE=\"uint32\"><VALUE>0</VALUE></RETURNVALUE>"
            "<PARAMVALUE NAME=\"Message\" PARAMTYPE=\"string\"><VALUE>in 5 s</VALUE></PARAMVALUE></METHODRESPONSE>"),
    {},
    0};

const Case cases[] = {
    {"GetClassAsMof",
     {"get-class", "@/root/cimv2:Test_Item"},
     {itemClass},
     "[Description(\"An item\")]\nclass Test_Item : Test_Base\n{\n    [Key]\n    string Name;\n    uint8 Count;\n"
     "    uint16 Sizes[] = {1, 2};\n    Test_Owner REF Owner;\n    uint32 Reboot(uint8 Delay, string Mode);\n};\n",
     "",
     0,
     "GetClass "},
    {"EnumerateInstancesAsJson",
     {"enumerate-instances", "@/root/cimv2:Test_Item", "-o", "json", "--no-pull"},
     {answer("EnumerateInstances", instances)},
     R"({"kind":"instance","class":"Test_Item","path":"root/cimv2:Test_Item.Name=\"a \\\"b\\\"\"","properties":{"Name":{"type":"string","value":"a \"b\""},"Big":{"type":"uint64","value":18446744073709551615},"Low":{"type":"sint8","value":-128},"Ratio":{"type":"real32","value":0.1},"On":{"type":"boolean","value":true},"Note":{"type":"string","value":null},"Sizes":{"type":"uint16[]","value":[1,65535]},"Owner":{"type":"reference","value":"//h/root/cimv2:Test_Owner.Id=\"7\""},"Part":{"type":"instance","value":{"kind":"instance","class":"Test_Part","properties":{"Id":{"type":"uint32","value":3}}}}}}
{"kind":"instance","class":"Test_Item","path":"root/cimv2:Test_Item.Name=\"c\"","properties":{"Name":{"type":"string","value":"c"},"Big":{"type":"uint64","value":18446744073709551615},"Low":{"type":"sint8","value":-128},"Ratio":{"type":"real32","value":0.1},"On":{"type":"boolean","value":true},"Note":{"type":"string","value":null},"Sizes":{"type":"uint16[]","value":[1,65535]},"Owner":{"type":"reference","value":"//h/root/cimv2:Test_Owner.Id=\"7\""},"Part":{"type":"object","value":{"kind":"instance","class":"Test_Part","properties":{"Id":{"type":"uint32","value":4}}}}}}
)",
     "",
     0,
     "EnumerateInstances "},
    {"NamedErrorCode",
     {"delete-class", "@/root/cimv2:Test_Base"},
     {error("DeleteClass", "CIM_ERR_CLASS_HAS_CHILDREN", "Test_Base has subclasses")},
     "",
     "cimxml-cli: CIM_ERR_CLASS_HAS_CHILDREN (8): Test_Base has subclasses\n",
     8,
     "DeleteClass "},
    {"HtmlErrorPage",
     {"get-class", "@/root/cimv2:Test_Item"},
     {{500, html500, {}, 0}},
     "",
     "cimxml-cli: HTTP 500 Internal Server Error from %A\n",
     76,
     "GetClass "},
    {"BadRequestWithCimError",
     {"get-class", "@/root/cimv2:Test_Item"},
     {{400, "", {{"CIMError", "request-not-valid"}}, 0}},
     "",
     "cimxml-cli: HTTP 400 Bad Request from %A (CIMError: request-not-valid)\n",
     76,
     "GetClass "},
    {"StatusInHeader",
     {"get-class", "@/root/cimv2:Test_Item"},
     {{200, "", {{"CIMStatusCode", "6"}, {"CIMStatusCodeDescription", "gone"}}, 0}},
     "",
     "cimxml-cli: CIM_ERR_NOT_FOUND (6): gone\n",
     6,
     "GetClass "},
    {"NotXml",
     {"get-class", "@/root/cimv2:Test_Item"},
     {{200, "hello", {}, 0}},
     "",
     "cimxml-cli: bad response from %A: not a CIM-XML response: \"hello\"\n",
     76,
     "GetClass "},
    {"AnswerToAnotherOperation",
     {"get-class", "@/root/cimv2:Test_Item"},
     {answer("GetInstance", "")},
     "",
     "cimxml-cli: bad response from %A: the response answers GetInstance, not GetClass.\n",
     76,
     "GetClass "},
    {"Timeout",
     {"get-class", "@/root/cimv2:Test_Item", "--timeout", "1"},
     {{200, "", {}, 2500}},
     "",
     "cimxml-cli: no answer from %A within 1 s\n",
     75,
     "GetClass "},
    {"InvokeMethodTypesParameters",
     {"invoke-method", item, "reboot", "Delay=5", "Mode=soft"},
     {itemClass, rebooted},
     "ReturnValue = 0;\nMessage = \"in 5 s\";\n",
     "",
     0,
     "GetClass Reboot ",
     "<PARAMVALUE NAME=\"Delay\" PARAMTYPE=\"uint8\">\n<VALUE>5</VALUE>\n</PARAMVALUE>\n<PARAMVALUE NAME=\"Mode\" "
     "PARAMTYPE=\"string\">\n<VALUE>soft</VALUE>\n</PARAMVALUE>"},
    {"ParameterOutOfRange",
     {"set-property", item, "Count=256"},
     {itemClass},
     "",
     "cimxml-cli: property Count: '256' is not a uint8 (0..255)\n",
     65,
     "GetClass "},
    {"RawXml",
     {"get-qualifier", "@/root/cimv2", "Units", "-o", "xml"},
     {unitsDeclaration},
     unitsDeclaration.body,
     "",
     0,
     "GetQualifier "},
    {"MofSyntaxError",
     {"create-instance", "@/root/cimv2", "--mof", "instance of Test_Item { Name = ; };"},
     {},
     "",
     "cimxml-cli: --mof:1:32: expected a value\n",
     65,
     ""},
    {"AssociatorNamesOfAClass",
     {"associator-names", "@/root/cimv2:Test_Item", "--assoc-class", "Test_Owns"},
     {answer("AssociatorNames", "<OBJECTPATH>" + owner + "</OBJECTPATH>")},
     "//h/root/cimv2:Test_Owner.Id=\"7\"\n",
     "",
     0,
     "AssociatorNames ",
     "<IPARAMVALUE NAME=\"ObjectName\">\n<CLASSNAME NAME=\"Test_Item\"/>\n</IPARAMVALUE>\n<IPARAMVALUE "
     "NAME=\"AssocClass\">\n<CLASSNAME NAME=\"Test_Owns\"/>\n</IPARAMVALUE>"},
    {"InsecureSaysSoAndTlsFails",
     {"get-class", "https://127.0.0.1:PORT/root/cimv2:Test_Item", "--insecure"},
     {},
     "",
     "cimxml-cli: WARNING: --insecure: the certificate of %A is NOT checked; anyone between here and there can read "
     "and change this session\ncimxml-cli: TLS handshake with %A failed\n",
     69,
     ""},
    {"InstanceNeeded",
     {"get-instance", "@/root/cimv2:Test_Item"},
     {},
     "",
     "cimxml-cli: get-instance needs an instance in the URL (http://host/namespace:Class.Key=value)\n",
     64,
     ""},
};

// The case's name in failure messages.
void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class ReplayedAnswers : public testing::TestWithParam<Case> {};

TEST_P(ReplayedAnswers, GiveTheWholeOutputAndStatus) {
    const Case &c = GetParam();
    ReplayServer server(c.answers);
    std::string authority = "127.0.0.1:" + std::to_string(server.port());
    std::vector<std::string> args;
    for (const std::string &arg : c.args)
        args.push_back(std::regex_replace(std::regex_replace(arg, std::regex("^@"), "http://" + authority),
                                          std::regex("PORT"), std::to_string(server.port())));
    httptest::CommandResult result = runTool(args);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, std::regex_replace(c.err, std::regex("%A"), authority));
    EXPECT_EQ(result.status, c.status);
    std::string methods;
    for (const ReceivedRequest &request : server.received())
        methods += request.cimMethod + " ";
    EXPECT_EQ(methods, c.methods);
    if (!c.sent.empty()) {
        EXPECT_NE(server.received().back().body.find(c.sent), std::string::npos) << server.received().back().body;
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, ReplayedAnswers, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clitest
