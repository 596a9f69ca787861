// The CIM rules of HTTP at the server's door: every request that breaks one
// gets the status and CIMError its breach calls for, and the requests that
// bend no rule reach the module.
#include <gtest/gtest.h>

#include <regex>

#include "server_process.h"

namespace {

using namespace httptest;

const std::string keepAlive = "Keep-Alive: timeout=5, max=100\r\n";
const std::string closing = "Connection: close\r\n";

std::string withBody(const std::string &body) { return cimRequest(body); }

std::string extrinsic(const std::string &object) {
    std::string body =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"4711\" "
        "PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><METHODCALL NAME=\"Reset\"><LOCALINSTANCEPATH><LOCALNAMESPACEPATH>"
        "<NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH><INSTANCENAME CLASSNAME=\"CIM_Foo\">"
        "<KEYBINDING NAME=\"Name\"><KEYVALUE VALUETYPE=\"string\">x</KEYVALUE></KEYBINDING><KEYBINDING NAME=\"Id\">"
        "<KEYVALUE VALUETYPE=\"numeric\">3</KEYVALUE></KEYBINDING></INSTANCENAME></LOCALINSTANCEPATH>"
        "</METHODCALL></SIMPLEREQ></MESSAGE></CIM>\n";
    return cimRequest(body, "Reset", object);
}

std::string exportRequest() {
    std::string body =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"9\" "
        "PROTOCOLVERSION=\"1.0\"><SIMPLEEXPREQ><EXPMETHODCALL NAME=\"ExportIndication\"><EXPPARAMVALUE "
        "NAME=\"NewIndication\"><INSTANCE CLASSNAME=\"CIM_Alert\"></INSTANCE></EXPPARAMVALUE></EXPMETHODCALL>"
        "</SIMPLEEXPREQ></MESSAGE></CIM>\n";
    std::string request = editHeader(cimRequest(body, "", ""), "CIMOperation", nullptr);
    request = editHeader(editHeader(request, "CIMMethod", nullptr), "CIMObject", nullptr);
    return editHeader(editHeader(request, "CIMExport", "MethodRequest"), "CIMExportMethod", "ExportIndication");
}

// "GetClass ok" or "GetClass ok": the answer's call and outcome.
std::string outcome(const std::string &body) {
    static const std::regex answer("<(?:I|EXP)?METHODRESPONSE NAME=\"([^\"]*)\">\\s*(<ERROR CODE=\"([0-9]+)\")?");
    std::smatch match;
    if (!std::regex_search(body, match, answer)) return "no answer: " + body;
    return match[1].str() + (match[2].matched ? " error " + match[3].str() : " ok");
}

class CimRules : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new ServerProcess(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    static RawResponse exchange(const std::string &request) {
        RawConnection connection(server->port());
        connection.send(request);
        return connection.receive();
    }
    static ServerProcess *server;
};
ServerProcess *CimRules::server = nullptr;

struct Refusal {
    const char *name;
    std::string request;
    std::string head;
};

TEST_F(CimRules, RefusesEachBreachWithItsStatusAndCimError) {
    const std::string request = getClassRequest();
    const std::vector<Refusal> cases = {
        {"unknown CIMOperation", editHeader(request, "CIMOperation", "MethodCal"),
         "HTTP/1.1 400 Bad Request\r\nCIMError: unsupported-operation\r\n" + closing + "Content-Length: 0\r\n"},
        {"no CIMOperation", editHeader(request, "CIMOperation", nullptr),
         "HTTP/1.1 400 Bad Request\r\nCIMError: unsupported-operation\r\n" + closing + "Content-Length: 0\r\n"},
        {"protocol version 2.0", editHeader(request, "CIMProtocolVersion", "2.0"),
         "HTTP/1.1 501 Not Implemented\r\nCIMError: unsupported-protocol-version\r\n" + closing + "Content-Length: 0\r\n"},
        {"batch header", editHeader(request, "CIMBatch", "CIMBatch"),
         "HTTP/1.1 501 Not Implemented\r\nCIMError: multiple-requests-unsupported\r\n" + closing + "Content-Length: 0\r\n"},
        {"MULTIREQ body",
         withBody("<?xml version=\"1.0\"?><CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"1\" "
                  "PROTOCOLVERSION=\"1.0\"><MULTIREQ></MULTIREQ></MESSAGE></CIM>"),
         "HTTP/1.1 501 Not Implemented\r\nCIMError: multiple-requests-unsupported\r\nContent-Length: 0\r\n" + keepAlive},
        {"body not well-formed", withBody(intrinsicBody("GetClass", "<IPARAMVALUE NAME=\"ClassName\">")),
         "HTTP/1.1 400 Bad Request\r\nCIMError: request-not-well-formed\r\nContent-Length: 0\r\n" + keepAlive},
        {"body not a CIM request",
         withBody("<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP>"
                  "</SIMPLERSP></MESSAGE></CIM>"),
         "HTTP/1.1 400 Bad Request\r\nCIMError: request-not-valid\r\nContent-Length: 0\r\n" + keepAlive},
        {"CIMMethod differs", editHeader(request, "CIMMethod", "GetInstance"),
         "HTTP/1.1 400 Bad Request\r\nCIMError: header-mismatch\r\nContent-Length: 0\r\n" + keepAlive},
        {"no CIMMethod", editHeader(request, "CIMMethod", nullptr),
         "HTTP/1.1 400 Bad Request\r\nCIMError: header-mismatch\r\nContent-Length: 0\r\n" + keepAlive},
        {"CIMObject differs", editHeader(request, "CIMObject", "root%2Fother"),
         "HTTP/1.1 400 Bad Request\r\nCIMError: header-mismatch\r\nContent-Length: 0\r\n" + keepAlive},
        {"no CIMObject", editHeader(request, "CIMObject", nullptr),
         "HTTP/1.1 400 Bad Request\r\nCIMError: header-mismatch\r\nContent-Length: 0\r\n" + keepAlive},
        {"CIMObject key differs", extrinsic("root%2Fcimv2%3ACIM_Foo.Name=\"x\",Id=4"),
         "HTTP/1.1 400 Bad Request\r\nCIMError: header-mismatch\r\nContent-Length: 0\r\n" + keepAlive},
        {"CIMObject names the namespace of an extrinsic call", extrinsic("root%2Fcimv2"),
         "HTTP/1.1 400 Bad Request\r\nCIMError: header-mismatch\r\nContent-Length: 0\r\n" + keepAlive},
        {"export body under CIMOperation", editHeader(exportRequest(), "CIMOperation", "MethodCall"),
         "HTTP/1.1 400 Bad Request\r\nCIMError: request-not-valid\r\nContent-Length: 0\r\n" + keepAlive},
        {"text/plain", editHeader(request, "Content-Type", "text/plain"),
         "HTTP/1.1 415 Unsupported Media Type\r\n" + closing + "Content-Length: 0\r\n"},
        {"charset latin-1", editHeader(request, "Content-Type", "text/xml; charset=iso-8859-1"),
         "HTTP/1.1 415 Unsupported Media Type\r\n" + closing + "Content-Length: 0\r\n"},
        {"no length", editHeader("POST /cimom HTTP/1.1\r\nHost: x\r\n\r\n", "Content-Type", "text/xml"),
         "HTTP/1.1 411 Length Required\r\nContent-Length: 0\r\n" + keepAlive},
        {"GET", "GET /cimom HTTP/1.1\r\nHost: x\r\n\r\n",
         "HTTP/1.1 405 Method Not Allowed\r\nAllow: POST, M-POST\r\nContent-Length: 0\r\n" + keepAlive},
        {"other path", "POST /cim" + request.substr(10),
         "HTTP/1.1 404 Not Found\r\n" + closing + "Content-Length: 0\r\n"},
        {"M-POST without Man", "M-" + request,
         "HTTP/1.1 510 Not Extended\r\n" + closing + "Content-Length: 0\r\n"},
        {"M-POST with unprefixed headers", "M-" + editHeader(request, "Man", "http://www.dmtf.org/cim/mapping/http/v1.0;ns=11"),
         "HTTP/1.1 400 Bad Request\r\n11-CIMError: unsupported-operation\r\n" + closing + "Content-Length: 0\r\n"},
        {"request line broken", "POST /cimom\r\n\r\n",
         "HTTP/1.1 400 Bad Request\r\n" + closing + "Content-Length: 0\r\n"},
    };
    for (const Refusal &refusal : cases) {
        RawResponse response = exchange(refusal.request);
        EXPECT_EQ(response.head, refusal.head) << refusal.name;
        EXPECT_EQ(response.body, "") << refusal.name;
    }
}

struct Accepted {
    const char *name;
    std::string request;
    std::string outcome;
    std::string cimHeaders;
};

TEST_F(CimRules, HandsRequestsThatKeepTheRulesToTheModule) {
    const std::string request = getClassRequest();
    const std::string operation = "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n";
    const std::vector<Accepted> cases = {
        {"as wbemcli sends it", request, "GetClass ok", operation},
        {"CIMMethod in another case", editHeader(request, "CIMMethod", "getclass"), "GetClass ok", operation},
        {"text/xml without charset", editHeader(request, "Content-Type", "text/xml"), "GetClass ok", operation},
        {"protocol version 1.1, quoted charset", editHeader(editHeader(request, "CIMProtocolVersion", "1.1"),
                                                            "Content-Type", "application/xml;charset=\"UTF-8\""),
         "GetClass ok", operation},
        {"CIMObject with a slash", editHeader(request, "CIMObject", "root/cimv2"), "GetClass ok", operation},
        {"extrinsic call on an instance", extrinsic("root%2Fcimv2%3ACIM_Foo.Name=\"x\",Id=3"), "Reset error 5",
         operation},
        {"extrinsic call, keys in another order", extrinsic("root%2Fcimv2%3Acim_foo.id=3,name=%22x%22"), "Reset error 5",
         operation},
        {"export request", exportRequest(), "ExportIndication ok",
         "CIMExport: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n"},
    };
    for (const Accepted &accepted : cases) {
        RawResponse response = exchange(accepted.request);
        EXPECT_EQ(response.head, "HTTP/1.1 200 OK\r\n" + accepted.cimHeaders + "Content-Length: " +
                                     std::to_string(response.body.size()) +
                                     "\r\nContent-Type: application/xml; charset=\"utf-8\"\r\n" + keepAlive)
            << accepted.name;
        EXPECT_EQ(outcome(response.body), accepted.outcome) << accepted.name;
    }
}

}  // namespace
