// cimxml-cli listen: export requests are answered as DSP0200 gives them,
// each indication is written as it comes, other requests are refused, and
// the listener ends after --count indications. subscribe and unsubscribe
// against the real cimxmld: the three instances made and removed, and a
// refused destination leaves nothing behind.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "server_process.h"

namespace clitest {
namespace {

using namespace httptest;

// A port nobody listens on now.
int freePort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::getsockname(s, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

bool listening(int port) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool up = ::connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        ::close(s);
        if (up) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string exportRequest(const std::string &message, const char *exportHeader = "MethodRequest") {
    std::string body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"7\" "
        "PROTOCOLVERSION=\"1.0\"><SIMPLEEXPREQ><EXPMETHODCALL NAME=\"ExportIndication\"><EXPPARAMVALUE "
        "NAME=\"NewIndication\"><INSTANCE CLASSNAME=\"CIM_AlertIndication\"><PROPERTY NAME=\"Message\" "
        "TYPE=\"string\"><VALUE>" +
        message +
        "</VALUE></PROPERTY></INSTANCE></EXPPARAMVALUE></EXPMETHODCALL></SIMPLEEXPREQ></MESSAGE></CIM>\n";
    std::string head = "POST /listener HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/xml; "
                       "charset=\"utf-8\"\r\nCIMProtocolVersion: 1.0\r\n";
    if (exportHeader) head += std::string("CIMExport: ") + exportHeader + "\r\nCIMExportMethod: ExportIndication\r\n";
    return head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(Listen, AnswersExportsWritesEachIndicationAndEndsAfterItsCount) {
    const int port = freePort();
    CommandResult result;
    std::thread listener([&] {
        result = runCommand(CIMXML_CLI_PATH, {"listen", "--port", std::to_string(port), "--count", "2", "--json"});
    });
    ASSERT_TRUE(listening(port));
    {
        RawConnection sender(port);
        ASSERT_TRUE(sender.send(exportRequest("disk &lt;full&gt;")));
        RawResponse first = sender.receive();
        EXPECT_NE(first.head.find("HTTP/1.1 200 OK\r\n"), std::string::npos) << first.head;
        EXPECT_NE(first.head.find("\r\nCIMExport: MethodResponse\r\n"), std::string::npos) << first.head;
        EXPECT_NE(first.body.find("<MESSAGE ID=\"7\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE "
                                  "NAME=\"ExportIndication\">\n</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>"),
                  std::string::npos)
            << first.body;

        // An operation request is no export: refused, the connection kept.
        ASSERT_TRUE(sender.send(exportRequest("not this one", nullptr)));
        RawResponse refused = sender.receive();
        EXPECT_NE(refused.head.find("HTTP/1.1 400 Bad Request\r\n"), std::string::npos) << refused.head;
        EXPECT_NE(refused.head.find("\r\nCIMError: unsupported-operation\r\n"), std::string::npos);

        ASSERT_TRUE(sender.send(exportRequest("second")));
        EXPECT_NE(sender.receive().head.find("200 OK"), std::string::npos);
    }
    listener.join();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "{\"kind\":\"instance\",\"class\":\"CIM_AlertIndication\","
              "\"properties\":{\"Message\":{\"type\":\"string\",\"value\":\"disk <full>\"}}}\n"
              "{\"kind\":\"instance\",\"class\":\"CIM_AlertIndication\","
              "\"properties\":{\"Message\":{\"type\":\"string\",\"value\":\"second\"}}}\n");
}

TEST(SubscribeCommands, MakeAndRemoveASubscriptionInOneCommand) {
    ServerProcess server;
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port());
    auto cli = [](const std::vector<std::string> &args) { return runCommand(CIMXML_CLI_PATH, args); };
    auto lines = [](const std::string &text) { return std::count(text.begin(), text.end(), '\n'); };
    const std::string query = "SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA CIM_ManagedElement";

    CommandResult made = cli({"subscribe", url, query, "--name", "watch", "--destination", "http://127.0.0.1:5990/"});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(lines(made.out), 3) << made.out;
    EXPECT_NE(made.out.find("root/interop:CIM_IndicationSubscription.Filter="), std::string::npos) << made.out;
    CommandResult removed = cli({"unsubscribe", url, "--name", "watch"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(lines(removed.out), 3) << removed.out;
    EXPECT_EQ(cli({"unsubscribe", url, "--name", "watch"}).status, 6);

    CommandResult refused = cli({"subscribe", url, "SELECT * FROM CIM_InstCreation", "--name", "meta", "--destination",
                                 "http://169.254.169.254/"});
    EXPECT_EQ(refused.status, 2) << refused.err;
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(cli({"enumerate-instance-names", url + "/root/interop:CIM_IndicationFilter"}).out, "")
        << "the filter made before the refusal is gone";
}

}  // namespace
}  // namespace clitest
