// cimxml-cli on answers in pieces: an enumeration large enough for the real
// cimxmld to send it chunked prints, in every output form, exactly what the
// same answer sent whole with its length prints; a failure the trailers
// report after the first pieces is the error exit, after the results that
// came before it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "replay_server.h"

namespace clitest {
namespace {

constexpr int items = 6000;  // about 1 KB each: a 6 MB answer, chunked above 4 MiB

std::string fixtureMof() {
    std::string path = testing::TempDir() + "cli_large_" + std::to_string(getpid()) + ".mof";
    std::ofstream mof(path);
    mof << "class Large_Item { [Key] string Name; string Text; };\n";
    for (int i = 0; i < items; ++i)
        mof << "instance of Large_Item { Name = \"item-" << i << "\"; Text = \"" << std::string(900, 'a' + i % 26)
            << " &<\\\"\"; };\n";
    return path;
}

// The whole body of the enumeration, as a client that takes no trailers gets it.
std::string wholeAnswer(int port) {
    using namespace httptest;
    RawConnection connection(port, std::chrono::seconds(20));
    connection.send(editHeader(cimRequest(intrinsicBody("EnumerateInstances",
                                                        "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME "
                                                        "NAME=\"Large_Item\"/></IPARAMVALUE>"),
                                          "EnumerateInstances"),
                               "Connection", "close"));
    return connection.receive().body;
}

size_t count(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

std::string withoutMessageId(std::string text) {
    size_t at = text.find("<MESSAGE ID=\"");
    if (at != std::string::npos) text.erase(at, text.find('"', at + 13) - at);
    return text;
}

TEST(LargeAnswers, ChunkedPrintAsWholeOnesAndLateFailuresAreTheExit) {
    const std::string mof = fixtureMof();
    httptest::ServerProcess server({"--mof", mof});
    const std::string body = wholeAnswer(server.port());
    ASSERT_GT(body.size(), 5u << 20);
    const std::string cut = body.substr(0, body.size() / 2);
    ReplayServer whole({{200, body, {}, 0}, {200, body, {}, 0}, {200, body, {}, 0}});
    RecordedAnswer failing{200, cut, {}, 0, 256 * 1024,
                           {{"CIMStatusCode", "1"}, {"CIMStatusCodeDescription", "the source went away%0Ahalf way"}}};
    ReplayServer late({failing, failing, failing});
    struct Form {
        const char *name;
        std::string each;  // what every result shows once
    } forms[] = {{"json", "{\"kind\":\"instance\""}, {"mof", "instance of Large_Item"}, {"xml", "<VALUE.NAMEDINSTANCE>"}};
    for (const Form &form : forms) {
        SCOPED_TRACE(form.name);
        auto run = [&](int port, bool verbose) {
            // The traditional operation's one answer, in pieces or whole.
            std::vector<std::string> args = {"enumerate-instances",
                                             "http://127.0.0.1:" + std::to_string(port) + "/root/cimv2:Large_Item",
                                             "-o", form.name, "--no-pull"};
            if (verbose) args.push_back("--verbose");
            return runTool(args);
        };
        httptest::CommandResult chunked = run(server.port(), true);
        EXPECT_EQ(chunked.status, 0) << chunked.err.substr(0, 2000);
        EXPECT_NE(chunked.err.find("< Transfer-Encoding: chunked\n"), std::string::npos) << "sent in pieces";
        EXPECT_EQ(count(chunked.out, form.each), static_cast<size_t>(items));
        httptest::CommandResult asWhole = run(whole.port(), false);
        EXPECT_EQ(asWhole.status, 0);
        // (The raw answer echoes its request's MESSAGE ID.)
        EXPECT_TRUE(withoutMessageId(chunked.out) == withoutMessageId(asWhole.out))
            << "the same output in pieces as whole";

        httptest::CommandResult failed = run(late.port(), false);
        EXPECT_EQ(failed.status, 1);
        EXPECT_EQ(failed.err, "cimxml-cli: CIM_ERR_FAILED (1): the source went away half way\n");
        // What came before the failure is printed, each result whole.
        size_t printed = count(failed.out, form.each);
        EXPECT_GT(printed, static_cast<size_t>(items / 3));
        EXPECT_LT(printed, static_cast<size_t>(items / 2 + 10));
        if (std::string(form.name) != "xml") {
            EXPECT_EQ(failed.out, chunked.out.substr(0, failed.out.size()));
            EXPECT_EQ(failed.out.back(), '\n');
        }
    }
    ::unlink(mof.c_str());
}

}  // namespace
}  // namespace clitest
