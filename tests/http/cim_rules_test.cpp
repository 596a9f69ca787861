// The CIM rules of HTTP at the server's door: every request that breaks one
// gets the status and CIMError its breach calls for, and the requests that
// bend no rule reach the module.
#include <gtest/gtest.h>

#include <regex>

#include "server_process.h"

namespace {

using namespace httptest;

// The head of a refusal; a refusal before the body was read closes.
std::string refused(const std::string &status, const std::string &cimError, bool closes) {
    return "HTTP/1.1 " + status + "\r\n" + (cimError.empty() ? "" : "CIMError: " + cimError + "\r\n") +
           (closes ? "Connection: close\r\n" : "") + "Content-Length: 0\r\n" +
           (closes ? "" : "Keep-Alive: timeout=30\r\n");
}

std::string document(const std::string &message) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"9\" "
           "PROTOCOLVERSION=\"1.0\">" + message + "</MESSAGE></CIM>\n";
}

// Reset() called on CIM_Foo.Name="x",Id=3 with the given CIMObject header.
std::string extrinsic(const std::string &object) {
    return cimRequest(document("<SIMPLEREQ><METHODCALL NAME=\"Reset\"><LOCALINSTANCEPATH><LOCALNAMESPACEPATH>"
                               "<NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH><INSTANCENAME "
                               "CLASSNAME=\"CIM_Foo\"><KEYBINDING NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">x"
                               "</KEYVALUE></KEYBINDING><KEYBINDING NAME=\"Id\"><KEYVALUE VALUETYPE=\"numeric\">3"
                               "</KEYVALUE></KEYBINDING></INSTANCENAME></LOCALINSTANCEPATH></METHODCALL></SIMPLEREQ>"),
                      "Reset", object);
}

std::string exportRequest() {
    std::string request = cimRequest(document("<SIMPLEEXPREQ><EXPMETHODCALL NAME=\"ExportIndication\"><EXPPARAMVALUE "
                                              "NAME=\"NewIndication\"><INSTANCE CLASSNAME=\"CIM_Alert\"></INSTANCE>"
                                              "</EXPPARAMVALUE></EXPMETHODCALL></SIMPLEEXPREQ>"));
    for (const char *name : {"CIMOperation", "CIMMethod", "CIMObject"}) request = editHeader(request, name, nullptr);
    return editHeader(editHeader(request, "CIMExport", "MethodRequest"), "CIMExportMethod", "ExportIndication");
}

// "GetClass ok" or "Reset error 6": the answer's call and outcome.
std::string outcome(const std::string &body) {
    static const std::regex answer("<(?:I|EXP)?METHODRESPONSE NAME=\"([^\"]*)\">\\s*(<ERROR CODE=\"([0-9]+)\")?");
    std::smatch match;
    if (!std::regex_search(body, match, answer)) return "no answer: " + body;
    return match[1].str() + (match[2].matched ? " error " + match[3].str() : " ok");
}

RawResponse answerTo(const ServerProcess &server, const std::string &request) {
    RawConnection connection(server.port());
    connection.send(request);
    return connection.receive();
}

TEST(CimRules, RefuseEachBreachWithItsStatusAndCimErrorAndPassTheRestToTheModule) {
    ServerProcess server;
    const std::string request = getClassRequest();
    const std::string mapping = "http://www.dmtf.org/cim/mapping/http/v1.0;ns=11";
    const std::vector<std::tuple<const char *, std::string, std::string>> refusals = {
        {"unknown CIMOperation", editHeader(request, "CIMOperation", "MethodCal"),
         refused("400 Bad Request", "unsupported-operation", true)},
        {"no CIMOperation", editHeader(request, "CIMOperation", nullptr),
         refused("400 Bad Request", "unsupported-operation", true)},
        {"version 2.0", editHeader(request, "CIMProtocolVersion", "2.0"),
         refused("501 Not Implemented", "unsupported-protocol-version", true)},
        {"batch header", editHeader(request, "CIMBatch", "CIMBatch"),
         refused("501 Not Implemented", "multiple-requests-unsupported", true)},
        {"MULTIREQ", cimRequest(document("<MULTIREQ></MULTIREQ>")),
         refused("501 Not Implemented", "multiple-requests-unsupported", false)},
        {"not well-formed", cimRequest(intrinsicBody("GetClass", "<IPARAMVALUE NAME=\"ClassName\">")),
         refused("400 Bad Request", "request-not-well-formed", false)},
        {"no CIM request", cimRequest(document("<SIMPLERSP></SIMPLERSP>")),
         refused("400 Bad Request", "request-not-valid", false)},
        {"CIMMethod differs", editHeader(request, "CIMMethod", "GetInstance"),
         refused("400 Bad Request", "header-mismatch", false)},
        {"CIMObject differs", editHeader(request, "CIMObject", "root%2Fother"),
         refused("400 Bad Request", "header-mismatch", false)},
        {"no CIMObject", editHeader(request, "CIMObject", nullptr), refused("400 Bad Request", "header-mismatch", false)},
        {"key differs", extrinsic("root%2Fcimv2%3ACIM_Foo.Name=\"x\",Id=4"),
         refused("400 Bad Request", "header-mismatch", false)},
        {"a key more", extrinsic("root%2Fcimv2%3ACIM_Foo.Name=\"x\",Id=3,Other=1"),
         refused("400 Bad Request", "header-mismatch", false)},
        {"namespace for a method", extrinsic("root%2Fcimv2"), refused("400 Bad Request", "header-mismatch", false)},
        {"export under CIMOperation", editHeader(exportRequest(), "CIMOperation", "MethodCall"),
         refused("400 Bad Request", "request-not-valid", false)},
        {"text/plain", editHeader(request, "Content-Type", "text/plain"), refused("415 Unsupported Media Type", "", true)},
        {"latin-1", editHeader(request, "Content-Type", "text/xml; charset=iso-8859-1"),
         refused("415 Unsupported Media Type", "", true)},
        {"no length", "POST /cimom HTTP/1.1\r\nContent-Type: text/xml\r\n\r\n", refused("411 Length Required", "", false)},
        {"other path", "POST /cim" + request.substr(10), refused("404 Not Found", "", true)},
        {"M-POST without Man", "M-" + request, refused("510 Not Extended", "", true)},
        {"M-POST, headers unprefixed", "M-" + editHeader(request, "Man", mapping.c_str()),
         "HTTP/1.1 400 Bad Request\r\n11-CIMError: unsupported-operation\r\nConnection: close\r\nContent-Length: 0\r\n"},
        {"request line", "POST /cimom\r\n\r\n", refused("400 Bad Request", "", true)},
        {"GET", "GET /cimom HTTP/1.1\r\n\r\n",
         "HTTP/1.1 405 Method Not Allowed\r\nAllow: POST, M-POST\r\nContent-Length: 0\r\nKeep-Alive: timeout=30\r\n"},
    };
    for (const auto &[name, text, head] : refusals) {
        RawResponse response = answerTo(server, text);
        EXPECT_EQ(response.head, head) << name;
        EXPECT_EQ(response.body, "") << name;
    }

    const std::vector<std::tuple<const char *, std::string, std::string>> accepted = {
        {"as wbemcli sends it", request, "GetClass ok"},
        {"CIMMethod in another case", editHeader(request, "CIMMethod", "getclass"), "GetClass ok"},
        {"text/xml", editHeader(request, "Content-Type", "text/xml"), "GetClass ok"},
        {"1.1, quoted charset", editHeader(editHeader(request, "CIMProtocolVersion", "1.1"), "Content-Type",
                                           "application/xml;charset=\"UTF-8\""), "GetClass ok"},
        {"method on an instance", extrinsic("root%2Fcimv2%3ACIM_Foo.Name=\"x\",Id=3"), "Reset error 6"},
        {"keys in another order", extrinsic("root%2Fcimv2%3Acim_foo.id=3,name=%22x%22"), "Reset error 6"},
        {"export request", exportRequest(), "ExportIndication ok"},
    };
    for (const auto &[name, text, expected] : accepted) {
        RawResponse response = answerTo(server, text);
        std::string head = answerHead(response.body.size());
        if (expected.rfind("Export", 0) == 0) head = std::regex_replace(head, std::regex("CIMOperation"), "CIMExport");
        EXPECT_EQ(response.head, head) << name;
        EXPECT_EQ(outcome(response.body), expected) << name;
    }
}

}  // namespace
